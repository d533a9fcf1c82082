#pragma once

#include "events/records.h"
#include "protocol/device_state.h"

#include <QString>
#include <QtGlobal>

#include <vector>

namespace events {

// The alarm and state flags of DeviceState with their stable names ("chillerFault",
// "module1.qbhFault", "board0.channel3.overTemp2"), and the last value seen of each.
// A flag gives an event when it changes, never one per frame.
class FlagWatch {
public:
    FlagWatch();

    // The flags a frame with this code can change, compared with the last values seen; one
    // event (category "alarm" or "state", value "on"/"off") per changed flag, appended to out.
    void frameApplied(quint8 code, const protocol::DeviceState &state, qint64 at,
                      std::vector<Event> &out);
    // Every flag, compared with the last values seen.
    void compareAll(const protocol::DeviceState &state, qint64 at, std::vector<Event> &out);
    // Takes every flag of `state` as seen, without events (after the state was cleared).
    void rebase(const protocol::DeviceState &state);

    struct Flag {
        const char *category;
        QString name;
        quint8 code; // the frame code that carries the flag
        bool (*get)(const protocol::DeviceState &, int, int);
        int i;
        int j;
    };
    const std::vector<Flag> &flags() const { return table; }

private:
    void compareRange(size_t first, size_t last, const protocol::DeviceState &state, qint64 at,
                      std::vector<Event> &out);
    std::vector<Flag> table;
    std::vector<char> seen;
    // Index ranges of the table by frame code.
    size_t systemFirst = 0, systemLast = 0, moduleFirst = 0, moduleLast = 0, driverFirst = 0,
           driverLast = 0, ioFirst = 0, ioLast = 0;
};

} // namespace events
