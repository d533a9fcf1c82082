#include "ui/service/settings_link.h"

#include "history/journal.h"
#include "protocol/commands.h"
#include "protocol/messages.h"
#include "service/texts.h"

#include <QDateTime>
#include <QSerialPort>

namespace service {

namespace {

bool isSettingsWrite(const QByteArray &frame) {
    static const QByteArray header = protocol::settingsWriteFrame({}).left(7);
    return frame.startsWith(header);
}

} // namespace

SettingsLink::SettingsLink(QSerialPort &p, const protocol::DeviceState &s,
                           const history::Journal &j, Sender send, QObject *parent)
    : QObject(parent), port(p), state(s), journal(j), sender(std::move(send)),
      scanned(j.appended()) {
    timer.setSingleShot(true);
    timer.setInterval(defaultTimeoutMs);
    connect(&timer, &QTimer::timeout, this, [this] {
        ownReadBack = false;
        emit failed(Texts::tr("激光器没有回答"));
    });
    connect(&port, &QIODevice::aboutToClose, this, [this] { portClosing(); });
}

bool SettingsLink::portOpen() const {
    return port.isOpen();
}

bool SettingsLink::send(const QByteArray &frame) {
    if (!port.isOpen() || waiting())
        return false;
    sender(frame);
    timer.start();
    return true;
}

bool SettingsLink::readBack() {
    ownReadBack = send(protocol::settingsReadFrame());
    return ownReadBack;
}

bool SettingsLink::write(const protocol::SystemSettings &settings) {
    return send(protocol::settingsWriteFrame(settings));
}

void SettingsLink::catchUp() {
    const quint64 total = journal.appended();
    const quint64 kept = quint64(journal.size());
    if (total < scanned || total - scanned > kept) {
        // Cleared, or more went out than the journal keeps: a write may have gone unseen, and
        // the positions start again.
        lastReadSent = answeredAt = 0;
        lastWriteSent = scanned = total;
        lostTrack = true;
        return;
    }
    for (quint64 at = scanned; at < total; ++at) {
        const history::JournalEntry &e = journal.at(int(kept - (total - at)));
        if (e.direction != history::Direction::Sent)
            continue;
        if (isSettingsWrite(e.bytes))
            lastWriteSent = at + 1;
        else if (e.bytes == protocol::settingsReadFrame())
            lastReadSent = at + 1;
    }
    scanned = total;
}

bool SettingsLink::forgetIfWritten() {
    catchUp();
    const bool written = lostTrack || lastWriteSent > answeredAt;
    lostTrack = false;
    if (answeredValue.isEmpty() || !written)
        return false;
    answeredValue.clear();
    return true;
}

QByteArray SettingsLink::readBackValue() {
    forgetIfWritten();
    return answeredValue;
}

void SettingsLink::frameDispatched(const QByteArray &frame) {
    bool changed = forgetIfWritten();
    const QByteArray value = protocol::settingsReplyValue(frame);
    // A read-back answered: ours, or the settings page's (its handshake has just moved on).
    if (!value.isEmpty() &&
        (ownReadBack || state.sysSetReadBackState == protocol::handshakeAnswered)) {
        lastRead = value;
        lastReadAt = QDateTime::currentMSecsSinceEpoch();
        // A write sent after the read: this may be the value from before it, or the write's
        // own answer. Neither is known to be what the laser holds now.
        if (lastWriteSent > lastReadSent) {
            changed = changed || !answeredValue.isEmpty();
            answeredValue.clear();
        } else {
            answeredValue = value;
            answeredAt = scanned;
            changed = true;
        }
    }
    if (changed)
        emit readBackValueChanged();
    if (value.isEmpty())
        return;
    if (!waiting())
        return;
    timer.stop();
    ownReadBack = false;
    emit answered(value);
}

void SettingsLink::portClosing() {
    const bool wasWaiting = waiting();
    timer.stop();
    ownReadBack = false;
    // Another laser may answer on the next open: only a fresh read-back counts then.
    if (!answeredValue.isEmpty()) {
        answeredValue.clear();
        emit readBackValueChanged();
    }
    if (wasWaiting)
        emit failed(Texts::tr("串口已关闭"));
    emit portClosed();
}

} // namespace service

#include "moc_settings_link.cpp"
