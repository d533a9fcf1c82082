#pragma once

#include "alarms/decisions.h"
#include "alarms/handling.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <optional>
#include <vector>

// What the tray tells the operator and when a desktop notification goes out, without a tray:
// the link's state as the alarm handling has it and the alarms on at each refresh; what the
// alarm handling tells (every rise it counts from the frames, the first out, a flood, a shelf's
// end) and a lost link; and a limit of one notification every five seconds that sums up what
// came meanwhile. Times are ms of a clock that never jumps (the caller's monotonic clock): a
// wall clock set back would hold the notices for as long. Texts are made in the language
// installed when they are asked for.
namespace attention {

// No data (the port closed, waiting for the first frame, the link lost), or live and quiet or
// with an alarm on.
enum class LinkState { PortClosed, Quiet, Alarm, Lost, Waiting };

struct Notice {
    QString title;
    QString text;
    bool linkLost = false;
};

class Attention {
public:
    static constexpr qint64 gapMs = 5000;
    // Distinct things held for the next notice; what comes beyond is only counted.
    static constexpr int heldLimit = 64;

    // One refresh: the link and the alarms on now (their stored keys, "doorInterlock",
    // "module1.qbhFault"), for the tray's picture and tool tip. Rises are not taken from here:
    // one that lasted a frame falls between two refreshes.
    void update(alarms::Link link, const QStringList &alarmsOn);
    // What the alarm handling tells, held for the next notification while the operator is away
    // from the window (minimised or not active): each rise it counted (none of a shelved alarm,
    // none in a flood, which it sums up itself), the first out, the flood's beginning and end, a
    // shelf's end, the alarms a run left unacknowledged when it ended unexpectedly.
    void tell(const alarms::Notice &notice, bool away);
    // The link of `port` was found lost (the watchdog, or the device gone).
    void linkLost(bool away, const QString &port);

    LinkState state() const;
    const QStringList &alarms() const { return on; }
    // "LASER SYSTEM" and the state on the lines below, with the alarms on (the first few).
    QString toolTip(const QString &port) const;

    // Notifications off: nothing is held, and what was held is dropped.
    void setNotifications(bool enabled);
    bool notifications() const { return enabled; }
    bool hasHeld() const { return !held.empty() || uncounted > 0; }
    // When the held things may go out (0 before the first notice).
    qint64 dueAt() const;
    // The notice of what is held, when it may go out now (then it counts as sent): the first
    // out first, then the alarms with how often each rose, then the rest as they came.
    std::optional<Notice> take(qint64 now);
    // The notice of what is held, whatever the gap: the program ends, and later never comes.
    std::optional<Notice> takeLast(qint64 now);

private:
    // A notice of the alarm handling, or (linkLost) the lost link; a rise holds its count.
    struct Held {
        alarms::Notice notice;
        bool linkLost = false;
    };
    void hold(const Held &held);

    alarms::Link link = alarms::Link::Closed;
    bool lost = false; // the loss was told
    QStringList on;
    bool enabled = true;
    std::vector<Held> held;
    qint64 uncounted = 0; // rises beyond heldLimit
    std::optional<qint64> lastSent;
    QString lostPort;
};

// The label of an alarm key in the Events tab's words ("模块1 QBH报警").
QString alarmLabel(const QString &key);
// A name from outside (a port's) as it can be shown: control, format and line-separator
// characters become U+FFFD, so nothing in it can reorder or break the lines around it.
QString visible(const QString &text);

} // namespace attention
