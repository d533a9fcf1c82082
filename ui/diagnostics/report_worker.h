#pragma once

#include "events/alarm_figures.h"
#include "history/alarm_report_reader.h"
#include "service/report_pages.h"
#include "service/report_words.h"

#include <QMetaType>
#include <QMutex>
#include <QObject>
#include <QString>

#include <atomic>
#include <functional>

namespace diagnostics {

// What the Report tab asks: the last `span` up to the clock's now, or the range [from, to].
struct ReportAsk {
    quint64 id = 0;
    service::ReportSpan span = service::ReportSpan::Month;
    bool range = false;
    qint64 from = 0;
    qint64 to = 0;
};

// What comes back.
struct ReportAnswer {
    quint64 id = 0;
    history::ReportOutcome outcome = history::ReportOutcome::Ok;
    QString error;
    events::PeriodFigures figures;
    qint64 elapsedMs = 0;
    qint64 rowsFolded = 0;
};

// Reads the report's figures on a thread of its own (the caller moves it there); the GUI thread
// only asks and shows. A newer ask makes an older read still under way stop. Writes the files.
class ReportWorker : public QObject {
    Q_OBJECT
public:
    // `clock`: the wall clock in ms since 1970 (tests pass their own).
    ReportWorker(const QString &databasePath, std::function<qint64()> clock = {});

    // --- any thread ---
    void want(const ReportAsk &ask);
    // Stops a read under way (the tab is hidden).
    void forget();
    // Writes `figures` as a report file (CSV or the printable page) under `path`.
    void exportFile(const QString &path, const events::PeriodFigures &figures,
                    service::ReportFormat format);

signals:
    void answered(const diagnostics::ReportAnswer &answer);
    void exported(const QString &path, const QString &error);

private:
    void serve();

    QString path;
    std::function<qint64()> clock;
    QMutex mutex;
    ReportAsk wanted;                 // guarded by mutex
    std::atomic<quint64> wantedId{0}; // read by a running read to see whether it is stale
};

} // namespace diagnostics

Q_DECLARE_METATYPE(diagnostics::ReportAnswer)
