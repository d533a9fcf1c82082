// The view choices file, config/view.gl: what a person may have written in it, what stands in
// its place, and writing it where that cannot be done. Reading never fails.
#include "preference/view_preference.h"
#include "support/table.h"
#include "support/work_dir.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

#include <sys/stat.h>

using preference::ViewChoices;

class ViewPreferenceTest : public QObject {
    Q_OBJECT

private slots:
    void linesGiveTheChoicesAndTheRestKeepsTheDefaults_data() {
        fixture::columns<QByteArray, bool, bool>("content", "notifications", "shapes");
        QTest::newRow("empty") << QByteArray() << true << false;
        QTest::newRow("both, CRLF, blanks")
            << QByteArray("notifications=off\r\n  lamp_shapes   =\ton  \r\n") << false << true;
        QTest::newRow("byte-order mark")
            << QByteArray("\xEF\xBB\xBFlamp_shapes = on") << true << true;
        QTest::newRow("case counts")
            << QByteArray("lamp_shapes = ON\nNotifications = off") << true << false;
        QTest::newRow("first valid line wins")
            << QByteArray("lamp_shapes = yes\nlamp_shapes = on\nlamp_shapes = off") << true << true;
        QTest::newRow("a second = spoils the value")
            << QByteArray("notifications = off = on") << true << false;
        QTest::newRow("garbage") << QByteArray("\xff\xfe\0\x01=\n=\n\n", 9) << true << false;
    }
    void linesGiveTheChoicesAndTheRestKeepsTheDefaults() {
        QFETCH(QByteArray, content);
        const ViewChoices c = preference::parseViewChoices(content);
        QTEST(c.notifications, "notifications");
        QTEST(c.lampShapes, "shapes");
    }

    void aFileThatCannotBeReadGivesTheDefaultsAndSaysWhy() {
        WorkDir dir(false);
        QString problem;
        preference::readViewChoices(&problem);
        QVERIFY(problem.isEmpty()); // missing: nothing to say
        QVERIFY(QDir().mkpath(QStringLiteral("config/view.gl")));
        QCOMPARE(preference::readViewChoices(&problem).lampShapes, false);
        QVERIFY(problem.contains(QStringLiteral("not a regular file")));
        QVERIFY(QDir().rmdir(QStringLiteral("config/view.gl")));
        // Huge: only the start is read, and said.
        QVERIFY(WorkDir::writeConfig(QStringLiteral("view.gl"), "lamp_shapes = on\n" +
                                                                    QByteArray(8 << 20, 'x') +
                                                                    "\nnotifications = off\n"));
        const ViewChoices huge = preference::readViewChoices(&problem);
        QVERIFY(huge.lampShapes && huge.notifications);
        QVERIFY(problem.contains(QStringLiteral("longer than 4096 bytes")));
    }

    void writingReplacesTheFileOrSaysWhyItCannot() {
        WorkDir dir(false);
        QString error;
        QVERIFY(preference::writeViewChoices({false, true}, &error));
        const ViewChoices back = preference::readViewChoices();
        QVERIFY(!back.notifications && back.lampShapes);
        QVERIFY(QFile::remove(preference::viewFilePath()));
        QVERIFY(QDir().mkdir(preference::viewFilePath()));
        QVERIFY(!preference::writeViewChoices({}, &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(QDir().rmdir(preference::viewFilePath()));
        // A link to a pipe (or a device) in its place: the pipe stays a pipe.
        QVERIFY(::mkfifo("pipe", 0600) == 0);
        QVERIFY(QFile::link(QStringLiteral("../pipe"), preference::viewFilePath()));
        QVERIFY(!preference::writeViewChoices({}, &error));
        // In the program's own words, never the system's English.
        QVERIFY(error.contains(QString::fromUtf8("不是普通文件")));
        QVERIFY(!QFileInfo(QStringLiteral("pipe")).isFile());
        QVERIFY(QFile::remove(preference::viewFilePath()) && QFile::remove(QStringLiteral("pipe")));
        // A link to a file elsewhere: never replaced through it (as root, /etc/passwd).
        QVERIFY(WorkDir::writeConfig(QStringLiteral("users"), "root:x:0:0\n"));
        QVERIFY(QFile::link(QStringLiteral("users"), preference::viewFilePath()));
        QVERIFY(!preference::writeViewChoices({}, &error) &&
                error.contains(QString::fromUtf8("链接")));
        QVERIFY(QFile::remove(preference::viewFilePath()) &&
                QFile(QStringLiteral("config/users")).size() == 11);
        QVERIFY(QFile::remove(QStringLiteral("config/users")));
        QVERIFY(QDir().rmdir(QStringLiteral("config")));
        QFile notAFolder(QStringLiteral("config"));
        QVERIFY(notAFolder.open(QIODevice::WriteOnly));
        notAFolder.close();
        QVERIFY(!preference::writeViewChoices({}, &error));
        QVERIFY(error.contains(QStringLiteral("config")));
    }
};

QTEST_GUILESS_MAIN(ViewPreferenceTest)
#include "view_preference_test.moc"
