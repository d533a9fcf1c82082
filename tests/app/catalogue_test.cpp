// Both catalogues hold every text of the sources, finished: lupdate runs over the sources into a
// copy of the checked-in catalogues (tools/update-catalogues.sh), and whatever it had to add or
// leave unfinished is listed. The Chinese catalogue gives each text as it is, the English one no
// Chinese, and neither carries source locations.
#include "support/work_dir.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <QXmlStreamReader>

namespace {

struct Message {
    QString context;
    QString source;
    QString translation;
    QString type; // "", "unfinished", "vanished" or "obsolete"
    bool current() const {
        return type != QLatin1String("vanished") && type != QLatin1String("obsolete");
    }
    QString line() const { return context + QStringLiteral(" | ") + source; }
};

QVector<Message> readCatalogue(const QString &path) {
    QVector<Message> out;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return out;
    QXmlStreamReader xml(&file);
    Message m;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("name"))
            m.context = xml.readElementText();
        else if (xml.name() == QLatin1String("source"))
            m.source = xml.readElementText();
        else if (xml.name() == QLatin1String("translation")) {
            m.type = xml.attributes().value(QLatin1String("type")).toString();
            m.translation = xml.readElementText(QXmlStreamReader::IncludeChildElements);
            out.append(m);
        }
    }
    return out;
}

// The texts one per line on the output (a failure message alone would be cut short); their
// count for the failure.
QByteArray listed(const QStringList &lines, const char *what) {
    for (const QString &line : lines)
        qInfo().noquote() << line;
    return QByteArray::number(lines.size()) + ' ' + what;
}

} // namespace

class CatalogueTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY(scratch.isValid());
        QProcess update;
        update.setProcessChannelMode(QProcess::MergedChannels);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("LUPDATE"), QStringLiteral(LASER_LUPDATE));
        update.setProcessEnvironment(env);
        update.start(
            QStringLiteral("bash"),
            {QStringLiteral(LASER_SOURCE_DIR "/tools/update-catalogues.sh"), scratch.path()});
        QVERIFY(update.waitForFinished(120000));
        QVERIFY2(update.exitCode() == 0, update.readAll().constData());
    }

    void everySourceTextIsInTheCatalogueAndFinished_data() {
        QTest::addColumn<QString>("catalogue");
        QTest::newRow("Chinese") << QStringLiteral("lang_Chinese.ts");
        QTest::newRow("English") << QStringLiteral("lang_English.ts");
    }
    void everySourceTextIsInTheCatalogueAndFinished() {
        QFETCH(QString, catalogue);
        const QVector<Message> updated = readCatalogue(scratch.path() + '/' + catalogue);
        QVERIFY(!updated.isEmpty());
        QStringList missing;
        for (const Message &m : updated)
            if (m.current() && (m.type == QLatin1String("unfinished") || m.translation.isEmpty()))
                missing << m.line();
        QVERIFY2(missing.isEmpty(), listed(missing, "texts above are missing or unfinished: add "
                                                    "them, or run tools/update-catalogues.sh and "
                                                    "translate"));
    }

    // A text the catalogue holds but lupdate no longer finds is either gone from the sources or
    // written through a helper lupdate cannot see (its translation would be lost at the next
    // update, and the window would show the text untranslated).
    void everyCatalogueTextIsSeenInTheSources_data() {
        everySourceTextIsInTheCatalogueAndFinished_data();
    }
    void everyCatalogueTextIsSeenInTheSources() {
        QFETCH(QString, catalogue);
        QSet<QString> seen;
        for (const Message &m : readCatalogue(scratch.path() + '/' + catalogue))
            seen.insert(m.line());
        QStringList hidden;
        for (const Message &m : readCatalogue(checkedIn(qPrintable(catalogue))))
            if (m.current() && !seen.contains(m.line()))
                hidden << m.line();
        QVERIFY2(hidden.isEmpty(),
                 listed(hidden, "texts above are in the catalogue but lupdate finds them in no "
                                "source: write them Texts::tr(\"...\") or remove them"));
    }

    // The language menu names Chinese in its own script; nothing else of English stays Chinese.
    void chineseGivesEachTextAsItIsAndEnglishNoChinese() {
        const QRegularExpression han(QStringLiteral("\\p{Han}"));
        QStringList wrong;
        for (const Message &m : readCatalogue(checkedIn("lang_Chinese.ts")))
            if (m.current() && m.translation != m.source)
                wrong << m.line();
        for (const Message &m : readCatalogue(checkedIn("lang_English.ts")))
            if (m.current() && m.source != QStringLiteral("中文") && m.translation.contains(han))
                wrong << m.line();
        QVERIFY2(wrong.isEmpty(), listed(wrong, "translations above are not what they should be"));
    }

    // Locations change with every edit of a source and make parallel branches collide.
    void theCataloguesCarryNoSourceLocations() {
        for (const char *name : {"lang_Chinese.ts", "lang_English.ts"}) {
            QFile file(checkedIn(name));
            QVERIFY(file.open(QIODevice::ReadOnly));
            QVERIFY2(!file.readAll().contains("<location"), name);
        }
    }

private:
    static QString checkedIn(const char *name) {
        return QStringLiteral(LASER_SOURCE_DIR "/language/") + QLatin1String(name);
    }

    WorkDir scratch{false};
};

QTEST_GUILESS_MAIN(CatalogueTest)
#include "catalogue_test.moc"
