// Settings profile files, the plant file as the bundle carries it, and the support bundle
// itself, without a window.

#include "bundle_reader.h"
#include "history/event_store.h"
#include "service/alarm_summary.h"
#include "service/bundle.h"
#include "service/journal_csv.h"
#include "service/profile.h"
#include "service/redact.h"
#include "service/settings_fields.h"
#include "support/frames.h"
#include "support/small_disk.h"
#include "support/table.h"
#include "support/wait.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <QThread>
#include <sys/stat.h>
#include <unistd.h>

using namespace service;

namespace {

const QByteArray password = "Pw-7f3k!x";

SettingsProfile sampleProfile() {
    SettingsProfile p;
    p.value = frames::sevenBytes(0x0A, 0x41, 0x02, 0x20, 6, 0x11, 0x22);
    p.productType = QStringLiteral("FL-SIM-1000");
    p.serialNumber = QStringLiteral("SIM00000042");
    p.ccbVersion = QStringLiteral("V1.0.7");
    p.port = QStringLiteral("ttyUSB0");
    p.savedAt = 1796662420295;
    return p;
}

// The sample profile's JSON with one change made through `edit`.
template <typename Edit> QByteArray editedJson(Edit edit) {
    QJsonObject root = QJsonDocument::fromJson(profileJson(sampleProfile())).object();
    edit(root);
    return QJsonDocument(root).toJson();
}

void touch(const QString &path, const QByteArray &content, const QDateTime &modified) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
    f.close();
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.setFileTime(modified, QFileDevice::FileModificationTime));
}

// The names and kinds of a database's tables, indexes and triggers.
const QString schema = QStringLiteral("SELECT group_concat(type || ' ' || name, ', ') FROM (SELECT "
                                      "* FROM sqlite_master ORDER BY name)");
QString schemaOf(const QString &path) {
    QString value;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("s"));
        db.setDatabaseName(path);
        QSqlQuery q(db);
        if (db.open() && q.exec(schema) && q.next())
            value = q.value(0).toString();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("s"));
    return value;
}

// A history of `rows` events of some 300 bytes each, made as the program makes it.
bool fillHistory(const QString &path, int rows) {
    {
        history::EventStore store(path);
        QString error;
        if (store.open(&error) != history::EventStore::Result::Ok)
            return false;
    }
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("f"));
        db.setDatabaseName(path);
        QSqlQuery q(db);
        ok = db.open() &&
             q.exec(QStringLiteral("WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n "
                                   "WHERE x < %1) INSERT INTO events SELECT x, 'alarm', "
                                   "'chillerFault', 'on', hex(randomblob(130)) FROM n")
                        .arg(rows));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("f"));
    return ok;
}

} // namespace

class ServiceFiles : public QObject {
    Q_OBJECT

private slots:
    void aSavedProfileReadsBackWithItsRawValueAndEveryFieldDecoded() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.ccbsettings"));
        QString error;
        QVERIFY2(saveProfile(path, sampleProfile(), &error), qPrintable(error));

        const ProfileLoad load = loadProfile(path);
        QVERIFY2(load.ok, qPrintable(load.error));
        QVERIFY(load.disagreements.isEmpty());
        // The reserved bytes 5 and 6 are kept exactly as read.
        QCOMPARE(load.profile.value.toHex(' '), sampleProfile().value.toHex(' '));
        QCOMPARE(load.profile.productType, sampleProfile().productType);
        QCOMPARE(load.profile.serialNumber, sampleProfile().serialNumber);
        QCOMPARE(load.profile.ccbVersion, sampleProfile().ccbVersion);
        QCOMPARE(load.profile.port, sampleProfile().port);
        QCOMPARE(load.profile.savedAt, sampleProfile().savedAt);

        // For people: each field with its caption, one key per line.
        const QByteArray text = profileJson(sampleProfile());
        QVERIFY(text.contains("\"value\": \"0A 41 02 20 06 11 22\""));
        QVERIFY(text.contains("\"caption\": \"屏蔽PD警报\""));
        QCOMPARE(text.count("\"name\": "), settingsFields().size());
        QVERIFY(text.contains("\"saved_at\": \"2026-12-07T"));
    }

    void aProfileThatCannotBeWrittenLeavesNothingUnderItsName() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("no/such/folder/a.ccbsettings"));
        QString error;
        QVERIFY(!saveProfile(path, sampleProfile(), &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(!QFile::exists(path));
    }

    void badProfileFilesAreRefusedWithTheirReason_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("reason");
        using O = QJsonObject;
        QTest::newRow("not JSON") << QByteArray("value = 0A 41") << "JSON";
        QTest::newRow("truncated") << profileJson(sampleProfile()).left(200) << "JSON";
        QTest::newRow("an array") << QByteArray("[1, 2]") << "顶层";
        QTest::newRow("another format")
            << editedJson([](O &o) { o[QStringLiteral("format")] = QStringLiteral("x"); })
            << "format";
        QTest::newRow("no version")
            << editedJson([](O &o) { o.remove(QStringLiteral("version")); }) << "version";
        QTest::newRow("newer format")
            << editedJson([](O &o) { o[QStringLiteral("version")] = 2; }) << "版本 2";
        QTest::newRow("no value") << editedJson([](O &o) { o.remove(QStringLiteral("value")); })
                                  << "value";
        QTest::newRow("value not hex")
            << editedJson([](O &o) { o[QStringLiteral("value")] = QStringLiteral("0A 41 zz"); })
            << "无法解码";
        QTest::newRow("six bytes") << editedJson([](O &o) {
            o[QStringLiteral("value")] = QStringLiteral("0A 41 02 20 06 00");
        }) << "无法解码";
        QTest::newRow("bit 7 set") << editedJson([](O &o) {
            o[QStringLiteral("value")] = QStringLiteral("0A 41 82 20 06 00 00");
        }) << "第 7 位";
        // Values the settings page could never give, whatever the fields below them say.
        QTest::newRow("leakage 6350, the page's spin box ends at 4050") << editedJson([](O &o) {
            o[QStringLiteral("value")] = QStringLiteral("00 00 00 00 7F 00 00");
        }) << "(pdLeakageLevel) 为 6350";
        QTest::newRow("mode 3, no item on the page") << editedJson([](O &o) {
            o[QStringLiteral("value")] = QStringLiteral("18 00 00 00 06 00 00");
        }) << "(opModeUsr) 为 3";
        QTest::newRow("product type a number")
            << editedJson([](O &o) { o[QStringLiteral("product_type")] = 5; }) << "product_type";
        QTest::newRow("no saved_at")
            << editedJson([](O &o) { o.remove(QStringLiteral("saved_at")); }) << "saved_at";
        QTest::newRow("no fields")
            << editedJson([](O &o) { o.remove(QStringLiteral("fields")); }) << "fields";
        const auto editField = [](int index, const char *key, const QJsonValue &value) {
            return editedJson([=](O &o) {
                QJsonArray fields = o[QStringLiteral("fields")].toArray();
                QJsonObject field = fields[index].toObject();
                if (value.isUndefined())
                    field.remove(QLatin1String(key));
                else
                    field[QLatin1String(key)] = value;
                fields[index] = field;
                o[QStringLiteral("fields")] = fields;
            });
        };
        QTest::newRow("unknown field")
            << editField(0, "name", QStringLiteral("faultDisableLaser")) << "faultDisableLaser";
        QTest::newRow("a field twice")
            << editField(1, "name", QStringLiteral("faultDisableChiller")) << "两次";
        QTest::newRow("flag not a bool") << editField(0, "value", 1) << "true";
        QTest::newRow("level negative") << editField(23, "value", -50) << "非负整数";
        QTest::newRow("mode a fraction") << editField(24, "value", 1.5) << "非负整数";
        QTest::newRow("level out of range") << editField(23, "value", 1e300) << "非负整数";
        QTest::newRow("a field missing") << editedJson([](O &o) {
            QJsonArray fields = o[QStringLiteral("fields")].toArray();
            fields.removeAt(3);
            o[QStringLiteral("fields")] = fields;
        }) << "faultDisableDew";
        QTest::newRow("over the size limit")
            << QByteArray(int(SettingsProfile::maxFileBytes) + 1, ' ') << "过大";
        // JSON keeps the last of two keys silently; a hand edit is not to be guessed at.
        const QByteArray json = profileJson(sampleProfile());
        QTest::newRow("value twice")
            << QByteArray(json).replace("\"value\": \"0A", "\"value\": \"00 00 00 00 00 00 00\", "
                                                           "\"val\\u0075e\": \"0A")
            << "value";
        QTest::newRow("a field's value twice")
            << QByteArray(json).replace("\"value\": true", "\"value\": false, \"value\": true")
            << "value";
        QTest::newRow("a name shown as what it is")
            << editField(0, "name", QStringLiteral("a\u202Eb\nc")) << "a<U+202E>b<U+000A>c";
    }
    void badProfileFilesAreRefusedWithTheirReason() {
        QFETCH(QByteArray, text);
        QFETCH(QString, reason);
        const ProfileLoad load = parseProfile(text);
        QVERIFY(!load.ok);
        QVERIFY2(load.error.contains(reason), qPrintable(load.error));
    }

    // Values a person is asked about before anything is read or written.
    void doubtfulValuesAreAskedAbout_data() {
        fixture::columns<QString, QString>("value", "caution");
        QTest::newRow("all zero, the page before a read-back") << "00 00 00 00 00 00 00"
                                                               << "为零";
        QTest::newRow("leakage 0, below the caption's 50") << "08 01 00 20 00 00 00"
                                                           << "为 0";
        QTest::newRow("leakage 50") << "08 01 00 20 01 00 00"
                                    << "";
    }
    void doubtfulValuesAreAskedAbout() {
        QFETCH(QString, value);
        QFETCH(QString, caution);
        const ProfileLoad load =
            parseProfile(editedJson([&](QJsonObject &o) { o[QStringLiteral("value")] = value; }));
        QVERIFY2(load.ok, qPrintable(load.error));
        QVERIFY2(caution.isEmpty() ? load.caution.isEmpty() : load.caution.contains(caution),
                 qPrintable(load.caution));
    }

    void aHundredMegabyteFileIsRefusedWithoutReadingIt() {
        QTemporaryDir dir;
        QFile big(dir.filePath(QStringLiteral("big.ccbsettings")));
        QVERIFY(big.open(QIODevice::WriteOnly));
        QVERIFY(big.resize(qint64(100) << 20));
        big.close();
        const ProfileLoad load = loadProfile(big.fileName());
        QVERIFY(!load.ok);
        QVERIFY2(load.error.contains(QStringLiteral("过大")), qPrintable(load.error));
    }

    // A pipe chosen in the file dialog would hold the reading thread, and the program's end,
    // until something writes to it.
    void aPipeIsRefusedWithoutWaitingOnIt() {
        QTemporaryDir dir;
        const QString pipe = dir.filePath(QStringLiteral("p.ccbsettings"));
        QVERIFY(::mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0);
        ProfileLoad load;
        std::unique_ptr<QThread> reader(QThread::create([&] { load = loadProfile(pipe); }));
        reader->start();
        const bool returned = reader->wait(5000);
        QFile writer(pipe); // one that opens and closes the pipe lets the reader go
        if (!returned)
            QVERIFY(writer.open(QIODevice::WriteOnly));
        writer.close();
        QVERIFY(reader->wait(5000) && returned);
        QVERIFY2(load.error.contains(QStringLiteral("不是普通文件")), qPrintable(load.error));
    }

    void aHandEditedFieldThatDisagreesIsNamedAndTheRawValueWins() {
        // faultDisablePd is set in the raw value (byte 1, bit 6); the file says it is not.
        QByteArray text = profileJson(sampleProfile());
        const int at = text.indexOf("\"name\": \"faultDisablePd\"");
        QVERIFY(at > 0);
        const int value = text.indexOf("\"value\": true", text.lastIndexOf('{', at));
        text.replace(value, 13, "\"value\": false");
        const ProfileLoad load = parseProfile(text);
        QVERIFY2(load.ok, qPrintable(load.error));
        QCOMPARE(load.disagreements.size(), 1);
        QVERIFY2(load.disagreements.first().startsWith(QStringLiteral("屏蔽PD警报")),
                 qPrintable(load.disagreements.first()));
        QVERIFY(load.profile.settings().faultDisablePd);
    }

    void differencesListExactlyTheFieldsThatDifferInPageOrder() {
        protocol::SystemSettings file = sampleProfile().settings();
        protocol::SystemSettings device = file;
        QVERIFY(differences(file, device).isEmpty());
        device.redOnBeam = !device.redOnBeam;
        device.faultDisableChiller = !device.faultDisableChiller;
        device.pdLeakageLevel = 6350;
        device.opModeUsr = 3;
        const QVector<FieldDifference> diff = differences(file, device);
        QStringList names;
        for (const FieldDifference &d : diff)
            names << QLatin1String(d.field->name);
        QCOMPARE(names,
                 QStringList({"faultDisableChiller", "redOnBeam", "pdLeakageLevel", "opModeUsr"}));
        QCOMPARE(diff[2].inFile, QStringLiteral("300"));
        QCOMPARE(diff[2].onDevice, QStringLiteral("6350"));
        QCOMPARE(diff[3].inFile, QStringLiteral("1 强制外控"));
        QCOMPARE(diff[3].onDevice, QStringLiteral("3"));
    }

    // Every form of a secret a person produces, among other lines: the line is rebuilt from
    // what is known to be safe, or left out whole. (`end`: the file's line ends.)
    void thePlantFileKeepsNoByteOfASecret_data() {
        fixture::columns<QByteArray, QByteArray, QByteArray>("line", "kept", "end");
        const QByteArray out = "# line 3 left out";
        const QByteArray crlf = "\r\n";
        QTest::newRow("password") << "password = " + password << out << crlf;
        QTest::newRow("no blanks") << "password=" + password << out << crlf;
        QTest::newRow("quoted with blanks and tabs")
            << "\tPassword  =  \"  " + password + " \"" << out << crlf;
        QTest::newRow("misspelt key") << "pasword = " + password << out << crlf;
        QTest::newRow("an unknown file key") << "token_file = /etc/" + password << out << crlf;
        QTest::newRow("a secret in a path's place")
            << "key_password_file = " + password << out << crlf;
        QTest::newRow("a path that names a file stays")
            << QByteArray("cert_file = " LASER_SOURCE_DIR "/README.md")
            << QByteArray("cert_file = " LASER_SOURCE_DIR "/README.md") << crlf;
        QTest::newRow("a secret") << "client_secret=" + password << out << crlf;
        QTest::newRow("an equals sign in the value") << "password = a=" + password << out << crlf;
        QTest::newRow("without an equals sign") << "password: " + password << out << crlf;
        QTest::newRow("comment") << "; old password " + password << out << crlf;
        QTest::newRow("hash comment") << "  # " + password << out << crlf;
        QTest::newRow("in the url") << "url = mqtts://laser:" + password + "@broker:8883"
                                    << QByteArray("url = mqtts://broker:8883") << crlf;
        QTest::newRow("remark after a plain value")
            << "username = hall2 ; " + password << out << crlf;
        QTest::newRow("plain values stay")
            << QByteArray("topic_prefix = laser") << QByteArray("topic_prefix = laser") << crlf;
        QTest::newRow("section") << QByteArray("[mqtt]") << QByteArray("[mqtt]") << crlf;
        QTest::newRow("a token on a line of its own") << "c2Vj" + password + "OA==" << out << crlf;
        QTest::newRow("in a key's place") << password + " =" << out << crlf;
        QTest::newRow("url cut at ';'") << "url = mqtt://user:" + password + ";tail@host:1883"
                                        << QByteArray("url = mqtt://host:1883") << crlf;
        QTest::newRow("url cut at '#'")
            << "url = mqtt://user:" + password + "#x@host" << out << crlf;
        QTest::newRow("url without a scheme")
            << "url = user:" + password + "@host:1883" << out << crlf;
        QTest::newRow("url query")
            << "url = mqtt://h:1/?password=" + password << QByteArray("url = mqtt://h:1") << crlf;
        QTest::newRow("CR-only line ends") << "password = " + password << out << QByteArray("\r");
        QTest::newRow("two keys on a line")
            << "username = laser7 password=" + password << out << QByteArray("\n");
        QTest::newRow("in a section's name") << "[" + password + "]" << out << crlf;
        QTest::newRow("a quoted plain value")
            << QByteArray("username = \"laser7\"") << QByteArray("username = laser7") << crlf;
        QTest::newRow("a direction override")
            << "laser_id = c7\xE2\x80\xAE" + password << out << crlf;
        QTest::newRow("behind a NUL")
            << "username = laser7" + QByteArray(1, '\0') + password << out << crlf;
    }
    void thePlantFileKeepsNoByteOfASecret() {
        QFETCH(QByteArray, line);
        QFETCH(QByteArray, kept);
        QFETCH(QByteArray, end);
        // Among other lines, with a byte-order mark: one line out for every line in.
        const QByteArray text = "\xEF\xBB\xBF[mqtt]" + end + "url = mqtt://h:1883" + end + line +
                                end + "laser_id = c7" + end;
        const RebuiltConfig rebuilt = rebuiltPlantConfig(text);
        QVERIFY2(!rebuilt.text.contains(password), rebuilt.text.constData());
        QVERIFY2(
            rebuilt.text.startsWith("[mqtt]\nurl = mqtt://h:1883\n" + kept + "\nlaser_id = c7\n#"),
            rebuilt.text.constData());
        QCOMPARE(rebuilt.leftOut, kept.startsWith("# line") ? QVector<int>{3} : QVector<int>());
        QVERIFY(rebuilt.text.endsWith(
            QStringLiteral("%1 of 4 lines left out\n").arg(rebuilt.leftOut.size()).toUtf8()));
    }

    void theJournalBecomesOneCsvRowPerEntry() {
        history::JournalEntry received;
        received.at = 1796662420295;
        received.verdict = protocol::Verdict::CheckFailed;
        received.name = QStringLiteral("SystemStatus");
        received.bytes = frames::hex("E6 05 00 20 00");
        received.text = QStringLiteral("SystemStatus: DC on, \"x\"");
        history::JournalEntry noise;
        noise.direction = history::Direction::Skipped;
        noise.name = QStringLiteral("Noise");
        noise.bytes = frames::hex("FE");
        const QByteArray csv = journalCsv({received, noise});
        QCOMPARE(csv.count("\r\n"), 3);
        QVERIFY(csv.startsWith("time_utc,direction,code,bytes,verdict,text\r\n"));
        QVERIFY2(csv.contains("2026-12-07T16:53:40.295Z,received,SystemStatus,E6 05 00 20 00,"
                              "check failed,\"SystemStatus: DC on, \"\"x\"\"\"\r\n"),
                 csv.constData());
        QVERIFY(csv.contains(",skipped,Noise,FE,,\r\n"));
    }

    void theBundleHoldsTheDatabaseTheCapturesOfThePeriodAndTheConfigWithoutSecrets() {
        QTemporaryDir dir;
        const QDir root(dir.path());
        QVERIFY(root.mkpath(QStringLiteral("log")) && root.mkpath(QStringLiteral("config")));
        {
            history::EventStore store(root.filePath(QStringLiteral("log/history.sqlite")));
            QString error;
            QCOMPARE(store.open(&error), history::EventStore::Result::Ok);
            std::vector<events::Event> events(250);
            for (size_t i = 0; i < events.size(); ++i) {
                events[i].at = qint64(i);
                events[i].category = QStringLiteral("alarm");
                events[i].name = QStringLiteral("chillerFault");
                events[i].value = i % 2 ? QStringLiteral("on") : QStringLiteral("off");
            }
            QCOMPARE(store.write(events, {}, &error), history::EventStore::Result::Ok);
        }
        const QDateTime now = QDateTime::currentDateTimeUtc();
        touch(root.filePath(QStringLiteral("log/capture-20261201-080000-ttyUSB0.txt")), "old\n",
              now.addDays(-3));
        touch(root.filePath(QStringLiteral("log/capture-20261207-080000-ttyUSB0.txt")),
              QByteArray(300000, 'x'), now.addSecs(-600));
        // A name a Windows unzip would read as a folder and a file.
        touch(root.filePath(QStringLiteral("log/capture-20261207-090000-a\\b.txt")), "y\n",
              now.addSecs(-60));
        QFile ini(root.filePath(QStringLiteral("config/plant.ini")));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[mqtt]\nurl = mqtts://a:" + password + "@b\npassword = " + password + "\n");
        ini.close();
        QFile language(root.filePath(QStringLiteral("config/language.gl")));
        QVERIFY(language.open(QIODevice::WriteOnly));
        language.write("language = english");
        language.close();
        // Named as captures, never read: links to a secret and a loop, a pipe, a second name.
        const QDir log(root.filePath(QStringLiteral("log")));
        for (const auto &[to, name] : {std::pair{"../config/plant.ini", "capture-20261207-1-a.txt"},
                                       {"/etc/shadow", "capture-20261207-2-b.txt"},
                                       {"capture-loop.txt", "capture-loop.txt"}})
            QVERIFY(QFile::link(to, log.filePath(name)));
        QVERIFY(::mkfifo(QFile::encodeName(log.filePath("capture-pipe.txt")).constData(), 0600) ==
                0);
        const QByteArray second = QFile::encodeName(log.filePath("capture-20261207-3-c.txt"));
        QVERIFY(::link(QFile::encodeName(ini.fileName()).constData(), second.constData()) == 0);

        BundleInput input;
        // A name near the folder's limit of 255 bytes: the scratch copy beside it fits all the
        // same.
        input.outputPath = root.filePath(QStringLiteral("out/%1.zip").arg(QString(240, 'b')));
        QVERIFY(root.mkpath(QStringLiteral("out")));
        input.logDir = root.filePath(QStringLiteral("log"));
        input.configDir = root.filePath(QStringLiteral("config"));
        input.since = periodStart(Period::LastDay, now.toMSecsSinceEpoch());
        input.about.madeBy = QStringLiteral("test");
        input.journal = std::vector<history::JournalEntry>(3);
        BundleProgress progress;
        const BundleResult result = writeBundle(input, progress);
        QVERIFY2(result.outcome == BundleResult::Written, qPrintable(result.error));
        QCOMPARE(progress.done.load(), progress.total.load());

        BundleReader bundle(input.outputPath);
        QCOMPARE(bundle.test(), 0);
        QCOMPARE(bundle.names(),
                 QStringList({"about.txt", "history.sqlite", "alarm-report.csv",
                              "capture/capture-20261207-080000-ttyUSB0.txt",
                              "capture/capture-20261207-090000-a_b.txt", "config/language.gl",
                              "config/plant.ini", "frames.csv", "notes.txt"}));
        QCOMPARE(bundle.names(), result.entries);
        QCOMPARE(bundle.entriesContaining(password), QStringList());
        const QByteArray notes = bundle.entry(QStringLiteral("notes.txt"));
        QVERIFY(notes.contains("log/: 4 left out: capture-20261207-1-a.txt (a symbolic link") &&
                notes.contains("3-c.txt left out: a second name"));
        QVERIFY(bundle.entry(QStringLiteral("about.txt")).endsWith("history: ok\n"));
        QCOMPARE(bundle.entry(QStringLiteral("config/language.gl")),
                 QByteArray("language = english\n"));
        QCOMPARE(bundle.database(schema),
                 schemaOf(root.filePath(QStringLiteral("log/history.sqlite"))));
        QCOMPARE(bundle.database(QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));
        QCOMPARE(bundle.database(QStringLiteral("SELECT count(*) FROM events")),
                 QStringLiteral("250"));
        QCOMPARE(bundle.database(QStringLiteral("PRAGMA user_version")),
                 QString::number(history::EventStore::schemaVersion));
    }

    void aDatabaseThatCannotBeCopiedIsLeftOutAndSaidInTheNotes() {
        QTemporaryDir dir;
        const QDir root(dir.path());
        QVERIFY(root.mkpath(QStringLiteral("log")));
        touch(root.filePath(QStringLiteral("log/history.sqlite")), QByteArray(8192, 'x'),
              QDateTime::currentDateTimeUtc());
        BundleInput input;
        input.outputPath = root.filePath(QStringLiteral("bundle.zip"));
        input.logDir = root.filePath(QStringLiteral("log"));
        BundleProgress progress;
        const BundleResult result = writeBundle(input, progress);
        QVERIFY2(result.outcome == BundleResult::Written, qPrintable(result.error));
        BundleReader bundle(input.outputPath);
        QCOMPARE(bundle.names(), QStringList({"about.txt", "notes.txt"}));
        QVERIFY(bundle.entry(QStringLiteral("notes.txt"))
                    .startsWith("history.sqlite left out: the copy failed: "));
        QVERIFY(bundle.entry(QStringLiteral("about.txt"))
                    .contains("\nhistory: history.sqlite not copied: "));
    }

    void aCancelledOrFailedExportLeavesNoFileBehind_data() {
        fixture::columns<bool, QString, int>("cancel", "target", "outcome");
        QTest::newRow("cancelled") << true << "bundle.zip" << int(BundleResult::Cancelled);
        QTest::newRow("folder missing") << false << "gone/bundle.zip" << int(BundleResult::Failed);
        // Renamed into place, the archive would replace what stands there.
        QTest::newRow("a file it reads")
            << false << "log/capture-20261207-080000-ttyUSB0.txt" << int(BundleResult::Failed);
        QTest::newRow("the history's write-ahead log")
            << false << "log/history.sqlite-wal" << int(BundleResult::Failed);
        QTest::newRow("not a plain file") << false << "pipe" << int(BundleResult::Failed);
        // Whatever the period and the links: nothing in log/ or config/ is ever replaced.
        QTest::newRow("a capture of another period")
            << false << "log/capture-20261101-080000-ttyUSB0.txt" << int(BundleResult::Failed);
        QTest::newRow("a dangling link to a history file yet to come")
            << false << "dangling.zip" << int(BundleResult::Failed);
        QTest::newRow("a link in log/ that leads out of it")
            << false << "log/capture-link.txt" << int(BundleResult::Failed);
    }
    void aCancelledOrFailedExportLeavesNoFileBehind() {
        QFETCH(bool, cancel);
        QFETCH(QString, target);
        QFETCH(int, outcome);
        QTemporaryDir dir;
        const QDir root(dir.path());
        QVERIFY(root.mkpath(QStringLiteral("log")));
        const QDateTime now = QDateTime::currentDateTimeUtc();
        for (const char *name :
             {"log/capture-20261101-080000-ttyUSB0.txt", "log/capture-20261207-080000-ttyUSB0.txt",
              "log/history.sqlite-wal"})
            touch(root.filePath(QLatin1String(name)), QByteArray(3 << 20, 'x'),
                  QByteArray(name).contains("1101") ? now.addDays(-30) : now);
        QVERIFY(QFile::link("../elsewhere.zip", root.filePath("log/capture-link.txt")));
        const auto all = QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
        const QStringList logFiles = QDir(root.filePath(QStringLiteral("log"))).entryList(all);
        QVERIFY(::mkfifo(QFile::encodeName(root.filePath(QStringLiteral("pipe"))).constData(),
                         0600) == 0);
        QVERIFY(
            QFile::link(QStringLiteral("log/history.sqlite-shm"), root.filePath("dangling.zip")));
        BundleInput input;
        input.outputPath = root.filePath(target);
        input.logDir = root.filePath(QStringLiteral("log"));
        input.since = periodStart(Period::LastDay, now.toMSecsSinceEpoch());
        const qint64 size = QFileInfo(input.outputPath).size();
        BundleProgress progress;
        progress.cancel = cancel;
        const BundleResult result = writeBundle(input, progress);
        QCOMPARE(int(result.outcome), outcome);
        QCOMPARE(result.error.isEmpty(), cancel);
        QCOMPARE(QFileInfo(input.outputPath).size(), size);
        // Nothing else: no temporary file either.
        QCOMPARE(root.entryList(all), QStringList({"dangling.zip", "log", "pipe"}));
        QCOMPARE(QDir(root.filePath(QStringLiteral("log"))).entryList(all), logFiles);
    }

    // A cancel (or a signal) that comes as the archive gets its name is too late: the archive
    // stands, and is said to stand.
    void aCancelTooLateToStopTheArchiveSaysItWasWritten() {
        QTemporaryDir dir;
        const QDir root(dir.path());
        QVERIFY(root.mkpath(QStringLiteral("log")));
        touch(root.filePath(QStringLiteral("log/capture-20261207-080000-ttyUSB0.txt")), "x\n",
              QDateTime::currentDateTimeUtc());
        BundleInput input;
        input.outputPath = root.filePath(QStringLiteral("bundle.zip"));
        input.logDir = root.filePath(QStringLiteral("log"));
        for (int i = 0; i < 20; ++i) {
            QFile::remove(input.outputPath);
            BundleProgress progress;
            BundleResult result;
            std::unique_ptr<QThread> worker(
                QThread::create([&] { result = writeBundle(input, progress); }));
            worker->start();
            // Cancelled the moment the name stands, before the worker has returned.
            while (!worker->isFinished() && !QFileInfo::exists(input.outputPath))
                ;
            progress.cancel = true;
            QVERIFY(worker->wait(10000));
            QCOMPARE(result.outcome == BundleResult::Written, QFile::exists(input.outputPath));
        }
    }

    // No history is no data: no alarm summary for the plant link, never one of zero rises.
    void aFolderWithoutHistoryGivesNoAlarmSummary() {
        QTemporaryDir dir;
        plant::AlarmSummary s;
        QString error;
        QVERIFY(!service::readAlarmSummary(dir.filePath("log/none.sqlite"), 1, &s, &error));
    }

    // A bundle of nothing is no bundle; the window's frame journal is something.
    void aFolderWithoutHistoryIsNoBundleUnlessTheWindowHasFrames() {
        QTemporaryDir dir;
        BundleInput input;
        input.outputPath = dir.filePath(QStringLiteral("bundle.zip"));
        input.logDir = dir.filePath(QStringLiteral("log"));
        BundleProgress progress;
        const BundleResult none = writeBundle(input, progress);
        QCOMPARE(int(none.outcome), int(BundleResult::Failed));
        QVERIFY2(none.error.contains(QDir::toNativeSeparators(QDir::currentPath())),
                 qPrintable(none.error));
        QVERIFY(!QFile::exists(input.outputPath));
        input.journal = std::vector<history::JournalEntry>(1);
        QCOMPARE(int(writeBundle(input, progress).outcome), int(BundleResult::Written));
        QCOMPARE(BundleReader(input.outputPath).names(), QStringList({"about.txt", "frames.csv"}));
    }

    void aCancelStopsTheDatabaseCopyWithinASecondAndLeavesNothingBehind() {
        QTemporaryDir dir;
        const QDir root(dir.path());
        QVERIFY(root.mkpath(QStringLiteral("log")) && root.mkpath(QStringLiteral("out")));
        const QString database = root.filePath(QStringLiteral("log/history.sqlite"));
        QVERIFY(fillHistory(database, 200000)); // some 60 MB
        BundleInput input;
        input.outputPath = root.filePath(QStringLiteral("out/bundle.zip"));
        input.logDir = root.filePath(QStringLiteral("log"));
        BundleProgress progress;
        BundleResult result;
        std::unique_ptr<QThread> worker(
            QThread::create([&] { result = writeBundle(input, progress); }));
        worker->start();
        // The copy has begun, beside the archive (not in the system's temporary folder).
        QVERIFY(fixture::waitUntil([&] { return progress.done.load() > 0; }, 20000));
        const QDir out(root.filePath(QStringLiteral("out")));
        const QStringList scratch = out.entryList(QDir::Files | QDir::Hidden);
        QVERIFY2(scratch.size() == 1 && scratch[0].startsWith(".bundle.zip.history-"),
                 qPrintable(scratch.join(',')));
        const qint64 copied = progress.done.load();
        QElapsedTimer clock;
        clock.start();
        progress.cancel = true;
        QVERIFY(worker->wait(10000));
        QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(copied < QFileInfo(database).size()); // stopped inside the copy
        QCOMPARE(int(result.outcome), int(BundleResult::Cancelled));
        QCOMPARE(out.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList());
    }

    // A full disk is said, and no empty or cut file stands under the chosen name.
    void aFullDiskIsSaidAndNothingStandsUnderTheName() {
        QTemporaryDir dir;
        const QDir root(dir.path());
        QVERIFY(root.mkpath(QStringLiteral("log")));
        touch(root.filePath(QStringLiteral("log/capture-20261207-080000-ttyUSB0.txt")), "x\n",
              QDateTime::currentDateTimeUtc());
        SmallDisk disk;
        BundleInput input;
        input.outputPath = disk.path() + QStringLiteral("/bundle.zip");
        input.logDir = root.filePath(QStringLiteral("log"));
        BundleProgress progress;
        QString error;
        disk.fill();
        const BundleResult result = writeBundle(input, progress);
        const bool saved =
            saveProfile(disk.path() + QStringLiteral("/p.ccbsettings"), sampleProfile(), &error);
        disk.free();
        QCOMPARE(int(result.outcome), int(BundleResult::Failed));
        QVERIFY2(result.error.contains(disk.fullReason()), qPrintable(result.error));
        QVERIFY2(!saved && error.contains(disk.fullReason()), qPrintable(error));
        QCOMPARE(QDir(disk.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
    }
};

int main(int argc, char **argv) {
    // Before any thread: the small disk is a mount of this process alone.
    SmallDisk::enterPrivateMounts();
    QCoreApplication app(argc, argv);
    ServiceFiles test;
    return QTest::qExec(&test, argc, argv);
}
#include "service_files_test.moc"
