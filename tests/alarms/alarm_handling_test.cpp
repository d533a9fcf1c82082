// The alarm handling without widgets from frame sequences (sequences.txt), the shelf file's forms
// (shelf_files.txt), the first out in both languages.
#include "alarms/handling.h"
#include "alarms/shelf_file.h"
#include "alarms/words.h"
#include "support/english.h"
#include "support/table.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <sys/stat.h>

using namespace alarms;

namespace {

// A table file's lines without its remarks, split at " | ".
QList<QStringList> cases(const char *file) {
    QFile f(QStringLiteral(LASER_SOURCE_DIR "/tests/alarms/") + QLatin1String(file));
    QList<QStringList> rows;
    for (const QByteArray &line :
         f.open(QIODevice::ReadOnly) ? f.readAll().split('\n') : QList<QByteArray>())
        if (!line.isEmpty() && !line.startsWith('#'))
            rows << QString::fromUtf8(line).split(QRegularExpression(QStringLiteral(" ?\\| ?")));
    return rows;
}

struct Run {
    AlarmHandling core;
    protocol::DeviceState s;
    Decisions out;
    qint64 wall = 1796662420000, mono = 5000, untold = 0;
    QStringList told; // rows as value:key(detail), notices as Kind:keys (Kind:count)

    void minutes(int wallMinutes, int monoMinutes) {
        wall += wallMinutes * 60000, mono += monoMinutes * 60000;
        core.tick(wall, mono, out);
    }
    void crash(const QString &rows) { // value.key: "on" and "off" are alarm rows
        std::vector<events::Event> run;
        for (const QString &r : rows.split(','))
            run.push_back({wall - 100 + qint64(run.size()),
                           r.startsWith("o") ? "alarm" : "handling", r.section('.', 1),
                           r.section('.', 0, 0), ""});
        core.endedWithRun(run, wall - 1, wall, mono, out);
    }
    void restore(const QString &shelves) { // key.M: an hour's shelf the wall clock ends in M min
        std::vector<Shelf> file;
        for (const QString &r : shelves.split(','))
            file.push_back(
                {r.section('.', 0, 0), 0, wall + r.section('.', 1).toInt() * 60000, 60, "op", ""});
        core.restoreShelves(file, wall, mono, out);
    }
    void frame(const QString &changes) { // +key,-key: a frame of each kind changed
        bool module = false, system = false;
        for (const QString &c : changes.split(',')) {
            const QString key = c.mid(1);
            untold += c[0] == '+' && !lines().contains(key + "=SH");
            (key == "module1.qbhFault" ? s.moduleStatus[1].qbhFault
             : key == "extEStop"       ? s.extEStop
             : key == "systemFault"    ? s.systemFault
             : key == "chillerFault"   ? s.chillerFault
                                       : s.doorInterlock) = c[0] == '+';
            (key.startsWith("module") ? module : system) = true;
        }
        for (const quint8 code : {system ? 0xE6 : 0, module ? 0xE2 : 0})
            if (code)
                core.frameApplied(code, s, wall, mono, out);
    }
    void step(const QString &step) {
        const std::map<QString, std::function<void(const QString &)>> verbs = {
            {"ack", [&](const QString &k) { core.acknowledge(k, "op", wall, mono, out); }},
            {"ackall", [&](const QString &) { core.acknowledgeAll("op", wall, mono, out); }},
            {"shelve", [&](const QString &k) { core.shelve(k, 60, "why", "op", wall, mono, out); }},
            {"unshelve", [&](const QString &k) { core.unshelve(k, "op", wall, mono, out); }},
            {"open", [&](const QString &) { core.portOpened(wall, mono, out); }},
            {"lost",
             [&](const QString &) {
                 core.dataLost(true, wall, mono, out), resetDeviceState(s), core.stateCleared(s);
             }},
            {"wait", [&](const QString &m) { minutes(m.toInt(), m.toInt()); }},
            {"jump", [&](const QString &m) { minutes(m.toInt(), 0); }}, // the wall clock alone
            {"crash", [&](const QString &rows) { crash(rows); }},
            {"restore", [&](const QString &shelves) { restore(shelves); }}};
        wall += 100, mono += 100;
        const auto verb = verbs.find(step.section(':', 0, 0));
        verb == verbs.end() ? frame(step) : verb->second(step.section(':', 1));
        for (const events::Event &e : out.rows)
            told << e.value + ':' + e.name + (e.detail.isEmpty() ? "" : '(' + e.detail + ')');
        static const char *kinds[] = {"Rise",       "FirstOut",   "FloodBegan",
                                      "FloodEnded", "ShelfEnded", "EndedWithRun"};
        for (const Notice &n : out.notices) {
            told << kinds[int(n.kind)] +
                        (':' + (n.keys.isEmpty() ? QString::number(n.count) : n.keys.join('+'))) +
                        (n.stillActive ? "!" : "");
            untold -= n.newRises;
        }
        out.clear();
    }
    QString lines() const { // key=STATE, * when first out, the rises
        static const char *states[] = {"N", "AU", "AA", "RU", "SH", "ND", "EW"};
        QStringList shown;
        for (const Line &l : core.summary(mono))
            shown << l.key + '=' + states[int(l.state)] + (l.firstOut ? "*" : "") +
                         QString::number(l.rises);
        return shown.join(' ');
    }
};

} // namespace

class AlarmHandlingTest : public QObject {
    Q_OBJECT

private slots:
    void framesGiveStatesFirstOutRowsAndNotices_data() {
        fixture::columns<QString, QString, QString>("steps", "lines", "told");
        for (const QStringList &c : cases("sequences.txt"))
            QTest::newRow(qPrintable(c[0])) << c[1] << c[2] << c.value(3);
    }
    void framesGiveStatesFirstOutRowsAndNotices() {
        QFETCH(QString, steps);
        Run run;
        for (const QString &s : steps.split(' '))
            run.step(s);
        QTEST(run.lines(), "lines");
        QTEST(run.told.join(' '), "told");
        QCOMPARE(run.untold, 0); // the notices told every rise that was not shelved, once
        QCOMPARE(run.core.unacknowledged(),
                 run.lines().count(QRegularExpression("=(AU|RU|ND|EW)")));
    }

    void shelfFileFormsAreReadSavedOrRefusedWithAMessage_data() {
        fixture::columns<QString, QByteArray, int, int, int>("kind", "content", "shelves",
                                                             "problem", "afterSave");
        for (const QStringList &c : cases("shelf_files.txt")) {
            QByteArray b = QByteArray::fromPercentEncoding(c[2].toUtf8());
            const int lines = c[1] == "many" ? shelfLimit + 1 : c[1] == "full" ? shelfLimit : 0;
            for (int k = 0; k < lines; ++k)
                b += "k" + QByteArray::number(k) + "\t1\t2\t60\top\t\n";
            b += c[1] == "big" ? QByteArray(shelfFileLimit + 1, '#') : "";
            QTest::newRow(qPrintable(c[0]))
                << c[1] << b << c[3].toInt() << c[4].toInt() << c[5].toInt();
        }
    }
    void shelfFileFormsAreReadSavedOrRefusedWithAMessage() {
        QFETCH(QString, kind);
        QFETCH(QByteArray, content);
        QTemporaryDir dir;
        const QString path = dir.filePath("config/shelves.gl");
        QFile file(kind == "link" ? path + ".real" : path);
        QVERIFY(QDir().mkpath(dir.filePath("config")) &&
                (kind == "folder" ? QDir().mkdir(path)
                 : kind == "fifo" ? mkfifo(qPrintable(path), 0600) == 0
                                  : true));
        QVERIFY(QStringList({"none", "folder", "fifo"}).contains(kind) ||
                (file.open(QIODevice::WriteOnly) && file.write(content) == content.size()));
        file.close();
        QVERIFY(kind != "link" || QFile::link(path + ".real", path));
        QVERIFY(kind != "readonly" || QFile::setPermissions(path, QFile::ReadOwner));
        const ShelfRead read = readShelves(path);
        QTEST(int(read.shelves.size()), "shelves");
        QTEST(int(read.problem), "problem");
        QCOMPARE(shelfReadText(read).isEmpty(), read.problem == ShelfProblem::None);
        const Shelf shelf{"pdFault", 1, 2, 30, "o;p", "a\tb"};
        QTEST(saveShelfChanges({{shelf.key, shelf}}, nullptr, path)
                  ? int(readShelves(path).shelves.size())
                  : -1,
              "afterSave");
        QVERIFY(kind != "link" || file.size() == content.size()); // not written through
    }

    void firstOutReadsInBothLanguages() {
        const Notice n{Notice::Kind::FirstOut, {"doorInterlock"}};
        QCOMPARE(noticeText(n), QString::fromUtf8("首出: 连锁机门"));
        EnglishCatalogue english;
        QCOMPARE(noticeText(n), QStringLiteral("First out: Door interlock"));
    }
};

QTEST_MAIN(AlarmHandlingTest)
#include "alarm_handling_test.moc"
