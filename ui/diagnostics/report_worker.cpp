#include "ui/diagnostics/report_worker.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMutexLocker>

namespace diagnostics {

ReportWorker::ReportWorker(const QString &databasePath, std::function<qint64()> clock)
    : path(databasePath), clock(std::move(clock)) {
    qRegisterMetaType<diagnostics::ReportAnswer>();
}

void ReportWorker::want(const ReportAsk &ask) {
    {
        QMutexLocker lock(&mutex);
        wanted = ask;
    }
    wantedId.store(ask.id);
    QMetaObject::invokeMethod(
        this, [this] { serve(); }, Qt::QueuedConnection);
}

void ReportWorker::forget() {
    {
        QMutexLocker lock(&mutex);
        wanted = ReportAsk();
    }
    wantedId.store(0);
}

void ReportWorker::serve() {
    ReportAsk ask;
    {
        QMutexLocker lock(&mutex);
        ask = wanted;
        wanted.id = 0; // served once
    }
    if (ask.id == 0)
        return;
    const qint64 now = clock ? clock() : QDateTime::currentMSecsSinceEpoch();
    const history::ReportRequest request = ask.range
                                               ? history::alignedRequest(ask.from, ask.to, now)
                                               : service::spanRequest(ask.span, now);
    ReportAnswer answer;
    answer.id = ask.id;
    QElapsedTimer took;
    took.start();
    answer.outcome = history::readPeriodFigures(
        path, request, &answer.figures, &answer.error,
        [this, id = ask.id] { return wantedId.load() != id; }, &answer.rowsFolded);
    answer.elapsedMs = took.elapsed();
    // A newer ask is queued behind this call.
    if (answer.outcome != history::ReportOutcome::Cancelled)
        emit answered(answer);
}

void ReportWorker::exportFile(const QString &file, const events::PeriodFigures &figures,
                              service::ReportFormat format) {
    QMetaObject::invokeMethod(
        this,
        [this, file, figures, format] {
            QString error;
            service::writeReportFile(file, service::reportFile(figures, format),
                                     QFileInfo(path).path(), QStringLiteral("config"), &error);
            emit exported(file, error);
        },
        Qt::QueuedConnection);
}

} // namespace diagnostics

#include "moc_report_worker.cpp"
