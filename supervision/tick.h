#pragma once

#include "protocol/device_state.h"

#include <QtGlobal>

namespace supervision {

// What one tick asks the window to do, in the order the window must do it.
struct TickDecisions {
    // Read-back watch: the CCB answered (enable "设定" and "读回"), or it did not answer in
    // time (enable "读回", then the "not connected" box).
    bool readBackAnswered = false;
    bool readBackTimedOut = false;
    // Write watch: answered (enable "设定"), or timed out (disable "设定", then the box).
    bool writeAnswered = false;
    bool writeTimedOut = false;
    // Clear the device state (some time after the user closed the port).
    bool resetNow = false;
    // Refresh the page that is shown.
    bool refreshNow = false;
    // The CCB has been silent too long: show the link-lost box; once it is dismissed close the
    // port, clear portOpen, call linkLostClosed() and clear the device state.
    bool linkLost = false;

    bool any() const {
        return readBackAnswered || readBackTimedOut || writeAnswered || writeTimedOut || resetNow ||
               refreshNow || linkLost;
    }
};

// The 1 ms tick's counters and schedule. It counts ticks, not milliseconds, moves the two
// settings handshakes and decides; the window carries the decisions out on its widgets.
class TickSchedule {
public:
    static constexpr quint32 resetPeriod = 100;
    static constexpr quint32 refreshPeriod = 200;
    static constexpr quint32 watchdogPeriod = 1000;
    // The link is lost at the first watchdog period that finds the count above this.
    static constexpr qint32 silentPeriodsAllowed = 15;

    // One tick. Reads and writes the two handshake bytes of `state` (nothing else of it) and
    // the window's linkSilenceCount, which complete frames and a fresh open set back to 0.
    TickDecisions advance(protocol::DeviceState &state, bool portOpen, qint32 &linkSilenceCount,
                          quint16 replyTimeoutTicks);

    // The user closed the port with the switch button: the device state is cleared shortly.
    void userClosedPort() { portClosedByUser = true; }

    // The link-lost box has been dismissed and the port closed. The watchdog counts again, and
    // from zero: a stale count must not report a port that is opened again straight away.
    void linkLostClosed(qint32 &linkSilenceCount);

    // A link-lost box is about to open for another reason (the device is gone): the watchdog
    // neither counts nor reports until linkLostClosed().
    void linkLostReporting() { linkLostReported = true; }

    // A request was sent: its wait starts from zero. An answered request leaves its count to
    // the next tick, and a request sent before that tick must not inherit it.
    void readBackSent() { readBackWaitTicks = 0; }
    void writeSent() { writeWaitTicks = 0; }

    // True from the link-lost decision until linkLostClosed(): the box is (still) open.
    bool reportingLinkLost() const { return linkLostReported; }

    quint32 tickCount = 0; // wraps at 2^32
    quint16 readBackWaitTicks = 0;
    quint16 writeWaitTicks = 0;
    bool portClosedByUser = false;
    bool resetPending = false;
    // The box runs a nested event loop and the tick keeps running inside it; while it is open
    // the watchdog neither counts nor reports again, so there is never a second box.
    bool linkLostReported = false;
};

} // namespace supervision
