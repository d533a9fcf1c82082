// Both catalogues hold every text of the sources, finished: lupdate runs over the sources into a
// copy of the checked-in catalogues (tools/update-catalogues.sh), and whatever it had to add or
// leave unfinished is listed. The Chinese catalogue gives each text as it is; the English one
// gives no Chinese back.
#include "support/work_dir.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <QtTest>

namespace {

struct Message {
    QString context;
    QString source;
    QString translation;
    QString type; // "", "unfinished", "vanished", "obsolete"
};

QVector<Message> readCatalogue(const QString &path, QString *error) {
    QVector<Message> out;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return out;
    }
    QXmlStreamReader xml(&file);
    QString context;
    Message m;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == QLatin1String("name")) {
            context = xml.readElementText();
        } else if (xml.name() == QLatin1String("message")) {
            m = Message{context, QString(), QString(), QString()};
        } else if (xml.name() == QLatin1String("source")) {
            m.source = xml.readElementText();
        } else if (xml.name() == QLatin1String("translation")) {
            m.type = xml.attributes().value(QLatin1String("type")).toString();
            m.translation = xml.readElementText(QXmlStreamReader::IncludeChildElements);
            out.append(m);
        }
    }
    if (xml.hasError())
        *error = xml.errorString();
    return out;
}

bool current(const Message &m) {
    return m.type != QLatin1String("vanished") && m.type != QLatin1String("obsolete");
}

// The texts one per line on the test's output (a failure message alone would be cut short),
// then their count for the failure.
QString listed(const QStringList &lines) {
    for (const QString &line : lines)
        qInfo().noquote() << line;
    return QString::number(lines.size());
}

const QRegularExpression han(QStringLiteral("\\p{Han}"));

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
        QString error;
        const QVector<Message> updated = readCatalogue(scratch.path() + '/' + catalogue, &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QVERIFY(!updated.isEmpty());
        QStringList missing;
        for (const Message &m : updated)
            if (current(m) && (m.type == QLatin1String("unfinished") || m.translation.isEmpty()))
                missing << m.context + QStringLiteral(" | ") + m.source;
        QVERIFY2(missing.isEmpty(),
                 qPrintable(QStringLiteral("%1 texts above are missing or unfinished in %2 (add "
                                           "them, or run tools/update-catalogues.sh and "
                                           "translate)")
                                .arg(listed(missing), catalogue)));
    }

    void theChineseCatalogueGivesEachTextAsItIs() {
        QString error;
        QStringList differing;
        for (const Message &m : readCatalogue(checkedIn("lang_Chinese.ts"), &error))
            if (current(m) && m.translation != m.source)
                differing << m.context + QStringLiteral(" | ") + m.source;
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QVERIFY2(differing.isEmpty(), qPrintable(listed(differing) + " texts above differ"));
    }

    // The language menu names Chinese in its own script; nothing else of the English interface
    // may stay Chinese.
    void theEnglishCatalogueGivesNoChineseBack() {
        QString error;
        QStringList chinese;
        for (const Message &m : readCatalogue(checkedIn("lang_English.ts"), &error))
            if (current(m) && m.source != QStringLiteral("中文") && m.translation.contains(han))
                chinese << m.context + QStringLiteral(" | ") + m.translation;
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QVERIFY2(chinese.isEmpty(),
                 qPrintable(listed(chinese) + " translations above are Chinese"));
    }

    // Locations would change with every edit of a source and make parallel branches collide.
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
