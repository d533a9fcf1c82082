#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <optional>
#include <vector>

// What the tray tells the operator and when a desktop notification goes out, without a tray:
// the link's state from the refresh passes, the alarms that rise and a lost link, and a limit
// of one notification every five seconds that sums up what came meanwhile. Times are ms of a
// clock that never jumps (the caller's monotonic clock): a wall clock set back would hold the
// notices for as long. Texts are made in the language installed when they are asked for.
namespace attention {

enum class LinkState { PortClosed, Quiet, Alarm, Lost };

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

    // One refresh: whether the port is open, the alarms on now (their stored keys,
    // "doorInterlock", "module1.qbhFault") and whether the operator is away from the window
    // (minimised or not active). An alarm that was not on at the last refresh has risen.
    void update(bool portOpen, const QStringList &alarmsOn, bool away);
    // The link of `port` was found lost (the watchdog, or the device gone). Lost until the
    // port is opened again.
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
    // The notice of what is held, when it may go out now (then it counts as sent).
    std::optional<Notice> take(qint64 now);
    // The notice of what is held, whatever the gap: the program ends, and later never comes.
    std::optional<Notice> takeLast(qint64 now);

private:
    void hold(const QString &key);

    struct Held {
        QString key; // an alarm key, or empty for the lost link
        int count;
    };
    bool portOpen = false;
    bool lost = false;
    QStringList on;
    bool enabled = true;
    std::vector<Held> held;
    int uncounted = 0;
    std::optional<qint64> lastSent;
    QString lostPort;
};

// The label of an alarm key in the Events tab's words ("模块1 QBH报警").
QString alarmLabel(const QString &key);
// A name from outside (a port's) as it can be shown: control, format and line-separator
// characters become U+FFFD, so nothing in it can reorder or break the lines around it.
QString visible(const QString &text);

} // namespace attention
