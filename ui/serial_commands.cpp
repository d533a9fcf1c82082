// The command senders, the two settings page buttons and the QBH masking warning.
//
// Every sender builds the complete frame, check bytes included, and hands it to the port in one
// write. None checks whether the port is open or looks at the result: a closed port refuses the
// write and nothing is reported. The frame goes out before any state changes, and a reply is
// handled only after the slot has returned, so it cannot overtake the follow-up.

#include "ui/serial.h"

#include "history/recorder.h"
#include "protocol/commands.h"
#include "ui/settings_page.h"
#include "ui_serial.h"

#include <QCheckBox>
#include <QMessageBox>
#include <QPushButton>
#include <QSerialPort>

void Serial::sendFrame(const QByteArray &frame) {
    recorder->frameSent(frame, port->write(frame));
}

void Serial::cmdSnd_clearFaultAll() {
    sendFrame(protocol::clearAllFaultsFrame());
}

void Serial::cmdSnd_ccbDcOn(bool onOff) {
    sendFrame(protocol::dcSwitchFrame(onOff));
    // Let the switch leave before anything else is sent; a closed port returns at once.
    port->waitForBytesWritten(30000);
}

void Serial::cmdSnd_Pgm(uint8_t btn) {
    Q_UNUSED(btn)
}

void Serial::cmdSnd_sysSet_readBack() {
    sendFrame(protocol::settingsReadFrame());
    // The tick waits for the parameter-40 reply and gives the button back.
    deviceState.sysSetReadBackState = protocol::handshakeWaiting;
    tick.readBackSent();
    form->pushButton_sysSet_readBack1->setEnabled(false);
}

void Serial::cmdSnd_sysSet_Set() {
    // Only these two flags are editable on the page; everything else goes back as the CCB
    // last reported it; "设定" is enabled only after an answered read-back. The spin box and combo
    // box only display.
    protocol::SystemSettings &settings = deviceState.settings;
    settings.faultDisableFiberInter = form->checkBox_FaultDisableFiberInter->isChecked();
    settings.redOnBeam = form->checkBox_RedOnBeam->isChecked();

    sendFrame(protocol::settingsWriteFrame(settings));
    deviceState.sysSetWriteState = protocol::handshakeWaiting;
    tick.writeSent();
    form->pushButton_sysSet_set1->setEnabled(false);
}

void Serial::cmdSnd_redOn(uint8_t redOP) {
    sendFrame(protocol::redLightFrame(redOP));
}

void Serial::on_pushButton_sysSet_readBack1_clicked() {
    if (portOpen)
        cmdSnd_sysSet_readBack();
    else
        QMessageBox::critical(this, tr("串口错误"), tr("请检查串口线缆和设置！"), QMessageBox::Ok);
}

void Serial::on_pushButton_sysSet_set1_clicked() {
    if (portOpen)
        cmdSnd_sysSet_Set();
    else
        QMessageBox::critical(this, tr("串口错误"), tr("请检查串口线缆和设置！"), QMessageBox::Ok);
}

void Serial::on_checkBox_FaultDisableFiberInter_clicked() {
    QCheckBox *box = form->checkBox_FaultDisableFiberInter;
    if (!box->isChecked())
        return;
    // Masking the QBH alarm needs an explicit yes. Nothing is sent here: the choice goes out
    // with the next write of the settings.
    const QMessageBox::StandardButton answer =
        QMessageBox::warning(this, QString::fromUtf8("警告"), tr(qbhMaskWarning),
                             QMessageBox::Yes | QMessageBox::Cancel);
    // Closing the box answers Cancel too. setCheckState does not emit clicked.
    if (answer == QMessageBox::Cancel)
        box->setCheckState(Qt::Unchecked);
}
