#include "ui/attention.h"

#include "alarms/words.h"
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

void Attention::update(alarms::Link now, const QStringList &alarmsOn) {
    link = now;
    if (link != alarms::Link::Lost)
        lost = false;
    on = link == alarms::Link::Live ? alarmsOn : QStringList();
}

void Attention::tell(const alarms::Notice &notice, bool away) {
    if (away && enabled)
        hold({notice, false});
}

void Attention::linkLost(bool away, const QString &port) {
    // Once a loss: the device gone behind the watchdog's box is the same loss.
    if (lost)
        return;
    lost = true;
    lostPort = port;
    on.clear();
    if (away && enabled)
        hold({alarms::Notice(), true});
}

LinkState Attention::state() const {
    switch (link) {
    case alarms::Link::Closed:
        return LinkState::PortClosed;
    case alarms::Link::Waiting:
        return LinkState::Waiting;
    case alarms::Link::Lost:
        return LinkState::Lost;
    case alarms::Link::Live:
        break;
    }
    return on.isEmpty() ? LinkState::Quiet : LinkState::Alarm;
}

QString Attention::toolTip(const QString &port) const {
    QStringList lines{QStringLiteral("LASER SYSTEM")};
    switch (state()) {
    case LinkState::PortClosed:
        lines << Texts::tr("串口已关闭，无数据");
        break;
    case LinkState::Waiting:
        lines << Texts::tr("%1: 无数据，等待激光器的数据").arg(visible(port));
        break;
    case LinkState::Quiet:
        lines << Texts::tr("%1: 链路正常，无报警").arg(visible(port));
        break;
    case LinkState::Lost:
        lines << Texts::tr("%1: 链路中断，无数据").arg(visible(port));
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

void Attention::hold(const Held &h) {
    using Kind = alarms::Notice::Kind;
    for (Held &held : this->held) {
        if (held.linkLost != h.linkLost || held.notice.kind != h.notice.kind ||
            held.notice.keys != h.notice.keys)
            continue;
        // The same alarm again: one line with how often it rose; the same loss or first out
        // once.
        if (h.linkLost || h.notice.kind == Kind::Rise || h.notice.kind == Kind::FirstOut) {
            held.notice.count += h.notice.count;
            return;
        }
    }
    if (int(held.size()) < heldLimit)
        held.push_back(h);
    else
        uncounted += h.notice.newRises;
}

qint64 Attention::dueAt() const {
    return lastSent ? *lastSent + gapMs : 0;
}

std::optional<Notice> Attention::take(qint64 now) {
    if (!hasHeld() || now < dueAt())
        return std::nullopt;
    using Kind = alarms::Notice::Kind;
    Notice notice;
    notice.linkLost =
        std::any_of(held.begin(), held.end(), [](const Held &h) { return h.linkLost; });
    const bool anyAlarm =
        std::any_of(held.begin(), held.end(), [](const Held &h) { return !h.linkLost; }) ||
        uncounted > 0;
    notice.title = anyAlarm ? Texts::tr("激光器报警") : Texts::tr("串口链路中断");
    QStringList lines;
    for (const Held &h : held)
        if (!h.linkLost && h.notice.kind == Kind::FirstOut)
            lines << alarms::noticeText(h.notice);
    qint64 more = uncounted;
    int named = 0;
    for (const Held &h : held) {
        if (h.linkLost) {
            lines << Texts::tr("%1: 链路中断，串口已关闭").arg(visible(lostPort));
        } else if (h.notice.kind != Kind::Rise) {
            if (h.notice.kind != Kind::FirstOut)
                lines << alarms::noticeText(h.notice);
        } else if (named >= namedLimit) {
            more += h.notice.count;
        } else {
            ++named;
            const QString what = alarmLabel(h.notice.keys.value(0));
            lines << (h.notice.count > 1
                          ? Texts::tr("%1（%2 次）").arg(what, QString::number(h.notice.count))
                          : what);
        }
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
