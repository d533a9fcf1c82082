// The Debian package built from this build directory (cpack -G DEB): its Depends names what
// dpkg-shlibdeps cannot see, the SQLite driver plugin of the Qt major and a font with Chinese
// glyphs, and keeps what dpkg-shlibdeps found.
#include "support/work_dir.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

namespace {

// "a, b | c (>= 1)" -> {{"a"}, {"b", "c"}}: each dependency as its alternatives' names.
QList<QStringList> dependencies(const QString &field) {
    QList<QStringList> out;
    for (const QString &group : field.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        QStringList names;
        for (const QString &alternative : group.split(QLatin1Char('|')))
            names << alternative.section(QLatin1Char('('), 0, 0).trimmed();
        out << names;
    }
    return out;
}

} // namespace

class PackageDependsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        if (QStandardPaths::findExecutable(QStringLiteral("dpkg-deb")).isEmpty() ||
            QStandardPaths::findExecutable(QStringLiteral("dpkg-shlibdeps")).isEmpty())
            QSKIP("dpkg-deb and dpkg-shlibdeps are needed to build and read the package");
        QVERIFY(work.isValid());
        QProcess cpack;
        cpack.setWorkingDirectory(QStringLiteral(LASER_BUILD_DIR));
        cpack.setProcessChannelMode(QProcess::MergedChannels);
        // Only the control fields are read: the data need not be compressed.
        cpack.start(QStringLiteral(LASER_CPACK),
                    {QStringLiteral("-G"), QStringLiteral("DEB"), QStringLiteral("-B"), work.path(),
                     QStringLiteral("-D"), QStringLiteral("CPACK_DEBIAN_COMPRESSION_TYPE=none")});
        QVERIFY(cpack.waitForFinished(240000));
        QVERIFY2(cpack.exitCode() == 0, cpack.readAll().constData());
        const QStringList debs =
            QDir(work.path()).entryList({QStringLiteral("*.deb")}, QDir::Files);
        QCOMPARE(debs.size(), 1);

        QProcess dpkg;
        dpkg.start(QStringLiteral("dpkg-deb"),
                   {QStringLiteral("-f"), work.path() + QLatin1Char('/') + debs.first(),
                    QStringLiteral("Depends")});
        QVERIFY(dpkg.waitForFinished(30000));
        QCOMPARE(dpkg.exitCode(), 0);
        depends = QString::fromUtf8(dpkg.readAllStandardOutput()).simplified();
    }

    void theDependsFieldNamesWhatThePluginsAndTheWordsNeed_data() {
        QTest::addColumn<QStringList>("alternatives");
        const bool qt6 = LASER_QT_MAJOR == 6;
        QTest::newRow("the SQLite driver of the Qt major") << QStringList{
            qt6 ? QStringLiteral("libqt6sql6-sqlite") : QStringLiteral("libqt5sql5-sqlite")};
        QTest::newRow("a font with Chinese glyphs")
            << QStringList{QStringLiteral("fonts-noto-cjk"), QStringLiteral("fonts-wqy-microhei")};
        QTest::newRow("the Qt core library dpkg-shlibdeps found")
            << QStringList{qt6 ? QStringLiteral("libqt6core6") : QStringLiteral("libqt5core5a")};
    }
    void theDependsFieldNamesWhatThePluginsAndTheWordsNeed() {
        QFETCH(QStringList, alternatives);
        QVERIFY2(dependencies(depends).contains(alternatives), qPrintable(depends));
    }

private:
    WorkDir work{false};
    QString depends;
};

QTEST_GUILESS_MAIN(PackageDependsTest)
#include "package_depends_test.moc"
