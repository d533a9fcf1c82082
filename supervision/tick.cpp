#include "supervision/tick.h"

namespace supervision {

namespace {

enum class Watch { idle, answered, timedOut, waiting };

// One settings request: waiting counts ticks up to the time-out, answered goes back to idle.
Watch watchRequest(quint8 &handshake, quint16 &waitTicks, quint16 replyTimeoutTicks) {
    switch (handshake) {
    case protocol::handshakeWaiting:
        ++waitTicks;
        if (waitTicks >= replyTimeoutTicks) {
            // Back to idle before the box opens, so the ticks inside the box don't repeat it.
            handshake = protocol::handshakeIdle;
            waitTicks = 0;
            return Watch::timedOut;
        }
        return Watch::waiting;
    case protocol::handshakeAnswered:
        handshake = protocol::handshakeIdle;
        return Watch::answered;
    default:
        waitTicks = 0;
        return Watch::idle;
    }
}

} // namespace

TickDecisions TickSchedule::advance(protocol::DeviceState &state, bool portOpen,
                                    qint32 &linkSilenceCount, quint16 replyTimeoutTicks) {
    TickDecisions d;
    const quint32 n = ++tickCount;

    const Watch readBack =
        watchRequest(state.sysSetReadBackState, readBackWaitTicks, replyTimeoutTicks);
    d.readBackAnswered = readBack == Watch::answered;
    d.readBackTimedOut = readBack == Watch::timedOut;

    const Watch write = watchRequest(state.sysSetWriteState, writeWaitTicks, replyTimeoutTicks);
    d.writeAnswered = write == Watch::answered;
    d.writeTimedOut = write == Watch::timedOut;

    if (resetPending && n % resetPeriod == 0) {
        resetPending = false;
        d.resetNow = true;
    }

    if (n % refreshPeriod == 0) {
        d.refreshNow = true;
        // The refresh above still shows the last values; the state is cleared at the next
        // multiple of the reset period.
        if (portClosedByUser) {
            portClosedByUser = false;
            resetPending = true;
        }
    }

    if (n % watchdogPeriod == 0 && !linkLostReported) {
        if (portOpen) {
            ++linkSilenceCount;
            if (linkSilenceCount > silentPeriodsAllowed) {
                linkLostReported = true;
                d.linkLost = true;
            }
        } else {
            linkSilenceCount = 0;
        }
    }
    return d;
}

void TickSchedule::linkLostClosed(qint32 &linkSilenceCount) {
    linkLostReported = false;
    linkSilenceCount = 0;
}

} // namespace supervision
