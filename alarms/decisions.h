#pragma once

#include "events/handling_rows.h"
#include "events/records.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <optional>
#include <vector>

// What the alarm handling decides, as plain values: the summary's lines, the history rows, the
// notices of the attention feature and the changes to the shelf file. The window, the tray, the
// history and the plant link take these and only show, keep and publish them.
namespace alarms {

// Shelves last 15 minutes to 8 hours, an hour unless the operator chooses.
constexpr int shortestShelfMinutes = events::shortestShelfMinutes;
constexpr int longestShelfMinutes = events::longestShelfMinutes;
constexpr int defaultShelfMinutes = 60;
constexpr int longestReason = 60; // characters of a shelf's reason
constexpr int longestUserName = 64;
// More than floodRises rises within floodWindowMs is a flood; it ends once the window holds no
// more than floodEndRises (half, so that a rate near the limit does not flap in and out).
constexpr int floodRises = 10;
constexpr int floodEndRises = 5;
constexpr qint64 floodWindowMs = 10 * 60 * 1000;

enum class State {
    Normal,
    ActiveUnacknowledged,
    ActiveAcknowledged,
    ReturnedUnacknowledged,
    Shelved,
    NoData,       // the port closed or the link lost since the alarm was listed
    EndedWithRun, // unacknowledged when the run before this one ended unexpectedly
};

// One line of the summary: every alarm that is not normal.
struct Line {
    QString key; // the stored key ("doorInterlock", "module1.qbhFault", or a newer CCB's)
    State state = State::Normal;
    bool unacknowledged = false; // counted in "N 未确认"; never while shelved
    bool active = false;         // as last known
    qint64 raisedAt = 0;         // ms since 1970 of the first rise of this episode; 0 none
    qint64 returnedAt = 0;       // of the last return to normal; 0 while active
    qint64 rises = 0;            // in this episode
    bool firstOut = false;
    qint64 shelfLeftMs = -1; // -1 when not shelved
    QString shelfReason;
};

// What the attention feature tells the operator. Texts: alarms::noticeText(), made in the
// language installed when asked.
struct Notice {
    enum class Kind {
        Rise,         // keys: the alarm (none while shelved or in a flood)
        FirstOut,     // keys: the first out of an episode that has just begun
        FloodBegan,   // count: the rises in the last 10 minutes
        FloodEnded,   // count: the rises of the whole flood
        ShelfEnded,   // keys: the alarm; stillActive
        EndedWithRun, // keys: the alarms the run before left unacknowledged
    };
    Kind kind = Kind::Rise;
    QStringList keys;
    qint64 count = 0;
    // The rises this notice is the first to tell of: a rise 1, a flood's beginning 1, its end
    // those after the beginning. Summed over the notices: every unshelved rise, once.
    qint64 newRises = 0;
    bool stillActive = false;
};

// A shelf as the shelf file keeps it. Times are ms since 1970, UTC.
struct Shelf {
    QString key;
    qint64 shelvedAt = 0;
    qint64 until = 0; // by the wall clock of its last writing
    int minutes = defaultShelfMinutes;
    QString user;
    QString reason;
};

// A change to the shelf file: the alarm's shelf set, or gone (no value).
struct ShelfChange {
    QString key;
    std::optional<Shelf> shelf;
};

// What one call decided, appended in order. The caller takes it and clears it.
struct Decisions {
    // To the history, in this order; the plant link publishes each as an event.
    std::vector<events::Event> rows;
    std::vector<Notice> notices;
    // To the shelf file, saved in this order (alarms::saveShelfChanges, off the GUI thread).
    std::vector<ShelfChange> shelfChanges;

    bool empty() const { return rows.empty() && notices.empty() && shelfChanges.empty(); }
    void clear() {
        rows.clear();
        notices.clear();
        shelfChanges.clear();
    }
};

} // namespace alarms
