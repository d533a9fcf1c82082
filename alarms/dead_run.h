#pragma once

#include "events/records.h"

#include <QHash>
#include <QString>
#include <QtGlobal>

#include <vector>

namespace alarms {

// An alarm a run left unacknowledged, as its rows tell.
struct LeftAlarm {
    QString key;
    qint64 raisedAt = 0; // the first rise since it was last normal
    qint64 rises = 0;
};

constexpr int distinctKeyLimit = 4096;

struct LeftAlarms {
    std::vector<LeftAlarm> alarms; // by first rise, oldest first
    // Rows skipped: a name that is not a key (validKey), or one beyond the first
    // distinctKeyLimit keys (a history is read, not trusted).
    int skipped = 0;
};

// The alarms the rows of a run (its "alarm" and "handling" rows, oldest first, as written) left
// unacknowledged and not shelved: an alarm is unacknowledged from a rise until its
// acknowledgement; a shelf holds it, and ends with it acknowledged if it was not active then;
// an ended_with_run row means it was already listed once, and counts as acknowledged. Link
// rows change nothing: an alarm left unacknowledged at a closed port stays so.
//
// Row by row, so that a long run is read in pages and never held whole: what it keeps is one
// entry a key, at most distinctKeyLimit of them.
class RunReplay {
public:
    void take(const events::Event &row);
    LeftAlarms left() const;

private:
    struct Replay {
        bool active = false;
        bool unacknowledged = false;
        bool shelved = false;
        qint64 raisedAt = 0;
        qint64 rises = 0;
        qint64 order = 0;
    };
    QHash<QString, Replay> byKey;
    qint64 order = 0;
    int skipped = 0;
};

// The same for rows held whole.
LeftAlarms unacknowledgedAtEnd(const std::vector<events::Event> &rows);

} // namespace alarms
