// Reading config/plant.ini: what a usable file gives, and one clear line for each kind of
// mistake an operator makes, never quoting a value.
#include "plant/config.h"
#include "plant/plant_id.h"
#include "support/certificates.h"
#include "support/english.h"
#include "support/plant_ids.h"
#include "support/table.h"

#include <QTemporaryDir>
#include <QTest>

#include <memory>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {

// What an operator might type as a password; no three characters of it in a row may appear in
// an error.
const QByteArray secret = "Qz7Xk9Wv";

bool showsSecret(const QString &text) {
    for (int i = 0; i + 3 <= secret.size(); ++i)
        if (text.contains(QString::fromLatin1(secret.mid(i, 3))))
            return true;
    return false;
}

} // namespace

class PlantConfigTest : public QObject {
    Q_OBJECT

    EnglishCatalogue english;
    // bay3 with an encrypted key (passphrase: the secret), other from another authority, and
    // the files a person gets wrong beside them.
    std::unique_ptr<Certificates> certs;

    QString write(const QString &file, const QByteArray &bytes) {
        QFile f(certs->path(file));
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return f.fileName();
    }
    // The settings with DIR/ standing for the certificates' folder, read as the programs do.
    plant::ConfigResult load(const QByteArray &text) {
        const QString ini = write(QStringLiteral("plant.ini"),
                                  QByteArray(text).replace("DIR/", certs->folder().toUtf8() + '/'));
        return plant::loadConfig(ini);
    }

private slots:
    void initTestCase() {
        QVERIFY(english.isLoaded());
        if (!Certificates::available())
            QSKIP("openssl is not installed (tools/packages.sh lists it)");
        certs = std::make_unique<Certificates>();
        certs->issue(QStringLiteral("bay3"), QStringLiteral("bay3"), Certificates::Plant, -1, 40,
                     {}, secret);
        certs->issue(QStringLiteral("other"), QStringLiteral("bay3"), Certificates::Other);
        QVERIFY(certs->made);
        // A passphrase and a password as editors leave them: CRLF, no line end, a BOM.
        write(QStringLiteral("pass"), secret + "\r\n");
        write(QStringLiteral("password"), "\xEF\xBB\xBF" + secret);
        write(QStringLiteral("wrong"), "not-" + secret + "\n");
        write(QStringLiteral("blank"), "\n" + secret + "\n");
        // Saved as UTF-16 by an editor: the first line is not what a person typed.
        write(QStringLiteral("utf16"), QByteArray("\xFF\xFEQ\0z\0", 6));
        write(QStringLiteral("binary"), QByteArray(2000, '\x80'));
        write(QStringLiteral("huge.key"), QByteArray(70 * 1024, 'A'));
        QDir(certs->folder()).mkdir(QStringLiteral("folder"));
#ifdef Q_OS_UNIX
        QCOMPARE(::mkfifo(QFile::encodeName(certs->path(QStringLiteral("fifo"))).constData(), 0600),
                 0);
#endif
    }

    void clientFilesAreReadWithEveryLineEnd() {
        const plant::ConfigResult r =
            load("[mqtt]\nurl = mqtts://h\nusername = u\npassword_file = DIR/password\n"
                 "cert_file = DIR/bay3.pem\nkey_file = DIR/bay3.key\nkey_password_file = DIR/pass\n"
                 "protocol = 3.1.1\n");
        QCOMPARE(r.error, QString());
        QCOMPARE(r.config.password, QString::fromLatin1(secret));
        QCOMPARE(r.config.keyPassword, secret);
        QCOMPARE(r.config.certificate.name, QStringLiteral("bay3"));
        QVERIFY(qAbs(r.config.certificate.notAfter.secsTo(
                    QDateTime::currentDateTimeUtc().addDays(40))) < 600);
        QCOMPARE(r.config.protocol, plant::Protocol::Mqtt311);
        QCOMPARE(plant::parseConfig("[mqtt]\nurl = mqtt://h\n", QString()).config.protocol,
                 plant::Protocol::Mqtt5);
    }

    void filesHoldingASecretThatOthersCanReadAreNamed() {
#ifdef Q_OS_UNIX
        for (const char *file : {"plant.ini", "pass", "password", "bay3.key"})
            QFile::setPermissions(certs->path(QLatin1String(file)),
                                  QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QFile::setPermissions(certs->path(QStringLiteral("pass")),
                              QFileDevice::ReadOwner | QFileDevice::ReadOther);
        const QByteArray tail = "cert_file = DIR/bay3.pem\nkey_file = DIR/bay3.key\n"
                                "key_password_file = DIR/pass\n";
        plant::ConfigResult r = load("[mqtt]\nurl = mqtts://h\nusername = u\n"
                                     "password_file = DIR/password\n" +
                                     tail);
        QCOMPARE(r.config.exposed, QStringList{QStringLiteral("key_password_file")});
        // The settings file itself, when the password stands in it (written 0644 by default).
        // Still writable by its owner: the next cases write it again, as a user and not root.
        QFile::setPermissions(certs->path(QStringLiteral("plant.ini")),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                  QFileDevice::ReadGroup);
        r = load("[mqtt]\nurl = mqtts://h\nusername = u\npassword = x\n" + tail);
        QCOMPARE(r.config.exposed, QStringList({certs->path(QStringLiteral("plant.ini")),
                                                QStringLiteral("key_password_file")}));
#else
        QSKIP("only where a file's mode tells who may read it");
#endif
    }

    void unusableClientFilesAreRefusedWithTheLineAndTheReason_data() {
        fixture::columns<QByteArray, QString>("lines", "error");
        const QByteArray cert = "cert_file = DIR/bay3.pem\n";
        const QByteArray key = "key_file = DIR/bay3.key\n";
        const QByteArray pass = "key_password_file = DIR/pass\n";
        QTest::newRow("no such certificate")
            << "cert_file = DIR/none.pem\n" + key + pass
            << "line 4: cert_file cannot be read: No such file or directory";
        QTest::newRow("a folder") << "cert_file = DIR/folder\n" + key + pass
                                  << "line 4: cert_file cannot be read: not a regular file";
#ifdef Q_OS_UNIX
        QTest::newRow("a pipe") << cert + "key_file = DIR/fifo\n" + pass
                                << "line 5: key_file cannot be read: not a regular file";
#endif
        QTest::newRow("not PEM") << "cert_file = DIR/binary\n" + key + pass
                                 << "line 4: cert_file holds no PEM certificate";
        QTest::newRow("a certificate as the key") << cert + "key_file = DIR/bay3.pem\n" + pass
                                                  << "line 5: key_file holds no PEM private key";
        QTest::newRow("a huge key") << cert + "key_file = DIR/huge.key\n" + pass
                                    << "line 5: key_file cannot be read: too large (over 64 KiB)";
        QTest::newRow("another certificate's key")
            << cert + "key_file = DIR/other.key\n"
            << "line 5: the key in key_file does not belong to the certificate in cert_file";
        QTest::newRow("no passphrase")
            << cert + key << "line 5: the key in key_file is encrypted and needs key_password_file";
        QTest::newRow("wrong passphrase")
            << cert + key + "key_password_file = DIR/wrong\n"
            << "line 6: the passphrase in key_password_file does not open the key in key_file";
        QTest::newRow("passphrase on the second line")
            << cert + key + "key_password_file = DIR/blank\n"
            << "line 6: the first line of key_password_file is empty";
        QTest::newRow("password saved as UTF-16")
            << QByteArray("password_file = DIR/utf16\n")
            << "line 4: the first line of password_file is not UTF-8 text";
        QTest::newRow("certificate without key")
            << cert << "line 4: cert_file given without key_file";
        QTest::newRow("key without certificate")
            << key << "line 4: key_file given without cert_file";
        QTest::newRow("passphrase without key")
            << pass << "line 4: key_password_file given without key_file";
        QTest::newRow("both passwords")
            << "password = " + secret + "\npassword_file = DIR/password\n"
            << "line 5: give password or password_file, not both";
        QTest::newRow("no password file")
            << QByteArray("password_file = DIR/none\n")
            << "line 4: password_file cannot be read: No such file or directory";
        QTest::newRow("empty path")
            << QByteArray("password_file =\n") << "line 4: password_file is empty";
        QTest::newRow("protocol 4")
            << QByteArray("protocol = 4\n") << "line 4: protocol must be 5 or 3.1.1";
    }
    void unusableClientFilesAreRefusedWithTheLineAndTheReason() {
        QFETCH(QByteArray, lines);
        QFETCH(QString, error);
        const plant::ConfigResult r = load("[mqtt]\nurl = mqtts://h\nusername = u\n" + lines);
        QCOMPARE(r.error, certs->path(QStringLiteral("plant.ini")) + QStringLiteral(" ") + error);
        QVERIFY2(!showsSecret(r.error), qPrintable(r.error));
    }

    void aCaFileReplacedByAPipeSinceTheStartIsRefusedBeforeTheNextAttempt() {
#ifdef Q_OS_UNIX
        const QString ca = write(QStringLiteral("ca-now"), "not read here\n");
        plant::ConfigResult r = load("[mqtt]\nurl = mqtts://h\nca_file = DIR/ca-now\n");
        QCOMPARE(r.error, QString());
        QVERIFY(QFile::remove(ca) && ::mkfifo(QFile::encodeName(ca).constData(), 0600) == 0);
        QCOMPARE(plant::readClientFiles(r.config),
                 certs->path(QStringLiteral("plant.ini")) +
                     QStringLiteral(" line 3: ca_file cannot be read: not a regular file"));
#else
        QSKIP("pipes in the file system are Unix's");
#endif
    }

    void aCertificateOverPlainMqttOrAPasswordFileWithoutUserIsRefused() {
        QCOMPARE(plant::parseConfig("[mqtt]\nurl = mqtt://h\ncert_file = c\nkey_file = k\n",
                                    QStringLiteral("f"))
                     .error,
                 QStringLiteral("f line 3: cert_file needs an mqtts:// url"));
        QCOMPARE(
            plant::parseConfig("[mqtt]\nurl = mqtt://h\npassword_file = p\n", QStringLiteral("f"))
                .error,
            QStringLiteral("f line 3: password_file given without username"));
    }

    void aMinimalFileGetsTheDefaults() {
        const plant::ConfigResult r =
            plant::parseConfig("[mqtt]\nurl = mqtt://broker.plant\n", QStringLiteral("plant.ini"));
        QCOMPARE(r.error, QString());
        QCOMPARE(r.config.serverUri, QStringLiteral("tcp://broker.plant:1883"));
        QCOMPARE(r.config.port, 1883);
        QVERIFY(!r.config.tls);
        QCOMPARE(r.config.topicPrefix, QStringLiteral("laser"));
        QCOMPARE(r.config.laserId, QString());
        QCOMPARE(r.config.username, QString());
    }

    void aFullFileWithCommentsQuotesAndTls() {
        QTemporaryDir dir;
        const QString ca = dir.filePath(QStringLiteral("ca.pem"));
        QFile file(ca);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("-----BEGIN CERTIFICATE-----\n");
        file.close();
        const QByteArray text = "; plant broker\n\n  [mqtt]  \r\n# where\nurl=mqtts://10.1.2.3\r\n"
                                "ca_file = " +
                                ca.toUtf8() +
                                "\nusername = hall2\n"
                                "password = \"p = w;d\"\ntopic_prefix = plant/hall2/laser\n"
                                "laser_id = cutter-7\nformat = both\ngroup_id = hall2\n"
                                "primary_host_id = scada\n";
        const plant::ConfigResult r = plant::parseConfig(text, QStringLiteral("plant.ini"));
        QCOMPARE(r.error, QString());
        QCOMPARE(r.config.serverUri, QStringLiteral("ssl://10.1.2.3:8883"));
        QVERIFY(r.config.tls);
        QCOMPARE(r.config.caFile, ca);
        QCOMPARE(r.config.username, QStringLiteral("hall2"));
        QCOMPARE(r.config.password, QStringLiteral("p = w;d"));
        QCOMPARE(r.config.topicPrefix, QStringLiteral("plant/hall2/laser"));
        QCOMPARE(r.config.laserId, QStringLiteral("cutter-7"));
        QVERIFY(r.config.format == plant::Format::Both);
        QCOMPARE(r.config.groupId + r.config.primaryHostId, QStringLiteral("hall2scada"));
    }

    void portsAndIpv6Hosts() {
        plant::ConfigResult r =
            plant::parseConfig("[mqtt]\nurl = mqtt://[::1]:1999\n", QStringLiteral("f"));
        QCOMPARE(r.error, QString());
        QCOMPARE(r.config.serverUri, QStringLiteral("tcp://[::1]:1999"));
        r = plant::parseConfig("[mqtt]\nurl = MQTT://host:65535/\n", QStringLiteral("f"));
        QCOMPARE(r.error, QString());
        QCOMPARE(r.config.port, 65535);
    }

    void mistakesGiveOneLineNamingTheFileAndLine_data() {
        fixture::columns<QByteArray, QString>("text", "error");
        QTest::newRow("empty") << QByteArray() << "plant.ini: no [mqtt] section";
        QTest::newRow("no url") << QByteArray("[mqtt]\nusername = a\n")
                                << "plant.ini: url is missing";
        QTest::newRow("not key value")
            << QByteArray("[mqtt]\nurl mqtt://h\n") << "plant.ini line 2: expected key = value";
        QTest::newRow("key before section") << QByteArray("url = mqtt://h\n[mqtt]\n")
                                            << "plant.ini line 1: key before the [mqtt] section";
        QTest::newRow("other section")
            << QByteArray("[broker]\n")
            << "plant.ini line 1: unknown section; the only one is [mqtt]";
        QTest::newRow("open header")
            << QByteArray("[mqtt\n") << "plant.ini line 1: section header without closing ]";
        QTest::newRow("section twice")
            << QByteArray("[mqtt]\n[mqtt]\n") << "plant.ini line 2: [mqtt] appears twice";
        QTest::newRow("typo in key")
            << QByteArray("[mqtt]\nurl = mqtt://h\npasword = hunter2\n")
            << "plant.ini line 3: unknown key pasword; did you mean password?";
        // A word far from every key may be a password typed in a key's place: never quoted.
        QTest::newRow("a word in a key's place")
            << QByteArray("[mqtt]\nurl = mqtt://h\ncorrecthorsebattery = x\n")
            << "plant.ini line 3: unknown key (known: url, username, password, ca_file, "
               "topic_prefix, laser_id, cert_file, key_file, key_password_file, password_file, "
               "protocol, format, group_id, primary_host_id)";
        QTest::newRow("key twice") << QByteArray("[mqtt]\nurl = mqtt://h\nurl = mqtt://g\n")
                                   << "plant.ini line 3: url is given twice";
        QTest::newRow("http url") << QByteArray("[mqtt]\nurl = http://h\n")
                                  << "plant.ini line 2: url must start with mqtt:// or mqtts://";
        QTest::newRow("bare host")
            << QByteArray("[mqtt]\nurl = broker\n")
            << "plant.ini line 2: url is not a valid address (expected mqtt://host:1883 or "
               "mqtts://host:8883)";
        QTest::newRow("port too large")
            << QByteArray("[mqtt]\nurl = mqtt://h:70000\n")
            << "plant.ini line 2: url is not a valid address (expected mqtt://host:1883 or "
               "mqtts://host:8883)";
        QTest::newRow("credentials in url")
            << QByteArray("[mqtt]\nurl = mqtt://u:hunter2@h\n")
            << "plant.ini line 2: url must not hold a user name or password; use the username and "
               "password keys";
        QTest::newRow("path") << QByteArray("[mqtt]\nurl = mqtt://h/x\n")
                              << "plant.ini line 2: url must not have a path";
        QTest::newRow("password alone")
            << QByteArray("[mqtt]\nurl = mqtt://h\npassword = hunter2\n")
            << "plant.ini line 3: password given without username";
        QTest::newRow("ca file without tls")
            << QByteArray("[mqtt]\nurl = mqtt://h\nca_file = /etc/hostname\n")
            << "plant.ini line 3: ca_file needs an mqtts:// url";
        QTest::newRow("missing ca file")
            << QByteArray("[mqtt]\nurl = mqtts://h\nca_file = /nonexistent/ca.pem\n")
            << "plant.ini line 3: ca_file cannot be read: No such file or directory";
        QTest::newRow("wildcard prefix")
            << QByteArray("[mqtt]\nurl = mqtt://h\ntopic_prefix = laser/#\n")
            << "plant.ini line 3: topic_prefix must be non-empty, without +, # or empty levels";
        QTest::newRow("empty level in prefix")
            << QByteArray("[mqtt]\nurl = mqtt://h\ntopic_prefix = a//b\n")
            << "plant.ini line 3: topic_prefix must be non-empty, without +, # or empty levels";
        QTest::newRow("slash in id")
            << QByteArray("[mqtt]\nurl = mqtt://h\nlaser_id = a/b\n")
            << "plant.ini line 3: laser_id must be non-empty, without /, + or #";
        QTest::newRow("empty id")
            << QByteArray("[mqtt]\nurl = mqtt://h\nlaser_id =\n")
            << "plant.ini line 3: laser_id must be non-empty, without /, + or #";
        QTest::newRow("other format") << QByteArray("[mqtt]\nurl = mqtt://h\nformat = JSON\n")
                                      << "plant.ini line 3: format must be json, sparkplug or both";
        QTest::newRow("sparkplug without a group")
            << QByteArray("[mqtt]\nurl = mqtt://h\nformat = sparkplug\n")
            << "plant.ini line 3: format = sparkplug or both needs group_id";
        QTest::newRow("wildcard group")
            << QByteArray("[mqtt]\nurl = mqtt://h\nformat = both\ngroup_id = +\n")
            << "plant.ini line 4: group_id must be non-empty, without /, + or #";
        QTest::newRow("a no-break space in the id")
            << QByteArray("[mqtt]\nurl = mqtt://h\nlaser_id = cutter\xc2\xa0"
                          "7\n")
            << "plant.ini line 3: laser_id holds a blank, U+00A0 (character 7)";
        QTest::newRow("not utf-8")
            << QByteArray("[mqtt]\nurl = mqtt://h\xff\n") << "plant.ini line 2: not UTF-8 text";
        // Every line end an editor writes counts, so the line named is the one the user sees.
        QTest::newRow("CR-only lines") << QByteArray("[mqtt]\rurl = mqtt://h\rpassword = x\r")
                                       << "plant.ini line 3: password given without username";
        QTest::newRow("mixed line ends")
            << QByteArray("[mqtt]\r\nurl = mqtt://h\r\n\rlaser_id = a/b\n")
            << "plant.ini line 4: laser_id must be non-empty, without /, + or #";
        QTest::newRow("not utf-8 after CR lines")
            << QByteArray("[mqtt]\r\r\xfe\n") << "plant.ini line 3: not UTF-8 text";
        QTest::newRow("a NUL") << QByteArray("[mqtt]\nurl = mqtt://h\0x\n", 24)
                               << "plant.ini line 2: not UTF-8 text";
    }
    void mistakesGiveOneLineNamingTheFileAndLine() {
        QFETCH(QByteArray, text);
        QFETCH(QString, error);
        const plant::ConfigResult r = plant::parseConfig(text, QStringLiteral("plant.ini"));
        QCOMPARE(r.error, error);
        QVERIFY(!r.error.contains(QStringLiteral("hunter2")));
    }

    void aSecretNeverAppearsInAConfigError_data() {
        QTest::addColumn<QByteArray>("text");
        const QByteArray s = secret;
        const QByteArray head = "[mqtt]\nurl = mqtt://h\n";
        QTest::newRow("colon for equals") << head + "password: " + s + "=x\n";
        QTest::newRow("blank in the key") << head + "pass word = " + s + "\n";
        QTest::newRow("capital key") << head + "Password = " + s + "\n";
        QTest::newRow("secret as key") << head + s + " = x\n";
        QTest::newRow("no equals") << head + s + "\n";
        QTest::newRow("empty key") << head + "= " + s + "\n";
        QTest::newRow("as a section") << "[" + s + "]\n";
        QTest::newRow("open section") << "[" + s + "\n";
        QTest::newRow("before the section") << "password = " + s + "\n[mqtt]\n";
        QTest::newRow("given twice")
            << head + "username = u\npassword = " + s + "\npassword = " + s + "\n";
        QTest::newRow("without user") << head + "password = " + s + "\n";
        QTest::newRow("in the url") << QByteArray("[mqtt]\nurl = mqtt://u:" + s + "@h\n");
        QTest::newRow("as the url") << QByteArray("[mqtt]\nurl = " + s + "\n");
        QTest::newRow("as the port") << QByteArray("[mqtt]\nurl = mqtt://h:" + s + "\n");
        QTest::newRow("as the path") << QByteArray("[mqtt]\nurl = mqtts://h/" + s + "\n");
        QTest::newRow("as the query") << QByteArray("[mqtt]\nurl = mqtt://h?" + s + "\n");
        QTest::newRow("as a ca file") << "[mqtt]\nurl = mqtts://h\nca_file = /tmp/" + s + "\n";
        QTest::newRow("ca file without tls") << head + "ca_file = " + s + "\n";
        QTest::newRow("as the prefix") << head + "topic_prefix = " + s + "/#\n";
        QTest::newRow("as the id") << head + "laser_id = " + s + "/+\n";
        QTest::newRow("not utf-8") << head + "username = u\npassword = " + s + "\xff\n";
    }
    void aSecretNeverAppearsInAConfigError() {
        QFETCH(QByteArray, text);
        const plant::ConfigResult r = plant::parseConfig(text, QStringLiteral("plant.ini"));
        QVERIFY(r.error.startsWith(QStringLiteral("plant.ini")));
        QVERIFY2(!showsSecret(r.error), qPrintable(r.error));
        QVERIFY(!r.error.contains(QLatin1Char('\n')));
    }

    void aMissingFileIsAnError() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("plant.ini"));
        QCOMPARE(plant::loadConfig(path).error, path + QStringLiteral(": cannot be read"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(70 * 1024, ';'));
        file.close();
        QCOMPARE(plant::loadConfig(path).error,
                 path + QStringLiteral(": too large for a settings file"));
#ifdef Q_OS_UNIX
        QVERIFY(QFile::remove(path) && ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
        QCOMPARE(plant::loadConfig(path).error, path + QStringLiteral(": cannot be read"));
#endif
    }

    // The one rule for an id: the same table as the fleet's reader.
    void aLaserIdThatTheFleetWouldRefuseIsRefusedAtStart_data() {
        addPlantIdRows();
    }
    void aLaserIdThatTheFleetWouldRefuseIsRefusedAtStart() {
        QFETCH(QString, id);
        QFETCH(bool, valid);
        // The Sparkplug group and primary host by the same rule.
        for (const QByteArray key : {"laser_id", "group_id", "primary_host_id"}) {
            const plant::ConfigResult r = plant::parseConfig(
                "[mqtt]\nurl = mqtt://h\n" + key + " = \"" + id.toUtf8() + "\"\n", "plant.ini");
            QVERIFY2(valid ? r.error.isEmpty() : r.error.startsWith("plant.ini line 3: "),
                     qPrintable(r.error));
        }
        // The id made from the host and port names is always one the rule takes.
        QVERIFY(plant::validPlantId(plant::defaultLaserId(id, QStringLiteral("ttyUSB0"))));
    }

    void theDefaultLaserIdIsOneTopicLevel() {
        QCOMPARE(plant::defaultLaserId(QStringLiteral("pc7"), QStringLiteral("ttyUSB0")),
                 QStringLiteral("pc7-ttyUSB0"));
        QCOMPARE(plant::defaultLaserId(QStringLiteral("pc7"), QString()), QStringLiteral("pc7"));
        QCOMPARE(plant::defaultLaserId(QString(), QStringLiteral("COM3")),
                 QStringLiteral("host-COM3"));
        QCOMPARE(plant::defaultLaserId(QStringLiteral("hall 2/pc#7"), QStringLiteral("pts/+3")),
                 QStringLiteral("hall_2_pc_7-pts__3"));
    }
};

QTEST_GUILESS_MAIN(PlantConfigTest)
#include "plant_config_test.moc"
