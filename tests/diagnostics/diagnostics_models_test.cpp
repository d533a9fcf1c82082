// The models behind the diagnostics window, without the window: the series reduction, CSV,
// the events query over a fixture database and the frames view over a fixture journal.
#include "history/event_store.h"
#include "history/journal.h"
#include "support/english.h"
#include "support/small_disk.h"
#include "ui/diagnostics/csv.h"
#include "ui/diagnostics/event_model.h"
#include "ui/diagnostics/frame_model.h"
#include "ui/diagnostics/series_reduction.h"

#include <QApplication>
#include <QBrush>
#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <ctime>
#include <random>

using diagnostics::TrendPoint;

namespace {

constexpr qint64 base = 1765100000000; // a December 2025 afternoon, ms since 1970
constexpr qint64 hour = 3600 * 1000;

// log/history.sqlite made by the history's own store, holding `count` events from `row`.
bool makeDatabase(const QString &path, int count, const std::function<events::Event(int)> &row) {
    std::vector<events::Event> events;
    for (int i = 0; i < count; ++i)
        events.push_back(row(i));
    history::EventStore store(path);
    QString error;
    return store.open(&error) == history::EventStore::Result::Ok &&
           store.write(events, {}, &error) == history::EventStore::Result::Ok;
}

// A link row "opened" at base + i.
events::Event opened(int i) {
    return {base + i, QStringLiteral("link"), QStringLiteral("opened"), QString(), QString()};
}

QByteArray fileHash(const QString &path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1);
}

history::JournalEntry entry(qint64 at, const QString &name, protocol::Verdict verdict,
                            history::Direction direction = history::Direction::Received) {
    history::JournalEntry e;
    e.at = at;
    e.name = name;
    e.verdict = verdict;
    e.direction = direction;
    e.bytes = QByteArray::fromHex("e60500107f01");
    e.text = name + QStringLiteral(": decoded");
    return e;
}

QStringList column(const QAbstractItemModel &m, int col, int role = Qt::DisplayRole) {
    QStringList out;
    for (int r = 0; r < m.rowCount(); ++r)
        out << m.data(m.index(r, col), role).toString();
    return out;
}

} // namespace

class DiagnosticsModelsTest : public QObject {
    Q_OBJECT

private slots:
    // --- the reduction of a series to the plot's width ---
    void aSeriesThatFitsComesBackWithoutNanAndOutsidePoints();
    void theReductionKeepsEveryColumnsMinimumAndMaximumInTimeOrder();
    void aLineBreaksOnlyAcrossAStepOfSeveralSampleIntervals();
    void aWeekOfSamplesReducesToTwoPointsPerColumnAtMost();
    void aSingleSpikeSurvivesTheReduction();

    // --- CSV ---
    void fieldsWithCommasQuotesAndLineBreaksAreQuoted();
    void aCellASpreadsheetWouldRunAsAFormulaStaysText_data();
    void aCellASpreadsheetWouldRunAsAFormulaStaysText();
    void aModelExportsItsHeaderAndRowsExactly();
    void twoInstantsNeverReadAlikeWhereTheClocksGoBack();

    // --- the events table ---
    void eventsComeNewestFirstAndFilterByCategoryTimeAndText();
    void aTextFilterTakesPercentAndUnderscoreLiterally();
    void aLargeTableIsFetchedInPagesAndExportsEveryMatchingRow();
    void aMissingDatabaseIsReportedAndNeverCreated();
    void theDatabaseIsOpenedReadOnly();
    void theTextFilterFindsTheShownWordsAsWellAsTheStoredKeys_data();
    void theTextFilterFindsTheShownWordsAsWellAsTheStoredKeys();
    void theExportHasTheStoredAndTheShownWords();

    // --- the frames view over the journal ---
    void refreshTakesOnlyTheNewEntriesInBatches();
    void pauseHoldsTheViewAndResumeCatchesUp();
    void codeAndFailedFiltersRebuildFromTheJournal();
    void clearEmptiesTheViewButKeepsLaterEntries();
    void theViewNeverHoldsMoreRowsThanTheRing();
    void failedChecksStandOutAndExportAsCsv();
};

void DiagnosticsModelsTest::aSeriesThatFitsComesBackWithoutNanAndOutsidePoints() {
    const std::vector<TrendPoint> in = {
        {base - 5, 1.0},   {base, 2.0},       {base + 10, std::nan("")}, {base + 20, 3.5},
        {base + 99, -1.0}, {base + 100, 7.0}, {base + 101, 9.0}};
    const auto out = diagnostics::reduceToColumns(in, base, base + 100, 100);
    QCOMPARE(int(out.size()), 4);
    QCOMPARE(out[0].at, base);
    QCOMPARE(out[1].value, 3.5);
    QCOMPARE(out[2].value, -1.0);
    QCOMPARE(out[3].at, base + 100);
    QVERIFY(diagnostics::reduceToColumns(in, base + 10, base, 10).empty());
    QVERIFY(diagnostics::reduceToColumns(in, base, base + 100, 0).empty());
}

void DiagnosticsModelsTest::aLineBreaksOnlyAcrossAStepOfSeveralSampleIntervals() {
    // Five sample intervals, never under three pixel columns of the span.
    QCOMPARE(diagnostics::gapFor(0, 10 * 60000, 800), qint64(5000));
    QCOMPARE(diagnostics::gapFor(2 * 3600000, qint64(90) * 86400000, 1000), qint64(36000000));
    QCOMPARE(diagnostics::gapFor(0, 6 * 3600000, 100), qint64(648000));
    const std::vector<TrendPoint> in = {
        {base, 1}, {base + 1000, 2}, {base + 6001, 3}, {base + 6500, 4}, {base + 11500, 5}};
    QCOMPARE(diagnostics::gapStarts(in, 5000), std::vector<size_t>({2}));
    QVERIFY(diagnostics::gapStarts({}, 5000).empty());
}

void DiagnosticsModelsTest::theReductionKeepsEveryColumnsMinimumAndMaximumInTimeOrder() {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> value(-20, 60);
    std::vector<TrendPoint> in;
    for (int i = 0; i < 10000; ++i)
        in.push_back({base + i * 7, value(random)});
    const qint64 from = base, to = base + 10000 * 7;
    const int columns = 137;
    const auto out = diagnostics::reduceToColumns(in, from, to, columns);
    QVERIFY(out.size() <= size_t(columns) * 2);
    for (size_t i = 1; i < out.size(); ++i)
        QVERIFY(out[i - 1].at < out[i].at);

    // Column by column, from the input: its extremes are in the output, nothing else is.
    const double span = double(to - from) + 1;
    std::vector<double> low(columns, INFINITY), high(columns, -INFINITY);
    for (const TrendPoint &p : in) {
        const int c = int(double(p.at - from) * columns / span);
        low[c] = std::min(low[c], p.value);
        high[c] = std::max(high[c], p.value);
    }
    std::vector<int> seen(columns, 0);
    for (const TrendPoint &p : out) {
        const int c = int(double(p.at - from) * columns / span);
        QVERIFY2(p.value == low[c] || p.value == high[c], "a point that is no extreme");
        ++seen[c];
        if (p.value == low[c])
            low[c] = NAN;
        if (p.value == high[c])
            high[c] = NAN;
    }
    for (int c = 0; c < columns; ++c) {
        QVERIFY2(std::isnan(low[c]) && std::isnan(high[c]), qPrintable(QString::number(c)));
        QVERIFY(seen[c] >= 1 && seen[c] <= 2);
    }
}

void DiagnosticsModelsTest::aWeekOfSamplesReducesToTwoPointsPerColumnAtMost() {
    const qint64 week = 7 * 24 * hour;
    std::vector<TrendPoint> in;
    in.reserve(size_t(week / 1000));
    for (qint64 t = 0; t < week; t += 1000)
        in.push_back({base + t, 25 + std::sin(double(t) / 1e6)});
    const auto out = diagnostics::reduceToColumns(in, base, base + week, 800);
    QVERIFY(out.size() <= 1600);
    QVERIFY(out.size() >= 800);
}

void DiagnosticsModelsTest::aSingleSpikeSurvivesTheReduction() {
    std::vector<TrendPoint> in;
    for (int i = 0; i < 100000; ++i)
        in.push_back({base + i, i == 54321 ? 80.0 : (i == 777 ? -3.0 : 25.0)});
    const auto out = diagnostics::reduceToColumns(in, base, base + 99999, 50);
    const auto has = [&](qint64 at, double v) {
        return std::any_of(out.begin(), out.end(),
                           [&](const TrendPoint &p) { return p.at == at && p.value == v; });
    };
    QVERIFY(has(base + 54321, 80.0));
    QVERIFY(has(base + 777, -3.0));
    // A flat column gives a single point.
    QVERIFY(out.size() < 100);
}

void DiagnosticsModelsTest::fieldsWithCommasQuotesAndLineBreaksAreQuoted() {
    QCOMPARE(diagnostics::csvField(QStringLiteral("plain")), QStringLiteral("plain"));
    QCOMPARE(diagnostics::csvField(QString()), QString());
    QCOMPARE(diagnostics::csvField(QStringLiteral("a,b")), QStringLiteral("\"a,b\""));
    QCOMPARE(diagnostics::csvField(QStringLiteral("say \"hi\"")),
             QStringLiteral("\"say \"\"hi\"\"\""));
    QCOMPARE(diagnostics::csvField(QStringLiteral("two\nlines")), QStringLiteral("\"two\nlines\""));
    QCOMPARE(diagnostics::csvField(QStringLiteral("cr\rhere")), QStringLiteral("\"cr\rhere\""));
    QCOMPARE(diagnostics::csvField(QStringLiteral(" padded")), QStringLiteral("\" padded\""));
    QCOMPARE(diagnostics::csvField(QStringLiteral("温度 25.91 °C")),
             QStringLiteral("温度 25.91 °C"));
    QCOMPARE(diagnostics::csvLine({QStringLiteral("a"), QString(), QStringLiteral("\"")}),
             QStringLiteral("a,,\"\"\"\"\r\n"));
}

void DiagnosticsModelsTest::aCellASpreadsheetWouldRunAsAFormulaStaysText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("field");
    QTest::newRow("equals") << "=1+2"
                            << "'=1+2";
    QTest::newRow("plus") << "+41 55"
                          << "'+41 55";
    QTest::newRow("minus") << "-5.25"
                           << "'-5.25";
    QTest::newRow("at") << "@SUM(A1)"
                        << "'@SUM(A1)";
    QTest::newRow("tab") << "\t=1"
                         << "'\t=1";
    QTest::newRow("carriage return") << "\r=1"
                                     << "\"'\r=1\"";
    QTest::newRow("and a comma") << "=A1,B1"
                                 << "\"'=A1,B1\"";
    QTest::newRow("and quotes") << "=\"x\""
                                << "\"'=\"\"x\"\"\"";
    QTest::newRow("inside") << "a=b-c"
                            << "a=b-c";
    QTest::newRow("a blank first") << " =1"
                                   << "\" =1\"";
}

void DiagnosticsModelsTest::aCellASpreadsheetWouldRunAsAFormulaStaysText() {
    QFETCH(QString, text);
    QFETCH(QString, field);
    QCOMPARE(diagnostics::csvField(text), field);
    QCOMPARE(diagnostics::csvLine({text}), field + QStringLiteral("\r\n"));
}

// In Berlin 02:30 on 2026-10-25 comes twice (00:30 and 01:30 UTC); on 2026-03-29 never.
void DiagnosticsModelsTest::twoInstantsNeverReadAlikeWhereTheClocksGoBack() {
    const QByteArray zone = qgetenv("TZ");
    qputenv("TZ", "Europe/Berlin");
    tzset();
    QStringList read;
    for (const qint64 at : {1792888200000, 1792891800000, 1774747800000})
        read << diagnostics::EventModel::timeText(at) + QLatin1Char('|') + diagnostics::csvTime(at);
    qputenv("TZ", zone);
    tzset();
    QCOMPARE(read, QStringList({"2026-10-25 02:30:00.000 +02:00|2026-10-25T02:30:00.000+02:00",
                                "2026-10-25 02:30:00.000 +01:00|2026-10-25T02:30:00.000+01:00",
                                "2026-03-29 03:30:00.000|2026-03-29T03:30:00.000+02:00"}));
}

void DiagnosticsModelsTest::aModelExportsItsHeaderAndRowsExactly() {
    QStandardItemModel model(2, 2);
    model.setHorizontalHeaderLabels({QStringLiteral("name"), QStringLiteral("detail")});
    model.setItem(0, 0, new QStandardItem(QStringLiteral("opened")));
    model.setItem(0, 1, new QStandardItem(QStringLiteral("ttyUSB0 (CCB, \"sim\")")));
    model.setItem(1, 0, new QStandardItem(QStringLiteral("port_error")));
    model.setItem(1, 1, new QStandardItem(QStringLiteral("line one\nline two")));
    const QString expected = QStringLiteral("name,detail\r\n"
                                            "opened,\"ttyUSB0 (CCB, \"\"sim\"\")\"\r\n"
                                            "port_error,\"line one\nline two\"\r\n");
    QCOMPARE(diagnostics::modelToCsv(model), expected);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.csv"));
    QString error;
    QVERIFY(diagnostics::writeTextFile(path, expected, &error));
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(f.readAll()), expected);
    QVERIFY(!diagnostics::writeTextFile(dir.filePath(QStringLiteral("no/such/dir/x.csv")), expected,
                                        &error));
    QVERIFY(!error.isEmpty());

    // On a full disk the export fails, said, and the file that was there keeps its rows.
    SmallDisk disk;
    const QString kept = disk.path() + QStringLiteral("/kept.csv");
    QVERIFY(diagnostics::writeTextFile(kept, expected, &error));
    disk.fill();
    const bool written = diagnostics::writeTextFile(kept, expected + expected, &error);
    disk.free();
    QVERIFY(!written);
    QVERIFY2(error.contains(disk.fullReason()), qPrintable(error));
    QFile stillThere(kept);
    QVERIFY(stillThere.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(stillThere.readAll()), expected);
}

void DiagnosticsModelsTest::eventsComeNewestFirstAndFilterByCategoryTimeAndText() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("history.sqlite"));
    // Ten rows an hour apart over ten hours, oldest first, categories in turn.
    const QStringList categories = {QStringLiteral("alarm"), QStringLiteral("link"),
                                    QStringLiteral("state")};
    QVERIFY(makeDatabase(path, 10, [&](int i) {
        return events::Event{base + i * hour, categories[i % 3], QStringLiteral("name%1").arg(i),
                             i % 2 ? QStringLiteral("on") : QStringLiteral("off"),
                             i == 4 ? QStringLiteral("ttyUSB0: Permission denied") : QString()};
    }));
    const qint64 now = base + 9 * hour + 1000;
    diagnostics::EventModel model(path);
    QString error;
    QVERIFY2(model.select({}, now, &error), qPrintable(error));
    QCOMPARE(model.rowCount(), 10);
    QCOMPARE(model.data(model.index(0, diagnostics::EventModel::Name)).toString(),
             QStringLiteral("name9"));
    QCOMPARE(model.data(model.index(9, diagnostics::EventModel::Name)).toString(),
             QStringLiteral("name0"));
    QCOMPARE(model.data(model.index(0, diagnostics::EventModel::At)).toString(),
             diagnostics::EventModel::timeText(base + 9 * hour));

    QVERIFY(model.select({QStringLiteral("link"), 0, QString()}, now));
    QCOMPARE(
        column(model, diagnostics::EventModel::Name, diagnostics::EventModel::StoredRole),
        QStringList({QStringLiteral("name7"), QStringLiteral("name4"), QStringLiteral("name1")}));

    // The last three hours and a bit: rows 7, 8, 9.
    QVERIFY(model.select({QString(), 3 * hour, QString()}, now));
    QCOMPARE(model.rowCount(), 3);
    QVERIFY(model.select({QStringLiteral("alarm"), 3 * hour, QString()}, now));
    QCOMPARE(column(model, diagnostics::EventModel::Name), QStringList({QStringLiteral("name9")}));

    // Text in the detail, the value or the name.
    QVERIFY(model.select({QString(), 0, QStringLiteral("Permission")}, now));
    QCOMPARE(column(model, diagnostics::EventModel::Name, diagnostics::EventModel::StoredRole),
             QStringList({QStringLiteral("name4")}));
    QVERIFY(model.select({QString(), 0, QStringLiteral("name1")}, now));
    QCOMPARE(model.rowCount(), 1);
    QVERIFY(model.select({QStringLiteral("state"), 0, QStringLiteral("on")}, now));
    QCOMPARE(column(model, diagnostics::EventModel::Name), QStringList({QStringLiteral("name5")}));
}

void DiagnosticsModelsTest::aTextFilterTakesPercentAndUnderscoreLiterally() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("history.sqlite"));
    const QStringList details = {QStringLiteral("100% duty"), QStringLiteral("100 duty"),
                                 QStringLiteral("a_b"), QStringLiteral("axb"),
                                 QStringLiteral("back\\slash")};
    QVERIFY(makeDatabase(path, details.size(), [&](int i) {
        return events::Event{base + i, QStringLiteral("settings"), QStringLiteral("written"),
                             QString(), details[i]};
    }));
    diagnostics::EventModel model(path);
    QVERIFY(model.select({QString(), 0, QStringLiteral("0%")}, base));
    QCOMPARE(column(model, diagnostics::EventModel::Detail), QStringList({details[0]}));
    QVERIFY(model.select({QString(), 0, QStringLiteral("a_b")}, base));
    QCOMPARE(column(model, diagnostics::EventModel::Detail), QStringList({details[2]}));
    QVERIFY(model.select({QString(), 0, QStringLiteral("k\\s")}, base));
    QCOMPARE(column(model, diagnostics::EventModel::Detail), QStringList({details[4]}));
}

void DiagnosticsModelsTest::aLargeTableIsFetchedInPagesAndExportsEveryMatchingRow() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("history.sqlite"));
    const int total = 5000;
    QVERIFY(makeDatabase(path, total, [&](int i) {
        return events::Event{base + i,
                             i % 10 == 0 ? QStringLiteral("alarm") : QStringLiteral("state"),
                             QStringLiteral("chillerFault"), QStringLiteral("on"),
                             QStringLiteral("row %1, \"quoted\"").arg(i)};
    }));
    diagnostics::EventModel model(path);
    QVERIFY(model.select({}, base + total));
    // A first page, not the table.
    QVERIFY(model.rowCount() > 0);
    QVERIFY(model.rowCount() < total);
    QVERIFY(model.canFetchMore());
    const int firstPage = model.rowCount();
    model.fetchMore();
    QVERIFY(model.rowCount() > firstPage);
    model.fetchAll();
    QCOMPARE(model.rowCount(), total);
    QVERIFY(!model.canFetchMore());

    // Released, the model holds nothing; selected again, it reads as before.
    model.release();
    QCOMPARE(model.rowCount(), 0);
    QVERIFY(!QSqlDatabase::database(model.connectionName(), false).isOpen());
    QVERIFY(model.select({QStringLiteral("alarm"), 0, QString()}, base + total));
    model.fetchAll();
    QCOMPARE(model.rowCount(), total / 10);
    const QString csv = diagnostics::modelToCsv(model);
    QCOMPARE(csv.count(QStringLiteral("\r\n")), total / 10 + 1);
    QVERIFY(csv.contains(QStringLiteral(",\"row 4990, \"\"quoted\"\"\"\r\n")));
    QVERIFY(csv.startsWith(QStringLiteral("时间,类别,名称,值,详情\r\n")));

    // Never written over a file of the program's own: the history itself, chosen by mistake.
    const qint64 size = QFileInfo(path).size();
    QSignalSpy exported(&model, &diagnostics::EventModel::exported);
    model.exportCsv(path);
    QVERIFY(exported.count() == 1 && exported[0][1].toString().contains("log 或 config"));
    QCOMPARE(QFileInfo(path).size(), size);
}

void DiagnosticsModelsTest::aMissingDatabaseIsReportedAndNeverCreated() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("history.sqlite"));
    diagnostics::EventModel model(path);
    QString error;
    QVERIFY(!model.select({}, base, &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(model.rowCount(), 0);
    QVERIFY(!QFile::exists(path));

    // Once the history has made it, the same model reads it.
    QVERIFY(makeDatabase(path, 3, opened));
    QVERIFY(model.select({}, base, &error));
    QCOMPARE(model.rowCount(), 3);
}

namespace {

// One row of each kind the filter's shown words can find.
const events::Event wordRows[] = {
    {base, "alarm", "chillerFault", "on", ""},
    {base + 1, "alarm", "module1.qbhFault", "off", ""},
    {base + 2, "state", "dinPwm", "on", ""},
    {base + 3, "link", "opened", "", "ttyUSB0"},
    {base + 4, "command", "redLight", "sent", ""},
};

} // namespace

void DiagnosticsModelsTest::theTextFilterFindsTheShownWordsAsWellAsTheStoredKeys_data() {
    QTest::addColumn<bool>("english");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("found"); // stored names, newest first
    const QStringList none;
    QTest::newRow("a caption") << false << "水冷" << QStringList{"chillerFault"};
    QTest::newRow("a module") << false << "模块1" << QStringList{"module1.qbhFault"};
    QTest::newRow("an alarm's value") << false << "消除" << QStringList{"module1.qbhFault"};
    QTest::newRow("the port") << false << "串口" << QStringList{"opened"};
    QTest::newRow("a stored key") << false << "qbhfault" << QStringList{"module1.qbhFault"};
    QTest::newRow("English caption") << true << "chiller" << QStringList{"chillerFault"};
    QTest::newRow("English value") << true << "raised" << QStringList{"chillerFault"};
    QTest::newRow("Chinese in English") << true << "水冷" << none;
    QTest::newRow("SQL in the text") << false << "') OR 1=1 --" << none;
}

// The database's answer and the filter of rows taken on agree.
void DiagnosticsModelsTest::theTextFilterFindsTheShownWordsAsWellAsTheStoredKeys() {
    QFETCH(bool, english);
    QFETCH(QString, text);
    QFETCH(QStringList, found);
    std::unique_ptr<EnglishCatalogue> catalogue(english ? new EnglishCatalogue : nullptr);
    QVERIFY(!english || catalogue->isLoaded());
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("history.sqlite"));
    QVERIFY(makeDatabase(path, 5, [](int i) { return wordRows[i]; }));
    diagnostics::EventModel model(path);
    QVERIFY(model.select({QString(), 0, text}, base + 5));
    QCOMPARE(column(model, diagnostics::EventModel::Name, diagnostics::EventModel::StoredRole),
             found);
    QStringList taken;
    for (const events::Event &e : wordRows)
        if (model.matches(e))
            taken.prepend(e.name);
    QCOMPARE(taken, found);
}

void DiagnosticsModelsTest::theExportHasTheStoredAndTheShownWords() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("history.sqlite"));
    QVERIFY(makeDatabase(path, 1, [](int i) { return wordRows[i]; }));
    diagnostics::EventModel model(path);
    QVERIFY(model.select({}, base + 5));
    // One row taken on since, which the database may not hold yet, and one it holds.
    QCOMPARE(model.addNewest({wordRows[0], wordRows[4]}, true), 1);
    const QString time = diagnostics::csvTime(base);
    QCOMPARE(model.csvText(), QStringLiteral("时间,类别,键,存储值,名称,值,详情\r\n") +
                                  diagnostics::csvTime(base + 4) +
                                  QStringLiteral(",命令,redLight,sent,红光开关,已发送,\r\n") +
                                  time +
                                  QStringLiteral(",报警,chillerFault,on,水冷机警报,出现,\r\n"));
    EnglishCatalogue english;
    QVERIFY(model.csvText().startsWith(
        QStringLiteral("Time,Category,Key,Stored value,Name,Value,Detail\r\n")));
    QVERIFY(model.csvText().endsWith(
        QStringLiteral(",Alarm,chillerFault,on,Chiller alarm,raised,\r\n")));
}

void DiagnosticsModelsTest::theDatabaseIsOpenedReadOnly() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("history.sqlite"));
    QVERIFY(makeDatabase(path, 20, opened));
    const QByteArray before = fileHash(path);
    {
        diagnostics::EventModel model(path);
        QVERIFY(model.select({}, base));
        QSqlQuery write(QSqlDatabase::database(model.connectionName()));
        QVERIFY(!write.exec(QStringLiteral("DELETE FROM events")));
        QVERIFY(model.select({}, base));
        QCOMPARE(model.rowCount(), 20);
    }
    QCOMPARE(fileHash(path), before);
}

void DiagnosticsModelsTest::refreshTakesOnlyTheNewEntriesInBatches() {
    history::Journal journal(100);
    diagnostics::FrameModel model(journal);
    QCOMPARE(model.refresh(), 0);
    for (int i = 0; i < 5; ++i)
        journal.append(entry(base + i, QStringLiteral("SystemStatus"), protocol::Verdict::CheckOk));
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QCOMPARE(model.refresh(), 5);
    QCOMPARE(inserted.count(), 1); // one batch, not one insert per entry
    QCOMPARE(model.refresh(), 0);
    journal.append(entry(base + 9, QStringLiteral("Temperature"), protocol::Verdict::NotChecked));
    QCOMPARE(model.refresh(), 1);
    QCOMPARE(model.rowCount(), 6);
    QCOMPARE(model.entry(5).name, QStringLiteral("Temperature"));
    QCOMPARE(model.data(model.index(0, diagnostics::FrameModel::HexColumn)).toString(),
             QStringLiteral("E6 05 00 10 7F 01"));
    QCOMPARE(model.data(model.index(5, diagnostics::FrameModel::VerdictColumn)).toString(),
             QStringLiteral("无校验"));
    QCOMPARE(model.codeNames(),
             QStringList({QStringLiteral("SystemStatus"), QStringLiteral("Temperature")}));
}

void DiagnosticsModelsTest::pauseHoldsTheViewAndResumeCatchesUp() {
    history::Journal journal(10);
    diagnostics::FrameModel model(journal);
    journal.append(entry(base, QStringLiteral("SystemStatus"), protocol::Verdict::CheckOk));
    model.refresh();
    model.setPaused(true);
    for (int i = 1; i <= 4; ++i)
        journal.append(entry(base + i, QStringLiteral("SystemStatus"), protocol::Verdict::CheckOk));
    QCOMPARE(model.refresh(), 0);
    QCOMPARE(model.rowCount(), 1);
    model.setPaused(false);
    QCOMPARE(model.rowCount(), 5);
    QCOMPARE(model.entry(4).at, base + 4);

    // Paused past the ring's size: resume shows what the ring still holds, once.
    model.setPaused(true);
    for (int i = 5; i < 30; ++i)
        journal.append(entry(base + i, QStringLiteral("SystemStatus"), protocol::Verdict::CheckOk));
    model.setPaused(false);
    QCOMPARE(model.rowCount(), 10);
    QCOMPARE(model.entry(0).at, base + 20);
    QCOMPARE(model.entry(9).at, base + 29);
}

void DiagnosticsModelsTest::codeAndFailedFiltersRebuildFromTheJournal() {
    history::Journal journal(50);
    diagnostics::FrameModel model(journal);
    journal.append(entry(base, QStringLiteral("SystemStatus"), protocol::Verdict::CheckOk));
    journal.append(entry(base + 1, QStringLiteral("SystemStatus"), protocol::Verdict::CheckFailed));
    journal.append(entry(base + 2, QStringLiteral("Temperature"), protocol::Verdict::NotChecked));
    journal.append(entry(base + 3, QStringLiteral("Noise"), protocol::Verdict::NotChecked,
                         history::Direction::Skipped));
    journal.append(entry(base + 4, QStringLiteral("ModuleStatus"), protocol::Verdict::CheckFailed));
    journal.append(entry(base + 5, QStringLiteral("DcSwitch"), protocol::Verdict::CheckFailed,
                         history::Direction::Sent));
    model.refresh();
    QCOMPARE(model.rowCount(), 6);

    model.setFailedOnly(true);
    QCOMPARE(model.rowCount(), 2); // a sent frame carries no verdict
    QCOMPARE(model.entry(0).at, base + 1);
    QCOMPARE(model.entry(1).at, base + 4);
    model.setCodeFilter(QStringLiteral("SystemStatus"));
    QCOMPARE(model.rowCount(), 1);
    model.setFailedOnly(false);
    QCOMPARE(model.rowCount(), 2);
    // New entries are filtered on the way in too.
    journal.append(entry(base + 6, QStringLiteral("Temperature"), protocol::Verdict::NotChecked));
    journal.append(entry(base + 7, QStringLiteral("SystemStatus"), protocol::Verdict::CheckOk));
    QCOMPARE(model.refresh(), 1);
    QCOMPARE(model.rowCount(), 3);
    model.setCodeFilter(QString());
    QCOMPARE(model.rowCount(), 8);
}

void DiagnosticsModelsTest::clearEmptiesTheViewButKeepsLaterEntries() {
    history::Journal journal(50);
    diagnostics::FrameModel model(journal);
    for (int i = 0; i < 3; ++i)
        journal.append(entry(base + i, QStringLiteral("SystemStatus"), protocol::Verdict::CheckOk));
    model.refresh();
    model.clearView();
    QCOMPARE(model.rowCount(), 0);
    QCOMPARE(journal.size(), 3);
    journal.append(entry(base + 5, QStringLiteral("Temperature"), protocol::Verdict::NotChecked));
    model.refresh();
    QCOMPARE(model.rowCount(), 1);
    // A filter change after a clear does not bring the cleared rows back.
    model.setCodeFilter(QStringLiteral("Temperature"));
    model.setCodeFilter(QString());
    QCOMPARE(model.rowCount(), 1);
    QCOMPARE(model.entry(0).at, base + 5);
}

void DiagnosticsModelsTest::theViewNeverHoldsMoreRowsThanTheRing() {
    history::Journal journal(100);
    diagnostics::FrameModel model(journal);
    for (int round = 0; round < 7; ++round) {
        for (int i = 0; i < 37; ++i)
            journal.append(entry(base + round * 37 + i, QStringLiteral("SystemStatus"),
                                 protocol::Verdict::CheckOk));
        model.refresh();
        QVERIFY(model.rowCount() <= 100);
    }
    QCOMPARE(model.rowCount(), 100);
    // The newest 100, in order.
    for (int r = 0; r < 100; ++r)
        QCOMPARE(model.entry(r).at, base + 7 * 37 - 100 + r);
}

void DiagnosticsModelsTest::failedChecksStandOutAndExportAsCsv() {
    history::Journal journal(10);
    diagnostics::FrameModel model(journal);
    journal.append(entry(base, QStringLiteral("SystemStatus"), protocol::Verdict::CheckOk));
    auto bad = entry(base + 1, QStringLiteral("SystemStatus"), protocol::Verdict::CheckFailed);
    bad.text = QStringLiteral("SystemStatus: DC on, laser ready");
    journal.append(bad);
    model.refresh();
    QVERIFY(!model.data(model.index(0, 0), Qt::BackgroundRole).isValid());
    const QVariant background = model.data(model.index(1, 3), Qt::BackgroundRole);
    QVERIFY(background.isValid());
    const QColor red = background.value<QBrush>().color();
    QVERIFY(red.red() > red.green() + 50);
    QCOMPARE(model.data(model.index(1, diagnostics::FrameModel::VerdictColumn)).toString(),
             QStringLiteral("校验失败"));

    const QStringList lines = diagnostics::modelToCsv(model).split(QStringLiteral("\r\n"));
    QCOMPARE(lines.size(), 4); // header, two rows, the empty rest after the last CRLF
    QCOMPARE(lines[0], QStringLiteral("时间,方向,代码,十六进制,校验,内容"));
    QVERIFY(lines[2].endsWith(QStringLiteral(
        ",接收,SystemStatus,E6 05 00 10 7F 01,校验失败,\"SystemStatus: DC on, laser ready\"")));
}

int main(int argc, char **argv) {
    // Before any thread: the small disk is a mount of this process alone.
    SmallDisk::enterPrivateMounts();
    QApplication app(argc, argv);
    DiagnosticsModelsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "diagnostics_models_test.moc"
