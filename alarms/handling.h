#pragma once

#include "alarms/dead_run.h"
#include "alarms/decisions.h"
#include "alarms/flood.h"
#include "events/flag_watch.h"
#include "protocol/device_state.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <vector>

namespace alarms {

// The link as the summary says it: no data unless Live.
enum class Link { Closed, Waiting, Live, Lost };

enum class ShelveResult { Shelved, NotShelvable, BadDuration, UnknownAlarm };

// What became of the shelves the file held at the start.
struct RestoreReport {
    int restored = 0;
    int endedWhileClosed = 0;
    int refused = 0;   // alarms that cannot be shelved (alarms::shelving)
    int overLimit = 0; // keys beyond AlarmHandling::unknownKeyLimit
};

// The alarm handling of one laser: every alarm's state, its episode and first out, its rises
// and its shelf, and the flood, decided from every frame as it is applied and from the
// operator's actions. No timer, no widget, no disk: the caller passes the time with every call,
// as ms since 1970 (`wall`, for what is shown and written) and as ms of a clock that a
// wall-clock jump does not move (`mono`, for shelves and the flood), and takes what was decided
// from `out`.
//
// Edges come from events::FlagWatch, as the history's do, so that the history's alarm rows, the
// summary's counts and the notices agree: call stateCleared() where the history is told.
class AlarmHandling {
public:
    // Keys the flag table does not know (a newer CCB's, from the shelf file or the history) are
    // kept up to this many; the rest are counted (keysOverLimit()).
    static constexpr int unknownKeyLimit = 64;

    AlarmHandling();

    // --- the link ---
    // The port opened: no data until the first frame; what was listed is of no data until a
    // frame of its kind arrives.
    void portOpened(qint64 wall, qint64 mono, Decisions &out);
    // The port closed (by the operator or at the end), the link lost or the device gone (linkLost;
    // said until the port opens again).
    void dataLost(bool linkLost, qint64 wall, qint64 mono, Decisions &out);
    // The device state was cleared: the flags start again from `state`, without edges.
    void stateCleared(const protocol::DeviceState &state);
    // A frame the dispatcher applied (not one it dropped), with the state after it.
    void frameApplied(quint8 code, const protocol::DeviceState &state, qint64 wall, qint64 mono,
                      Decisions &out);
    // A few times a second: shelves that end, a flood that ends, the wall clock's jumps.
    void tick(qint64 wall, qint64 mono, Decisions &out);

    // --- the operator ---
    // Acknowledges an unacknowledged alarm that is not shelved; false when there is none.
    bool acknowledge(const QString &key, const QString &user, qint64 wall, qint64 mono,
                     Decisions &out);
    // Every one listed; how many.
    int acknowledgeAll(const QString &user, qint64 wall, qint64 mono, Decisions &out);
    // For shortestShelfMinutes to longestShelfMinutes; again while shelved starts it anew.
    ShelveResult shelve(const QString &key, int minutes, const QString &reason, const QString &user,
                        qint64 wall, qint64 mono, Decisions &out);
    bool unshelve(const QString &key, const QString &user, qint64 wall, qint64 mono,
                  Decisions &out);

    // --- the start, before the port opens ---
    // The shelf file's shelves (alarms::readShelves). A shelf holds for what is left of it by
    // the wall clock, never longer than it was chosen for (a clock set back while the program
    // was closed); one whose time passed ends now, said and written as ended while closed.
    RestoreReport restoreShelves(const std::vector<Shelf> &shelves, qint64 wall, qint64 mono,
                                 Decisions &out);
    // The run before ended unexpectedly at `endedAt` (the time of its ended_unexpectedly row):
    // the alarms its rows (the "alarm" and "handling" rows of that run, oldest first) left
    // unacknowledged are listed as ended with the run, once: each gets an ended_with_run row,
    // which a later start reads as listed. After restoreShelves: a shelved alarm is not listed.
    // How many.
    int endedWithRun(const std::vector<events::Event> &deadRunRows, qint64 endedAt, qint64 wall,
                     qint64 mono, Decisions &out);
    // The same from what a RunReplay made of those rows (read page by page off the GUI thread).
    int endedWithRun(const LeftAlarms &left, qint64 endedAt, qint64 wall, qint64 mono,
                     Decisions &out);

    // --- what is shown ---
    // Every alarm that is not normal, newest first (by the first rise of its episode).
    std::vector<Line> summary(qint64 mono) const;
    int unacknowledged() const;
    QStringList unacknowledgedKeys() const;
    Link link() const { return linkState; }
    bool noData() const { return linkState != Link::Live; }
    bool flood() const { return floods.on(); }
    // The rises of the flood going on (or the last one).
    qint64 floodRises() const { return floods.rises(); }
    // The first out of the episode going on or last.
    QStringList firstOut() const;
    // Changes whenever the summary does, apart from the shelves' time left.
    quint64 version() const { return changes; }
    int keysOverLimit() const { return overLimit; }

private:
    struct Alarm {
        QString key;
        int flag = -1;       // its row of the flag table; -1 for a key the table does not know
        quint8 code = 0;     // the frame code that carries it; 0 for an unknown key
        bool active = false; // as last known
        bool stale = false;  // no data since the link went
        bool unacknowledged = false;
        bool endedWithRun = false;
        bool firstOut = false;
        bool shelved = false;
        qint64 raisedAt = 0;
        qint64 returnedAt = 0;
        qint64 rises = 0;
        qint64 shelfEnd = 0; // mono
        Shelf shelf;
    };
    static Notice notice(Notice::Kind kind, const QStringList &keys, qint64 count = 0,
                         qint64 newRises = 0);
    static bool listed(const Alarm &a);
    static bool holdsEpisode(const Alarm &a);
    static State stateOf(const Alarm &a);

    Alarm *find(const QString &key);
    Alarm *findOrAdd(const QString &key);
    // Unlisted again: the line's episode figures go.
    void settle(Alarm &a);
    bool rise(Alarm &a, qint64 wall, qint64 mono, Decisions &out);
    void endShelf(Alarm &a, Decisions &out);
    void checkFlood(qint64 mono, Decisions &out);
    // A wall clock that jumped: the shelves' end times in the file follow the steady clock.
    void noteClocks(qint64 wall, qint64 mono, Decisions &out);
    void markStale();

    events::FlagWatch watch;
    std::vector<Alarm> all;
    QHash<QString, int> index;
    std::vector<events::Event> edges; // scratch, reused
    FloodWatch floods;
    Link linkState = Link::Closed;
    bool staleLeft = false;
    bool clocksSeen = false;
    qint64 clockOffset = 0;
    int unknownKeys = 0;
    int overLimit = 0;
    quint64 changes = 0;
};

} // namespace alarms
