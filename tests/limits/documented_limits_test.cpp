// The limits that files and peers rely on, pinned once: each default of the program against
// its number here and the documentation's sentence that says it (README.md and the pages of
// docs/), and the history database as the program makes it (tables, columns, types,
// user_version) against the same here and in the documentation. Changing a limit or the schema
// means changing the code, this file and the documentation together.

#include "alarms/handling.h"
#include "alarms/shelf_file.h"
#include "fleet/fleet_state.h"
#include "history/event_store.h"
#include "history/recorder.h"
#include "history/writer.h"
#include "plant/config.h"
#include "plant/config_lines.h"
#include "plant/out_buffer.h"
#include "plant/sparkplug_payload.h"
#include "plant/subscriber.h"
#include "support/history.h"
#include "support/table.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The database schema the documentation gives: every table with its columns and their types, and
// the version in PRAGMA user_version.
constexpr int schemaVersion = 3;
struct Column {
    const char *name;
    const char *type;
};
struct Table {
    const char *name;
    std::vector<Column> columns;
};
// The minute and hour tables: the start of the interval, the number of samples, and the
// extremes, sum and count of each series.
std::vector<Column> rollupColumns() {
    std::vector<Column> columns = {{"at", "INTEGER"}, {"samples", "INTEGER"}};
    for (const char *c : {"water_in_min", "water_in_max", "water_in_sum", "water_in_count",
                          "water_out_min", "water_out_max", "water_out_sum", "water_out_count",
                          "dew_point_min", "dew_point_max", "dew_point_sum", "dew_point_count"})
        columns.push_back({c, QByteArray(c).endsWith("_count") ? "INTEGER" : "REAL"});
    return columns;
}
// The alarm report's tables: integers all but the alarm's name and the fold's state.
std::vector<Column> columns(const char *names) {
    static QList<QByteArray> kept; // the names, for as long as the table points to them
    std::vector<Column> out;
    for (const QByteArray &n : QByteArray(names).split(' ')) {
        kept << n;
        const char *type = n == "name" ? "TEXT" : n == "state" ? "BLOB" : "INTEGER";
        out.push_back({kept.last().constData(), type});
    }
    return out;
}
const char *const tallies = "at name rises shelved_rises chatters first_outs acked_soon active_ms "
                            "longest_ms stale ended_with_run ended_by_crash shelved_ms";
const std::vector<Table> schema = {
    {"events",
     {{"at", "INTEGER"},
      {"category", "TEXT"},
      {"name", "TEXT"},
      {"value", "TEXT"},
      {"detail", "TEXT"}}},
    {"samples",
     {{"at", "INTEGER"}, {"water_in", "REAL"}, {"water_out", "REAL"}, {"dew_point", "REAL"}}},
    {"runs",
     {{"run", "INTEGER"},
      {"started_at", "INTEGER"},
      {"newest_at", "INTEGER"},
      {"open_port", "TEXT"}}},
    {"samples_hour", rollupColumns()},
    {"samples_minute", rollupColumns()},
    {"alarm_hours", columns(tallies)},
    {"alarm_days", columns(tallies)},
    {"alarm_intervals", columns("at rises link_up_ms link_losses crashes overlap_ms "
                                "clears_without_rise rises_while_on not_counted clock_jumps")},
    {"alarm_fold", columns("id folded_rowid check_rowid check_at state")},
};

// README.md and every page of docs/ with every run of white space as one blank, so that
// sentences read across lines; a sentence may stand on any of the pages.
QString readme() {
    QStringList files = {QStringLiteral(LASER_SOURCE_DIR "/README.md")};
    const QDir docs(QStringLiteral(LASER_SOURCE_DIR "/docs"));
    for (const QString &page : docs.entryList({QStringLiteral("*.md")}, QDir::Files, QDir::Name))
        files << docs.filePath(page);
    QString text;
    for (const QString &name : files) {
        QFile file(name);
        if (file.open(QIODevice::ReadOnly))
            text += QString::fromUtf8(file.readAll()) + QLatin1Char('\n');
    }
    return text.simplified();
}

// "10,000" as the README writes numbers.
QString written(qint64 number) {
    return QLocale(QLocale::English).toString(number);
}

// Table and column names, with their types.
QStringList describe(const Table &table) {
    QStringList out;
    for (const Column &c : table.columns)
        out << QStringLiteral("%1.%2 %3")
                   .arg(QLatin1String(table.name), QLatin1String(c.name), QLatin1String(c.type));
    return out;
}

} // namespace

class DocumentedLimitsTest : public QObject {
    Q_OBJECT

private slots:
    // A row: the program's default, the number it must be in the README's unit, that unit, and
    // the README's sentence with %1 where the number stands.
    void eachDefaultIsTheReadmesNumber_data() {
        fixture::columns<qint64, qint64, qint64, QString>("code", "number", "unit", "sentence");
        const history::RecorderOptions recorder;
        const history::WriterLimits &limits = recorder.limits;
        const qint64 mib = 1 << 20, day = 24 * 3600 * 1000;
        QTest::newRow("journal ring") << qint64(recorder.journalCapacity) << qint64(10000)
                                      << qint64(1) << "the last %1 frames received and sent";
        QTest::newRow("capture rotation") << limits.captureFileBytes << qint64(16) << mib
                                          << "A new file starts at each open and every %1 MiB";
        QTest::newRow("capture cap") << limits.captureTotalBytes << qint64(256) << mib
                                     << "all capture files together are kept within %1 MiB";
        QTest::newRow("plant buffer") << qint64(plant::OutBuffer::defaultCapacity) << qint64(10000)
                                      << qint64(1) << "wait in a buffer of %1 messages";
        QTest::newRow("busy time-out") << qint64(limits.busyTimeoutMs) << qint64(1) << qint64(1000)
                                       << "waiting up to %1 s at a time for the other's write";
        QTest::newRow("lock said") << qint64(limits.lockSayMs) << qint64(5) << qint64(1000)
                                   << "a lock held longer than %1 s is said";
        QTest::newRow("sample retention")
            << limits.sampleKeepMs << qint64(90) << day << "samples older than %1 days are deleted";
        const fleet::Limits fleet;
        const qint64 kib = 1024;
        QTest::newRow("fleet payload")
            << qint64(plant::maxPayloadBytes) << qint64(64) << kib << "a payload over %1 KiB";
        QTest::newRow("fleet lasers")
            << qint64(fleet.maxLasers) << qint64(4000) << qint64(1) << "It keeps at most %1 lasers";
        QTest::newRow("fleet events")
            << fleet.maxEventBytesPerLaser << qint64(24) << kib << "and at most %1 KiB of them";
        QTest::newRow("fleet unknown alarms") << qint64(plant::maxUnknownAlarms) << qint64(8)
                                              << qint64(1) << "A status shows at most %1 alarms";
        QTest::newRow("fleet forgets") << fleet.forgetOfflineMs << qint64(7) << day
                                       << "A laser offline for %1 days is forgotten";
        QTest::newRow("fleet queue") << qint64(plant::Subscriber::heldByteCapacity) << qint64(32)
                                     << mib << "hold at most %1 MiB together";
        QTest::newRow("fleet state")
            << fleet.stateBytes << qint64(320) << mib << "all of it within %1 MiB";
        QTest::newRow("plant.ini read") << qint64(plant::largestConfigBytes) << qint64(64) << kib
                                        << "no more than the %1 KiB the plant link reads";
        QTest::newRow("Sparkplug command") << qint64(plant::sparkplug::largestIncomingBytes)
                                           << qint64(4) << kib << "A command or STATE over %1 KiB";
        QTest::newRow("bundle value") << qint64(plant::longestKeptValue) << qint64(1024)
                                      << qint64(1) << "or more than %1 characters";
        QTest::newRow("shelf file") << alarms::shelfFileLimit << qint64(256) << kib
                                    << "more than 256 lines, more than %1 KiB";
        QTest::newRow("shelves") << qint64(alarms::shelfLimit) << qint64(256) << qint64(1)
                                 << "more than %1 lines, more than 256 KiB";
        QTest::newRow("unknown alarms") << qint64(alarms::AlarmHandling::unknownKeyLimit)
                                        << qint64(64) << qint64(1) << "as it is, up to %1 of them";
        QTest::newRow("flood") << qint64(alarms::floodRises) << qint64(10) << qint64(1)
                               << "more than %1 rises within 10 minutes";
    }
    void eachDefaultIsTheReadmesNumber() {
        QFETCH(qint64, code);
        QFETCH(qint64, number);
        QFETCH(qint64, unit);
        QFETCH(QString, sentence);
        QCOMPARE(code, number * unit);
        const QString documented = sentence.arg(written(number));
        QVERIFY2(readme().contains(documented), qPrintable(documented));
    }

    void aFreshDatabaseHasTheDocumentedSchema() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("history.sqlite"));
        {
            history::EventStore store(path);
            QString error;
            QCOMPARE(store.open(&error), history::EventStore::Result::Ok);
        }
        QCOMPARE(history::EventStore::schemaVersion, schemaVersion);
        QCOMPARE(
            fixture::rows(path, QStringLiteral("PRAGMA user_version")).value(0).value(0).toInt(),
            schemaVersion);
        QStringList tables;
        for (const QVariantList &row :
             fixture::rows(path, QStringLiteral("SELECT name FROM sqlite_master WHERE type = "
                                                "'table' ORDER BY name")))
            tables << row.value(0).toString();
        QStringList expected;
        for (const Table &t : schema)
            expected << QLatin1String(t.name);
        expected.sort();
        QCOMPARE(tables, expected);
        for (const Table &t : schema) {
            QStringList made;
            for (const QVariantList &c : fixture::rows(
                     path, QStringLiteral("PRAGMA table_info(%1)").arg(QLatin1String(t.name))))
                made << QStringLiteral("%1.%2 %3")
                            .arg(QLatin1String(t.name), c.value(1).toString(),
                                 c.value(2).toString());
            QCOMPARE(made, describe(t));
        }
    }

    void theReadmeNamesEveryTableItsColumnsAndTheVersion() {
        const QString text = readme();
        for (const Table &t : schema) {
            QStringList names;
            for (const Column &c : t.columns)
                names << QLatin1String(c.name);
            const QString line = QStringLiteral("`%1(%2)`")
                                     .arg(QLatin1String(t.name), names.join(QStringLiteral(", ")));
            QVERIFY2(text.contains(line), qPrintable(line));
        }
        const QString version =
            QStringLiteral("`PRAGMA user_version` gives the schema's version, %1")
                .arg(schemaVersion);
        QVERIFY2(text.contains(version), qPrintable(version));
    }
};

QTEST_GUILESS_MAIN(DocumentedLimitsTest)
#include "documented_limits_test.moc"
