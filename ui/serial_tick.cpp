#include "ui/serial.h"

#include "ui_serial.h"

#include "plant/plant_link.h"

#include <QMessageBox>
#include <QSerialPort>

// One tick of the 1 ms timer. The schedule decides; this carries the decisions out in order.
// The boxes are modal and run a nested event loop in which further ticks arrive.
void Serial::tim1ms_CallBack() {
    const supervision::TickDecisions d =
        tick.advance(deviceState, portOpen, linkSilenceCount, replyTimeoutTicks);
    if (!d.any())
        return;

    if (d.readBackTimedOut) {
        form->pushButton_sysSet_readBack1->setEnabled(true);
        showNoAnswerBox();
    } else if (d.readBackAnswered) {
        form->pushButton_sysSet_set1->setEnabled(true);
        form->pushButton_sysSet_readBack1->setEnabled(true);
    }

    if (d.writeTimedOut) {
        // An unanswered write locks "设定" until the next answered read-back or write.
        form->pushButton_sysSet_set1->setEnabled(false);
        showNoAnswerBox();
    } else if (d.writeAnswered) {
        form->pushButton_sysSet_set1->setEnabled(true);
    }

    if (d.resetNow)
        resetDeviceState();

    if (d.refreshNow) {
        uiRefresh(form);
        if (plantLink)
            plantLink->updateStatus(deviceState, {port->portName(), portOpen, lastFrameAt});
    }

    if (d.linkLost) {
        // The schedule reports a lost link once per box; the port is closed only after the box
        // is dismissed, and only the user opens it again.
        QMessageBox::critical(this, tr("串口错误"), tr("请检查串口线缆和设置！"), QMessageBox::Ok,
                              QMessageBox::NoButton);
        ClosePort();
        portOpen = false;
        tick.linkLostClosed(linkSilenceCount);
        resetDeviceState();
    }
}

// Refreshes only the page that is shown; the other page and its copies stay as they are.
void Serial::uiRefresh(SerialForm *target) {
    switch (target->stackedWidget->currentIndex()) {
    case 0:
        statusPagePass(*target, deviceState, statusShown);
        break;
    case 1:
        settingsPagePass(*target, deviceState, settingsShown);
        break;
    default:
        break;
    }
}

void Serial::resetDeviceState() {
    // A reset cancels a waiting read-back without a box and without an answer; the button its
    // request disabled would otherwise stay disabled for good. "设定" keeps its own rule.
    const bool readBackCancelled = deviceState.sysSetReadBackState != protocol::handshakeIdle;
    protocol::resetDeviceState(deviceState);
    if (readBackCancelled)
        form->pushButton_sysSet_readBack1->setEnabled(true);
}

// A settings read-back or write that the CCB did not answer in time.
void Serial::showNoAnswerBox() {
    QMessageBox::information(this, tr("注意"), tr("激光器未连接！"), QMessageBox::Ok,
                             QMessageBox::NoButton);
}
