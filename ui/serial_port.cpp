// The port panel and the receive path: listing, selecting, opening and closing the port, and
// cutting the received bytes into frames for the dispatcher.
#include "ui/serial.h"
#include "ui_serial.h"

#include "history/recorder.h"
#include "link/port_entry.h"
#include "link/port_list.h"
#include "link/port_loss.h"
#include "link/port_settings.h"
#include "protocol/dispatch.h"
#include "protocol/frame.h"
#include "protocol/reassembly.h"
#include "ui/alarms/alarm_desk.h"
#include "ui/port_history.h"
#include "ui/service/service_kit.h"

#include <QSerialPort>
#include <QTimer>

namespace {

// Switch captions are plain texts, not translated.
QString openCaption() {
    return QStringLiteral("打开串口");
}
QString closeCaption() {
    return QStringLiteral("关闭串口");
}

} // namespace

void Serial::PortSwitch() {
    if (portOpen) {
        ClosePort();
        portOpen = false;
        tick.userClosedPort();
        recorder->portClosed(port->portName());
        alarmDesk->dataLost(false);
        return;
    }
    // A failed open is not reported on screen (the user may try again or pick another port);
    // the history keeps the reason.
    if (!port->open(QIODevice::ReadWrite)) {
        recorder->portOpenFailed(port->portName(), port->errorString());
        return;
    }
    recorder->portOpened(port->portName(), porthistory::describePort(*port));
    alarmDesk->portOpened();
    form->pushButtonUpData->setEnabled(false);
    form->pushButtonSerialSwitch->setText(closeCaption());
    portOpen = true;
    // A fresh open starts a fresh watchdog count; a count left over from a lost link would
    // otherwise report the new link as lost at the next period.
    linkSilenceCount = 0;
}

bool Serial::OpenPort() {
    if (portOpen)
        return port->isOpen();
    const bool opened = port->open(QIODevice::ReadWrite);
    if (opened)
        form->pushButtonUpData->setEnabled(false);
    return opened;
}

void Serial::ClosePort() {
    if (!portOpen)
        return;
    port->close();
    form->comboBoxCOM->setEnabled(true);
    form->pushButtonUpData->setEnabled(true);
    form->pushButtonSerialSwitch->setText(openCaption());
    // portOpen is left to the caller (the switch or the watchdog).
}

void Serial::PortUpdata() {
    form->comboBoxCOM->clear();
    FindCOM();
    // FindCOM left the port at the last port it tried.
    SetPort();
}

void Serial::SetPort() {
    // While open this only changes the name used at the next open.
    port->setPortName(seriallink::portNameFromEntry(form->comboBoxCOM->currentText()));
}

void Serial::FindCOM() {
    seriallink::listOpenablePorts(
        *port, [this](const QString &entry) { form->comboBoxCOM->addItem(entry); });
}

void Serial::SetBaudRate(int index) {
    if (const auto rate = seriallink::baudRateAt(index))
        port->setBaudRate(*rate, QSerialPort::AllDirections);
}

void Serial::SetDataBit(int index) {
    if (const auto bits = seriallink::dataBitsAt(index))
        port->setDataBits(*bits);
}

void Serial::SetCheckBit(int index) {
    if (const auto parity = seriallink::parityAt(index))
        port->setParity(*parity);
}

void Serial::SetStopBit(int index) {
    if (const auto bits = seriallink::stopBitsAt(index))
        port->setStopBits(*bits);
}

void Serial::SendData() {}
void Serial::AutoRoll() {}
void Serial::ClearDataRX() {}
void Serial::ClearDataTX() {}
void Serial::ShowDataRT() {}

void Serial::ReceiveData() {
    rxTimer->start();
    const QByteArray chunk = port->readAll();
    recorder->bytesReceived(chunk);
    rxBuffer.append(chunk);
    // Below the bound frames wait for 200 ms of quiet; a sender that never pauses is cut
    // here instead, so the display keeps up and the buffer stays bounded.
    if (rxBuffer.size() >= rxBufferBound)
        runReassemblyPass(true);
}

void Serial::timUartRx_CallBack() {
    rxTimer->stop();
    runReassemblyPass(false);
}

void Serial::runReassemblyPass(bool bufferFull) {
    // Each complete frame, whatever its fate in the dispatcher, shows the link is alive.
    class Sink : public protocol::FrameSink {
    public:
        explicit Sink(Serial &window) : w(window) {}
        void frameComplete(const QByteArray &frame) override {
            w.dispatchFrame(frame);
            w.linkSilenceCount = 0;
        }
        void bytesSkipped(const char *bytes, int count) override {
            w.recorder->bytesSkipped(bytes, count);
        }

    private:
        Serial &w;
    };

    if (rxBuffer.isEmpty())
        return;
    Sink sink(*this);
    protocol::reassemble(rxBuffer, sink,
                         bufferFull ? protocol::PassKind::Early : protocol::PassKind::QuietLine);
    recorder->passDone(bufferFull);
}

void Serial::deviceGone(const QString &errorText) {
    // The user sees the one link-lost text; the port's own words go to the history.
    recorder->deviceGone(port->portName(), errorText);
    const bool wasOpen = portOpen;
    // Closed before any box: the dead port would keep waking the event loop inside it.
    ClosePort();
    if (port->isOpen())
        port->close();
    portOpen = false;
    // A link-lost box that is open already finishes the job when it is dismissed.
    if (wasOpen && !tick.reportingLinkLost())
        reportLinkLost();
}

int Serial::dispatchFrame(QByteArray frame) {
    const protocol::Verdict verdict = protocol::dispatchFrameVerdict(frame, deviceState);
    recorder->frameReceived(frame, verdict, deviceState);
    alarmDesk->frameReceived(frame, verdict, deviceState);
    serviceKit->frameDispatched(frame);
    return 1;
}

quint8 Serial::checkFrame(const QByteArray &frame) const {
    return protocol::checkFrame(frame) == protocol::frameCrcOk ? crcOk : crcFail;
}

void Serial::applyInitialPortSettings() {
    SetPort();
    seriallink::applyFixedSettings(*port);
}
