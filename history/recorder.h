#pragma once

#include "events/records.h"
#include "history/command_rows.h"
#include "history/handling_rows.h"
#include "history/journal.h"
#include "history/link_traffic.h"
#include "history/notice.h"
#include "history/notice_board.h"
#include "history/sample_values.h"
#include "history/writer_limits.h"
#include "history/writer_queue.h"
#include "history/writer_thread.h"
#include "protocol/device_state.h"
#include "protocol/dispatch.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <vector>

namespace events {
class FlagWatch;
} // namespace events

namespace history {

struct RecorderOptions {
    QString logDir = QStringLiteral("log");
    WriterLimits limits;
    int journalCapacity = Journal::defaultCapacity;
    // Wall clock in ms since 1970; tests pass their own.
    std::function<qint64()> clock;
};

// The history of the link, fed by the window through short calls from the GUI thread: the
// frame journal in memory, and capture lines, event rows and samples queued for the writer
// thread. Nothing here waits on the disk.
class Recorder : public QObject {
    Q_OBJECT
public:
    explicit Recorder(QObject *parent = nullptr, RecorderOptions options = RecorderOptions());
    ~Recorder() override;

    // --- the port ---
    void portOpened(const QString &port, const QString &description);
    void portOpenFailed(const QString &port, const QString &error);
    void portClosed(const QString &port); // by the user
    // The link is found lost (the row); the port stays open, and captured, until
    // portClosedAfterLoss().
    void linkLost(const QString &port);
    void portClosedAfterLoss();
    void deviceGone(const QString &port, const QString &error);
    void portError(const QString &port, const QString &error);
    // The device state has just been cleared: one state_cleared row when there was anything
    // to clear, and the flags start again from the cleared state without rows.
    void stateCleared(const protocol::DeviceState &state);

    // --- bytes and frames ---
    void bytesReceived(const QByteArray &chunk);
    // A complete frame, after the dispatcher applied it to `state` with `verdict`.
    void frameReceived(const QByteArray &frame, protocol::Verdict verdict,
                       const protocol::DeviceState &state);
    void bytesSkipped(const char *bytes, int count);
    void passDone(bool early);
    // A frame handed to the port; `written` is what the port took (-1 when it refused).
    void frameSent(const QByteArray &frame, qint64 written);

    // A settings profile saved, compared or restored: one `settings` row.
    void settingsProfile(const QString &name, const QString &value, const QString &detail);
    // What the alarm handling decided (its "handling" rows), in order, at their own times.
    void handlingRows(const std::vector<events::Event> &rows) { handling.take(rows); }
    // The plant link's laser id: from now on each event is kept in the history's outbox until
    // the link has delivered it (history/outbox.h). Set before the first write (a second after
    // the start) to cover every row of the run.
    void keepForPlant(const QString &laserId) { queue.setOutboxKey(laserId); }
    // The database the writer writes to.
    QString databasePath() const;

    // --- readers (GUI thread) ---
    const Journal &journal() const { return traffic.journal(); }
    const LinkFigures &figures() const { return traffic.figures(); }
    qint64 msSinceLastFrame() const;
    void resetFigures();
    // The history's present state in one English line: the troubles going on, or else what
    // was said last (a recovery and what it cost); empty while nothing was ever said.
    QString lastTrouble() const { return board.text(); }
    // The same as notices: the troubles going on, and the last one said.
    const std::vector<Notice> &troubles() const { return board.troubles(); }
    const Notice *lastNotice() const { return board.lastNotice(); }
    // The size of the log folder in bytes as last measured by the writer, or -1.
    qint64 logSize() const { return logBytes; }
    // Whether the writer has read the history as the run found it and written its start rows
    // (historyStarted() tells when); what is read from the database after that includes them.
    bool historyIsStarted() const { return historyStartedFlag; }
    bool portIsOpen() const { return open; }
    // The temperatures as received since the port opened, to 0.01 °C; NaN where none came yet.
    events::Sample currentValues() const;

    // Once a second (its own timer): a sample while open with values, the frame rate.
    void secondElapsed();
    // Waits until everything queued so far is on disk. For a normal exit and for tests; the
    // window never calls it while running.
    void flushNow();
    // The end of the run: the capture closes and the writer writes what is queued, trying a
    // lock or a full disk for up to five seconds before it says on standard error what it could
    // not write. Rows that come later are not recorded (and counted on standard error).
    void finish();
    // Where the writer's notices arrive (queued from its thread).
    void noticed(const Notice &notice);

signals:
    // Rows and samples the writer has taken on (a row the queue refused is not announced), and
    // the rows it writes of its own (ended_unexpectedly, a clock jump).
    void eventRecorded(const events::Event &event);
    void sampleRecorded(const events::Sample &sample);
    // An event written to the database, with its row id (from the writer's thread, queued).
    void eventStored(const events::StoredEvent &event);
    // Every link row (opened, closed, ...), taken on or not: the port's state.
    void linkEvent(const events::Event &event);
    void trouble(const QString &text);
    // The troubles, the last notice or the log folder's size changed.
    void historyChanged();
    void historyStarted();

private:
    qint64 now() const;
    void record(const QString &category, const QString &name, const QString &value,
                const QString &detail, qint64 at);
    void record(const events::Event &event);
    void stopCapture();
    void pushCapture(CaptureItem item);

    RecorderOptions options;
    LinkTraffic traffic;
    WriterQueue queue;
    WriterThread *writer = nullptr;
    QTimer secondTimer;
    events::FlagWatch *flags = nullptr;
    std::vector<events::Event> changes; // scratch, reused
    CommandRows commands;
    HandlingRows handling;
    SampleValues values;
    bool open = false;
    bool capturing = false;
    quint64 framesSinceClear = 0;
    NoticeBoard board;
    qint64 logBytes = -1;
    bool ended = false;
    quint64 lateRows = 0;
    bool historyStartedFlag = false;
};

} // namespace history
