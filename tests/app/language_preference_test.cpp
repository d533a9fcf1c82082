// The language preference file and the catalogues: reading, the canonical rewrite, creating
// the file, run-time switching, and the failures the user is told about.
#include "preference/language_preference.h"
#include "support/modal.h"
#include "support/serial_probe.h"
#include "support/table.h"
#include "support/work_dir.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
#include <QTextCodec>
#endif

#include <csignal>
#include <grp.h>
#include <memory>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const QByteArray chineseLine = QByteArrayLiteral("language = chinese");
const QByteArray englishLine = QByteArrayLiteral("language = english");
const QString chineseRefresh = QString::fromUtf8("刷新串口");

bool showsEnglish(Serial &w) {
    // The English catalogue translates every form text; the refresh caption stands for them.
    return SerialProbe::form(w)->pushButtonUpData->text() != chineseRefresh;
}

// Exit codes of the child below that mean "cannot be tried here", not "failed".
constexpr int cannotDropPrivileges = 77;
constexpr int folderNotLocked = 78;

// Runs `write` in a child process that may not create files in ./config. Root ignores
// permissions, so a root parent has the child drop to the unprivileged user nobody first.
template <typename Write> int inChildThatCannotWriteConfig(Write write) {
    const pid_t pid = fork();
    if (pid < 0)
        return -1;
    if (pid == 0) {
        const uid_t nobody = 65534;
        if (geteuid() == 0 &&
            (setgroups(0, nullptr) != 0 || setgid(nobody) != 0 || setuid(nobody) != 0))
            _exit(cannotDropPrivileges);
        if (access("config", W_OK) == 0)
            _exit(folderNotLocked);
        _exit(write() ? 0 : 1);
    }
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

} // namespace

class LanguagePreferenceTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
        // A Chinese desktop's locale. Qt 5 would read the preference file with it; Qt 6 reads
        // UTF-8 whatever the locale, and so must the program under both.
        QTextCodec::setCodecForLocale(QTextCodec::codecForName("GB18030"));
#endif
    }
    void cleanupTestCase() {
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
        QTextCodec::setCodecForLocale(nullptr);
#endif
    }

    void fileContentIsOneLineOfEighteenBytes() {
        QCOMPARE(preference::fileContent(preference::chinese), chineseLine);
        QCOMPARE(preference::fileContent(preference::english).size(), 18);
    }

    void startupAppliesTheFirstValidLine_data() {
        fixture::columns<QByteArray, bool, QString>("content", "english", "language");

        QTest::newRow("no blanks") << QByteArray("language=english") << true << "english";
        QTest::newRow("blanks and CRLF")
            << QByteArray("  language   =   chinese  \r\n") << false << "chinese";
        QTest::newRow("CRLF lines, value on line 2")
            << QByteArray("x = y\r\nlanguage = english\r\n") << true << "english";
        QTest::newRow("tabs are white space")
            << QByteArray("\tlanguage\t=\tenglish\t") << true << "english";
        QTest::newRow("key is case-sensitive") << QByteArray("Language = english") << false << "";
        QTest::newRow("value is case-sensitive") << QByteArray("language = English") << false << "";
        QTest::newRow("first matching field wins")
            << QByteArray("language = chinese = english") << false << "chinese";
        QTest::newRow("an empty field before the value")
            << QByteArray("language = = english") << true << "english";
        QTest::newRow("valid line 3 after two invalid ones")
            << QByteArray("language = french\nlang = english\nlanguage = english\n"
                          "language = chinese\n")
            << true << "english";
        QTest::newRow("key must be the first field")
            << QByteArray("english = language") << false << "";
        QTest::newRow("empty file") << QByteArray() << false << "";
        QTest::newRow("byte-order mark before the first line")
            << QByteArray("\xEF\xBB\xBFlanguage = english\r\n") << true << "english";
        QTest::newRow("value on the last line, no line end")
            << QByteArray("\n\nlanguage = english") << true << "english";
        // The file is read as UTF-8 whatever the locale (a GB18030 one under Qt 5, above).
        QTest::newRow("ideographic spaces") << QByteArray("language\xE3\x80\x80=\xE3\x80\x80"
                                                          "english")
                                            << true << "english";
        QTest::newRow("no-break space before the value") << QByteArray("language =\xC2\xA0"
                                                                       "english")
                                                         << true << "english";
        QTest::newRow("a Chinese comment line first")
            << QByteArray("# \xE8\xAF\xAD\xE8\xA8\x80\nlanguage = english\n") << true << "english";
        QTest::newRow("a malformed UTF-8 line first")
            << QByteArray("\xC3\x28\xFF = english\nlanguage = english\n") << true << "english";
    }
    void startupAppliesTheFirstValidLine() {
        QFETCH(QByteArray, content);
        QFETCH(bool, english);
        QFETCH(QString, language);
        // The window reads the file through this parser.
        QCOMPARE(preference::parseLanguage(QString::fromUtf8(content)), language);

        WorkDir work;
        WorkDir::writePreference(content);
        BoxCloser closer;
        Serial w;
        QCOMPARE(SerialProbe::language(w), language);
        QCOMPARE(showsEnglish(w), english);
        // Start-up always leaves a canonical file; one without a valid line records Chinese.
        QCOMPARE(WorkDir::readPreference(), english ? englishLine : chineseLine);
        QCOMPARE(closer.count(), 0);
    }

    void missingDirectoryAndFileAreCreatedWithChinese() {
        WorkDir work;
        QVERIFY(!QFileInfo::exists(QStringLiteral("config")));
        BoxCloser closer;
        Serial w;
        QVERIFY(QFileInfo(QStringLiteral("config")).isDir());
        QCOMPARE(WorkDir::readPreference(), chineseLine);
        QCOMPARE(SerialProbe::language(w), QStringLiteral("chinese"));
        QVERIFY(!showsEnglish(w));
        QCOMPARE(closer.count(), 0);
    }

    void switchingToEnglishReappliesTextsAndRewritesTheFile() {
        WorkDir work;
        Serial w;
        SerialForm &form = *SerialProbe::form(w);
        form.label_TempWaterIn->setText(QStringLiteral("25"));
        form.label_ProductType->setText(QStringLiteral("FL-1000"));
        form.pushButtonSerialSwitch->setText(QString::fromUtf8("关闭串口"));
        const QString chineseCaption = form.groupBoxConfig->title();

        form.actionEnglish->trigger();

        QVERIFY(showsEnglish(w));
        QVERIFY(form.groupBoxConfig->title() != chineseCaption);
        QCOMPARE(w.windowTitle(), QStringLiteral("LASER SYSTEM_V0.3.10"));
        QVERIFY(form.label_TempWaterIn->text().isEmpty());
        QVERIFY(form.label_ProductType->text().isEmpty());
        // The switch caption goes back to the translated form text, not the run-time one.
        QCOMPARE(form.pushButtonSerialSwitch->text(),
                 QCoreApplication::translate("Serial", "打开串口"));
        QVERIFY(form.pushButtonSerialSwitch->text() != QString::fromUtf8("打开串口"));
        QCOMPARE(WorkDir::readPreference(), englishLine);
        // The start-up value does not follow run-time switches.
        QCOMPARE(SerialProbe::language(w), QStringLiteral("chinese"));

        form.actionChinese->trigger();
        QVERIFY(!showsEnglish(w));
        QCOMPARE(form.pushButtonSerialSwitch->text(), QString::fromUtf8("打开串口"));
        QCOMPARE(WorkDir::readPreference(), chineseLine);
    }

    void switchingLeavesImagesModesAndEnabledStatesAlone() {
        WorkDir work;
        Serial w;
        SerialForm &form = *SerialProbe::form(w);
        form.label_DCOn->setPixmap(QPixmap(QStringLiteral(":/green.png")));
        const qint64 key = form.label_DCOn->pixmap(Qt::ReturnByValue).cacheKey();
        form.actionEnglish->trigger();
        QCOMPARE(form.label_DCOn->pixmap(Qt::ReturnByValue).cacheKey(), key);
        QCOMPARE(form.comboBox_OPModeUsr->count(), 3);
        QVERIFY(!form.pushButton_sysSet_set1->isEnabled());
        QVERIFY(!form.comboBox_OPModeUsr->isEnabled());
    }

    void choosingChineseAgainRewritesTheSameContent() {
        WorkDir work;
        Serial w;
        WorkDir::writePreference("language=chinese\n\n");
        SerialProbe::form(w)->actionChinese->trigger();
        QCOMPARE(WorkDir::readPreference(), chineseLine);
        QVERIFY(!showsEnglish(w));
    }

    void englishStaysAfterARestart() {
        WorkDir work;
        {
            Serial w;
            SerialProbe::form(w)->actionEnglish->trigger();
        }
        Serial again;
        QCOMPARE(SerialProbe::language(again), QStringLiteral("english"));
        QVERIFY(showsEnglish(again));
    }

    void missingCatalogueIsNotReportedAndTheChoiceIsStillRecorded() {
        WorkDir work(false);
        BoxCloser closer;
        Serial w;
        SerialProbe::form(w)->actionEnglish->trigger();
        QVERIFY(!showsEnglish(w));
        QCOMPARE(WorkDir::readPreference(), englishLine);
        QCOMPARE(closer.count(), 0);
    }

    void fileDeletedWhileRunningIsRecreatedWithTheDefault() {
        WorkDir work;
        Serial w;
        QVERIFY(QFile::remove(QStringLiteral("config/language.gl")));
        BoxCloser closer;
        SerialProbe::form(w)->actionEnglish->trigger();
        // English is applied, but a recreated file always holds the default.
        QVERIFY(showsEnglish(w));
        QCOMPARE(WorkDir::readPreference(), chineseLine);
        QCOMPARE(closer.count(), 0);
    }

    void configThatIsNotADirectoryReportsBothFailures() {
        WorkDir work;
        {
            QFile blocker(QStringLiteral("config"));
            QVERIFY(blocker.open(QIODevice::WriteOnly));
        }
        BoxCloser closer;
        Serial w;
        // Two while reading at start-up, two more when the applied language is persisted.
        QCOMPARE(closer.count(), 4);
        QCOMPARE(closer.box().title, QString::fromUtf8("错误"));
        QCOMPARE(closer.box().text, QString::fromUtf8("新建目录失败"));
        QCOMPARE(closer.box().icon, QMessageBox::Critical);
        // The start-up read still falls back to Chinese.
        QCOMPARE(SerialProbe::language(w), QStringLiteral("chinese"));
    }

    void failedRewriteKeepsTheOldContentAndIsReported() {
        WorkDir work;
        Serial w;
        QCOMPARE(WorkDir::readPreference(), chineseLine);

        // A file-size limit of 0 makes every write fail, even for root.
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit none = old;
        none.rlim_cur = 0;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &none), 0);
        BoxCloser closer;
        SerialProbe::form(w)->actionEnglish->trigger();
        setrlimit(RLIMIT_FSIZE, &old);

        QCOMPARE(closer.count(), 1);
        // English was installed before the choice is persisted, so the box is in English.
        QCOMPARE(closer.box().title, QCoreApplication::translate("Serial", "错误"));
        QCOMPARE(closer.box().text, QCoreApplication::translate("Serial", "打开文件失败"));
        QVERIFY(closer.box().text != QString::fromUtf8("打开文件失败"));
        QCOMPARE(WorkDir::readPreference(), chineseLine);
    }
    void lockedConfigFolderWithAWritableFileKeepsTheChoice() {
        WorkDir work;
        WorkDir::writePreference(chineseLine);
        // The folder is locked, the file in it left writable for the user who runs the program.
        const QByteArray dir = QFile::encodeName(work.path());
        QCOMPARE(chmod(dir.constData(), 0755), 0);
        QCOMPARE(chmod("config", 0555), 0);
        if (geteuid() == 0)
            QCOMPARE(chown("config/language.gl", 65534, 65534), 0);

        const int code = inChildThatCannotWriteConfig([] {
            return preference::rewriteExisting(preference::english) ==
                   preference::WriteFailure::None;
        });
        chmod("config", 0755);
        if (code == cannotDropPrivileges)
            QSKIP("running as root without the right to become the user nobody: root would "
                  "write into the locked folder");
        if (code == folderNotLocked)
            QSKIP("this file system does not lock folders by their mode");
        QCOMPARE(code, 0);
        QCOMPARE(WorkDir::readPreference(), englishLine);
        // Rewritten in place: no stray temporary file is left in the folder.
        QCOMPARE(QDir(QStringLiteral("config")).entryList(QDir::Files),
                 QStringList{QStringLiteral("language.gl")});
    }
};

QTEST_MAIN(LanguagePreferenceTest)
#include "language_preference_test.moc"
