#include "ui/plant_summary.h"

#include "history/recorder.h"
#include "plant/plant_link.h"
#include "service/alarm_summary.h"

#include <QDateTime>
#include <QThread>

#include <algorithm>

namespace {

QStringList topOf(const plant::AlarmSummary &s) {
    QStringList top;
    for (const plant::SummaryPeriod &p : s.periods)
        top << plant::topAlarms(p, PlantSummary::topCount) << QString();
    return top;
}

} // namespace

PlantSummary::PlantSummary(plant::PlantLink &link, history::Recorder &recorder,
                           const QString &databasePath, QObject *parent)
    : QObject(parent), link(link), path(databasePath), thread(new QThread(this)),
      worker(new QObject) {
    worker->moveToThread(thread);
    connect(thread, &QThread::finished, worker, &QObject::deleteLater);
    thread->start(QThread::LowPriority);
    periodic.setInterval(refreshMs);
    connect(&periodic, &QTimer::timeout, this, [this] { read(true); });
    periodic.start();
    afterRise.setSingleShot(true);
    connect(&afterRise, &QTimer::timeout, this, [this] { read(false); });
    connect(&recorder, &history::Recorder::eventRecorded, this, [this](const events::Event &e) {
        if (e.category == QLatin1String("alarm") && e.value == QLatin1String("on") &&
            !afterRise.isActive())
            soon(settleMs);
    });
    // The first once the history is open (its start may have ended a crashed run's alarms).
    if (recorder.historyIsStarted())
        QTimer::singleShot(settleMs, this, [this] { read(true); });
    else
        connect(&recorder, &history::Recorder::historyStarted, this,
                [this] { QTimer::singleShot(settleMs, this, [this] { read(true); }); });
}

PlantSummary::~PlantSummary() {
    stopping = true;
    thread->quit();
    thread->wait();
}

void PlantSummary::soon(int ms) {
    // At most one read a minute for a change; the ten minutes' read comes anyway.
    const qint64 wait = sinceRead.isValid() ? soonestMs - sinceRead.elapsed() : 0;
    afterRise.start(int(std::max<qint64>(ms, wait)));
}

void PlantSummary::read(bool due) {
    if (reading) {
        // One read at a time: this one follows it.
        pending = true;
        pendingDue = pendingDue || due;
        return;
    }
    reading = true;
    sinceRead.start();
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    QMetaObject::invokeMethod(
        worker,
        [this, now, due, file = path] {
            plant::AlarmSummary summary;
            QString error;
            const bool ok = service::readAlarmSummary(file, now, &summary, &error,
                                                      [this] { return stopping.load(); });
            if (stopping)
                return;
            QMetaObject::invokeMethod(
                this, [this, summary, ok, due] { answered(summary, ok, due); },
                Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}

void PlantSummary::answered(const plant::AlarmSummary &summary, bool ok, bool due) {
    reading = false;
    // A history that cannot be read now publishes nothing: the last summary stands, and the next
    // read comes with the timer.
    const QStringList top = topOf(summary);
    if (ok && (due || top != published)) {
        published = top;
        link.publishSummary(summary);
    }
    if (pending) {
        pending = false;
        const bool again = pendingDue;
        pendingDue = false;
        read(again);
    }
}

#include "moc_plant_summary.cpp"
