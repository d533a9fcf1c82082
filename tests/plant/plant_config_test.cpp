// Reading config/plant.ini: what a usable file gives, and one clear line for each kind of
// mistake an operator makes, never quoting a value.
#include "plant/config.h"
#include "support/english.h"
#include "support/table.h"

#include <QTemporaryDir>
#include <QTest>

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

private slots:
    void initTestCase() { QVERIFY(english.isLoaded()); }

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
                                "laser_id = cutter-7\n";
        const plant::ConfigResult r = plant::parseConfig(text, QStringLiteral("plant.ini"));
        QCOMPARE(r.error, QString());
        QCOMPARE(r.config.serverUri, QStringLiteral("ssl://10.1.2.3:8883"));
        QVERIFY(r.config.tls);
        QCOMPARE(r.config.caFile, ca);
        QCOMPARE(r.config.username, QStringLiteral("hall2"));
        QCOMPARE(r.config.password, QStringLiteral("p = w;d"));
        QCOMPARE(r.config.topicPrefix, QStringLiteral("plant/hall2/laser"));
        QCOMPARE(r.config.laserId, QStringLiteral("cutter-7"));
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
            << "plant.ini line 3: unknown key pasword (known: url, username, password, ca_file, "
               "topic_prefix, laser_id)";
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
