#pragma once

#include "events/active_alarms.h"
#include "events/records.h"

#include <QLabel>
#include <QObject>
#include <QString>

#include <functional>
#include <vector>

class QThread;
namespace history {
class Recorder;
} // namespace history

namespace diagnostics {

// The alarms on now, taken from the history: read once from the database on a thread of its
// own (the GUI thread never waits on the disk), once the writer has read the history as the run
// found it (a run that ended unexpectedly is marked by then), then followed through the rows the
// recorder takes on. Rows that come while the read runs are folded in again after it: a row the
// read already saw changes nothing when it is folded twice, in order.
class AlarmWatch : public QObject {
    Q_OBJECT
public:
    AlarmWatch(history::Recorder &recorder, const QString &databasePath, QObject *parent = nullptr);
    ~AlarmWatch() override;

    const std::vector<events::ActiveAlarm> &alarms() const { return on; }
    // False until the history has been read.
    bool isLoaded() const { return loaded; }

signals:
    void changed();

private:
    void read(const QString &databasePath);
    void take(const events::Event &event);
    void fold(const std::vector<events::Event> &rows);

    QThread *reader = nullptr;
    std::vector<events::ActiveAlarm> on;
    std::vector<events::Event> meanwhile; // rows taken on while the read runs
    bool loaded = false;
};

// "当前报警: 2" in the main window's status bar while any alarm is on; hidden otherwise.
class ActiveAlarmCount : public QLabel {
    Q_OBJECT
public:
    explicit ActiveAlarmCount(const AlarmWatch &watch, QWidget *parent = nullptr);
    void refresh();

protected:
    void changeEvent(QEvent *event) override;

private:
    const AlarmWatch &watch;
};

// Above the events list: each alarm on now with its label, since when (local time) and for how
// long; "当前无报警" when none.
class ActiveAlarmStrip : public QLabel {
    Q_OBJECT
public:
    // `clock`: the wall clock in ms since 1970 (tests pass their own).
    explicit ActiveAlarmStrip(const AlarmWatch &watch, QWidget *parent = nullptr,
                              std::function<qint64()> clock = {});
    // Renders the list and the durations anew (the tab calls it while shown).
    void refresh();

private:
    const AlarmWatch &watch;
    std::function<qint64()> clock;
};

} // namespace diagnostics
