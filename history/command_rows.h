#pragma once

#include "events/records.h"
#include "history/journal.h"
#include "protocol/device_state.h"

#include <QByteArray>
#include <QString>

#include <functional>

namespace history {

// The rows of what is asked of the laser: the command behind each frame sent, the settings read
// back or written once the CCB has answered, and the settings profiles saved, compared or
// restored. Each row goes to `sink`.
class CommandRows {
public:
    explicit CommandRows(std::function<void(const events::Event &)> sink);

    // A frame the port took; `entry` is its journal entry (name and decoded line).
    void frameSent(const QByteArray &frame, const JournalEntry &entry, qint64 at);
    // A settings frame (0xEF) applied to `state`: the settings row of a read-back or a write that
    // was waiting for it.
    void settingsFrame(const protocol::DeviceState &state, qint64 at);
    // The device state was cleared: no read-back or write waits any more.
    void stateCleared() { readBackWaiting = writeWaiting = false; }
    // A settings profile saved, compared or restored: one `settings` row.
    void settingsProfile(const QString &name, const QString &value, const QString &detail,
                         qint64 at);

private:
    void record(const QString &category, const QString &name, const QString &value,
                const QString &detail, qint64 at);

    std::function<void(const events::Event &)> sink;
    bool readBackWaiting = false;
    bool writeWaiting = false;
};

} // namespace history
