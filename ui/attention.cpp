#include "ui/attention.h"

#include "events/event_words.h"
#include "ui/texts.h"

#include <algorithm>

namespace attention {

namespace {

// Alarms named in a tool tip or a notice; the rest are counted.
constexpr int namedLimit = 5;

} // namespace

QString alarmLabel(const QString &key) {
    return events::eventLabel(QStringLiteral("alarm"), key);
}

QString visible(const QString &text) {
    QString shown = text;
    for (QChar &c : shown) {
        const QChar::Category k = c.category();
        if (k == QChar::Other_Control || k == QChar::Other_Format || k == QChar::Separator_Line ||
            k == QChar::Separator_Paragraph)
            c = QChar(QChar::ReplacementCharacter);
    }
    return shown;
}

void Attention::update(bool open, const QStringList &alarmsOn, bool away) {
    if (open && !portOpen)
        lost = false;
    portOpen = open;
    const QStringList onNow = open && !lost ? alarmsOn : QStringList();
    if (away && enabled)
        for (const QString &key : onNow)
            if (!on.contains(key))
                hold(key);
    on = onNow;
}

void Attention::linkLost(bool away, const QString &port) {
    if (lost)
        return;
    lost = true;
    lostPort = port;
    on.clear();
    if (away && enabled)
        hold(QString());
}

LinkState Attention::state() const {
    if (lost)
        return LinkState::Lost;
    if (!portOpen)
        return LinkState::PortClosed;
    return on.isEmpty() ? LinkState::Quiet : LinkState::Alarm;
}

QString Attention::toolTip(const QString &port) const {
    QStringList lines{QStringLiteral("LASER SYSTEM")};
    switch (state()) {
    case LinkState::PortClosed:
        lines << Texts::tr("串口已关闭");
        break;
    case LinkState::Quiet:
        lines << Texts::tr("%1: 链路正常，无报警").arg(visible(port));
        break;
    case LinkState::Lost:
        lines << Texts::tr("%1: 链路中断").arg(visible(port));
        break;
    case LinkState::Alarm:
        lines << Texts::tr("%1: %2 项报警").arg(visible(port), QString::number(on.size()));
        for (int i = 0; i < std::min<int>(namedLimit, on.size()); ++i)
            lines << alarmLabel(on[i]);
        if (on.size() > namedLimit)
            lines << Texts::tr("另有 %1 项").arg(on.size() - namedLimit);
        break;
    }
    return lines.join(QLatin1Char('\n'));
}

void Attention::setNotifications(bool wanted) {
    enabled = wanted;
    if (!enabled) {
        held.clear();
        uncounted = 0;
    }
}

void Attention::hold(const QString &key) {
    for (Held &h : held)
        if (h.key == key) {
            ++h.count;
            return;
        }
    if (int(held.size()) < heldLimit)
        held.push_back({key, 1});
    else
        ++uncounted;
}

qint64 Attention::dueAt() const {
    return lastSent ? *lastSent + gapMs : 0;
}

std::optional<Notice> Attention::take(qint64 now) {
    if (!hasHeld() || now < dueAt())
        return std::nullopt;
    Notice notice;
    const bool anyAlarm =
        std::any_of(held.begin(), held.end(), [](const Held &h) { return !h.key.isEmpty(); }) ||
        uncounted > 0;
    notice.linkLost =
        std::any_of(held.begin(), held.end(), [](const Held &h) { return h.key.isEmpty(); });
    notice.title = anyAlarm ? Texts::tr("激光器报警") : Texts::tr("串口链路中断");
    QStringList lines;
    int more = uncounted;
    for (const Held &h : held) {
        if (lines.size() >= namedLimit) {
            more += h.count;
            continue;
        }
        const QString what = h.key.isEmpty()
                                 ? Texts::tr("%1: 链路中断，串口已关闭").arg(visible(lostPort))
                                 : alarmLabel(h.key);
        lines << (h.count > 1 ? Texts::tr("%1（%2 次）").arg(what, QString::number(h.count))
                              : what);
    }
    if (more > 0)
        lines << Texts::tr("另有 %1 次").arg(more);
    notice.text = lines.join(QLatin1Char('\n'));
    held.clear();
    uncounted = 0;
    lastSent = now;
    return notice;
}

std::optional<Notice> Attention::takeLast(qint64 now) {
    lastSent.reset();
    return take(now);
}

} // namespace attention
