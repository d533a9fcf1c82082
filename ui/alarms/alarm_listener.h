#pragma once

#include "alarms/decisions.h"
#include "alarms/handling.h"

namespace alarm_summary {

// What else hears the alarm handling besides the summary: the tray with its notifications and
// the screen reader's texts of the page (the main window's OperatorView).
class AlarmListener {
public:
    virtual ~AlarmListener() = default;
    // Something to tell the operator: every rise the handling counts, a first out, a flood, a
    // shelf's end, what a crashed run left unacknowledged.
    virtual void tell(const alarms::Notice &notice) = 0;
    // The link as the handling has it: no data unless Live.
    virtual void linkChanged(alarms::Link link) = 0;
};

} // namespace alarm_summary
