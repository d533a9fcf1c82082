#include "ui/service/settings_link.h"

#include "protocol/commands.h"
#include "protocol/messages.h"
#include "service/texts.h"

#include <QDateTime>
#include <QSerialPort>

namespace service {

SettingsLink::SettingsLink(QSerialPort &p, const protocol::DeviceState &s, Sender send,
                           QObject *parent)
    : QObject(parent), port(p), state(s), sender(std::move(send)) {
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

void SettingsLink::frameDispatched(const QByteArray &frame) {
    const QByteArray value = protocol::settingsReplyValue(frame);
    if (value.isEmpty())
        return;
    // A read-back answered: ours, or the settings page's (its handshake has just moved on).
    if (ownReadBack || state.sysSetReadBackState == protocol::handshakeAnswered) {
        answeredValue = lastRead = value;
        lastReadAt = QDateTime::currentMSecsSinceEpoch();
        emit readBackValueChanged();
    }
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
