#pragma once

#include "plant/summary_payload.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <atomic>

class QThread;

namespace history {
class Recorder;
}
namespace plant {
class PlantLink;
}

// Keeps the host's alarm summary on the plant link (PREFIX/ID/alarm_summary, retained): read from
// the history on a thread of its own, never the window's; published every 10 minutes, and sooner
// when an alarm rose and the top alarms are no longer those published, at most once a minute.
class PlantSummary : public QObject {
    Q_OBJECT

public:
    static constexpr int refreshMs = 10 * 60 * 1000;
    static constexpr int soonestMs = 60 * 1000;
    // After a rise, its rows reach the database before the history is read.
    static constexpr int settleMs = 5000;
    // The alarms whose order in either period makes a new summary.
    static constexpr int topCount = 10;

    PlantSummary(plant::PlantLink &link, history::Recorder &recorder, const QString &databasePath,
                 QObject *parent);
    ~PlantSummary() override;

private:
    void read(bool due);
    void answered(const plant::AlarmSummary &summary, bool ok, bool due);
    void soon(int ms);

    plant::PlantLink &link;
    QString path;
    QThread *thread;
    QObject *worker;
    QTimer periodic;
    QTimer afterRise;
    QElapsedTimer sinceRead;
    QStringList published;
    bool reading = false;
    bool pendingDue = false;
    bool pending = false;
    std::atomic<bool> stopping{false};
};
