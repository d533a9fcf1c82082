#pragma once

#include "alarms/decisions.h"
#include "alarms/handling.h"
#include "alarms/shelf_file.h"
#include "protocol/device_state.h"
#include "protocol/dispatch.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <optional>

class QAction;
class QMainWindow;
class QThread;
class QToolButton;
namespace history {
class Recorder;
}

namespace alarm_summary {

class AlarmListener;
class ShelfKeeper;
class SummaryWindow;

// The alarm handling in the window. It owns alarms::AlarmHandling and feeds it from the window's
// calls (every frame the dispatcher applied, the port opened and closed, the link lost, the state
// cleared, each refresh pass) and the summary's actions, and carries out what it decides: the
// history's rows through the recorder, the notices to the listener (the tray), the shelf file's
// changes to its worker. It shows the count of unacknowledged alarms in the status bar ("N 未确认",
// a click opens the summary) and the summary in a window of its own, opened also by F9 from any
// window of the program and by 诊断 → 报警汇总.... At the start it restores the shelves and then,
// after a run that ended unexpectedly, lists what that run left unacknowledged.
class AlarmDesk : public QObject {
    Q_OBJECT
public:
    AlarmDesk(QMainWindow &window, history::Recorder &recorder, AlarmListener &listener,
              const QString &databasePath = QStringLiteral("log/history.sqlite"),
              const QString &shelfPath = alarms::shelfFilePath());
    ~AlarmDesk() override;

    // --- the window's calls ---
    void portOpened();
    // Closed by the operator or at the end (linkLost false); the link lost or the device gone.
    void dataLost(bool linkLost);
    // Right after the recorder was told (the history's alarm rows restart at the same point).
    void stateCleared(const protocol::DeviceState &state);
    // After the recorder took the frame, with the state the dispatcher left.
    void frameReceived(const QByteArray &frame, protocol::Verdict verdict,
                       const protocol::DeviceState &state);
    // Each refresh pass: shelves that end, a flood that ends, the shelves' time left.
    void refresh();

    const alarms::AlarmHandling &handling() const { return core; }
    QToolButton *statusButton() const { return button; }
    QAction *summaryAction() const { return open; }
    // Null until first opened.
    SummaryWindow *summary() const { return shown; }
    void showSummary();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    qint64 wall() const;
    qint64 steady() const;
    // What was decided goes to the history, the listener and the shelf file.
    void carryOut();
    void linkMayHaveChanged();
    void present();
    void presentSoon();
    void restore(const alarms::ShelfRead &read);
    void readEndedRun();
    void listEndedRun();
    void shelve(const QString &key, int minutes, const QString &reason);
    void showNote();
    void retranslate();

    QMainWindow &main;
    history::Recorder &recorder;
    AlarmListener &listener;
    QString databasePath;
    alarms::AlarmHandling core;
    alarms::Decisions out;
    QElapsedTimer clock;
    bool bootClock = false;
    QString user;
    QToolButton *button;
    QAction *open;
    SummaryWindow *shown = nullptr;
    QTimer soon;
    quint64 presented = ~quint64(0);
    alarms::Link told = alarms::Link::Closed;
    bool shelvesListed = false;
    qint64 timeLeftShownAt = 0;
    // The start: the shelves, then what a crashed run left.
    ShelfKeeper *shelves;
    bool restored = false;
    std::optional<alarms::ShelfRead> shelfRead;
    alarms::RestoreReport report;
    qint64 endedAt = 0;
    std::optional<alarms::LeftAlarms> left;
    QThread *reader = nullptr;
    QString saveError;
    alarms::ShelveResult shelveResult = alarms::ShelveResult::Shelved;
};

} // namespace alarm_summary
