// Opening the Events tab's query on a history database of a million events: the time until the
// first page of rows is there, for no filter, a category, and a text that few rows contain.
#include "ui/diagnostics/event_model.h"

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int rows = 1000000;
constexpr qint64 base = 1765100000000;

QString databasePath() {
    static QTemporaryDir dir;
    static QString path;
    if (!path.isEmpty())
        return path;
    path = dir.filePath(QStringLiteral("history.sqlite"));
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("make"));
        db.setDatabaseName(path);
        db.open();
        QSqlQuery q(db);
        q.exec(QStringLiteral("PRAGMA journal_mode=WAL"));
        q.exec(QStringLiteral("CREATE TABLE events(at INTEGER NOT NULL, category TEXT NOT NULL, "
                              "name TEXT NOT NULL, value TEXT, detail TEXT)"));
        q.exec(QStringLiteral("CREATE INDEX events_at ON events(at)"));
        db.transaction();
        q.prepare(QStringLiteral("INSERT INTO events VALUES(?, ?, ?, ?, ?)"));
        const QString categories[] = {QStringLiteral("alarm"), QStringLiteral("state"),
                                      QStringLiteral("state"), QStringLiteral("link"),
                                      QStringLiteral("command")};
        for (int i = 0; i < rows; ++i) {
            q.addBindValue(base + qint64(i) * 250);
            q.addBindValue(categories[i % 5]);
            q.addBindValue(i % 997 == 0 ? QStringLiteral("fiberBreakFault")
                                        : QStringLiteral("chillerFault"));
            q.addBindValue(i % 2 ? QStringLiteral("on") : QStringLiteral("off"));
            q.addBindValue(QStringLiteral("ttyUSB0"));
            q.exec();
        }
        db.commit();
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("make"));
    return path;
}

void open(benchmark::State &state, const diagnostics::EventFilter &filter) {
    const QString path = databasePath();
    for (auto _ : state) {
        diagnostics::EventModel model(path);
        model.select(filter, base + qint64(rows) * 250);
        benchmark::DoNotOptimize(model.rowCount());
        if (model.rowCount() == 0)
            state.SkipWithError("no rows");
    }
}

void BM_OpenAllNewestFirst(benchmark::State &state) {
    open(state, {});
}
void BM_OpenOneCategory(benchmark::State &state) {
    open(state, {QStringLiteral("link"), 0, QString()});
}
void BM_OpenLastHour(benchmark::State &state) {
    open(state, {QString(), 3600 * 1000, QString()});
}
// About one row in a thousand matches: the first page needs a long walk through the table.
void BM_OpenRareText(benchmark::State &state) {
    open(state, {QString(), 0, QStringLiteral("fiberBreak")});
}

} // namespace

BENCHMARK(BM_OpenAllNewestFirst)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenOneCategory)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenLastHour)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenRareText)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
