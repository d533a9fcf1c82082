#include "ui/serial.h"

#include "history/recorder.h"
#include "ui/alarms/alarm_desk.h"
#include "ui/operator_view.h"
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
        alarmDesk->refresh();
        operatorView->linkRefresh(deviceState, port->portName());
        if (plantLink)
            plantLink->updateStatus(deviceState,
                                    {port->portName(), portOpen, recorder->figures().lastFrameAt,
                                     tick.reportingLinkLost()},
                                    recorder->currentValues(),
                                    alarmDesk->handling().unacknowledgedKeys());
    }

    if (d.linkLost) {
        recorder->linkLost(port->portName());
        reportLinkLost();
    }
}

// Refreshes only the page that is shown; the other page and its copies stay as they are.
void Serial::uiRefresh(SerialForm *target) {
    switch (target->stackedWidget->currentIndex()) {
    case 0:
        statusPagePass(*target, deviceState, statusShown, operatorView->look());
        break;
    case 1:
        settingsPagePass(*target, deviceState, settingsShown, operatorView->look());
        break;
    default:
        break;
    }
    if (target == form)
        operatorView->pagePassDone();
}

void Serial::resetDeviceState() {
    // A reset cancels a waiting read-back without a box and without an answer; the button its
    // request disabled would otherwise stay disabled for good.
    const bool readBackCancelled = deviceState.sysSetReadBackState != protocol::handshakeIdle;
    protocol::resetDeviceState(deviceState);
    recorder->stateCleared(deviceState);
    alarmDesk->stateCleared(deviceState);
    if (readBackCancelled)
        form->pushButton_sysSet_readBack1->setEnabled(true);
    // The settings are now zero, not what the CCB holds: a write would send values the user
    // never saw. Only an answered read-back enables "设定" again.
    form->pushButton_sysSet_set1->setEnabled(false);
}

void Serial::reportLinkLost() {
    // The box runs a nested event loop in which ticks and port errors keep arriving; while it
    // is open neither the watchdog nor a lost device opens another one. The port is closed only
    // after the box is dismissed, and only the user opens it again.
    tick.linkLostReporting();
    // No data from here on (said again after the box: a frame meanwhile made the link live).
    alarmDesk->dataLost(true);
    // The tray says it too, and a notification goes out while the window is away.
    operatorView->linkLost(port->portName());
    QMessageBox::critical(this, tr("串口错误"), tr("请检查串口线缆和设置！"), QMessageBox::Ok,
                          QMessageBox::NoButton);
    recorder->portClosedAfterLoss();
    ClosePort();
    portOpen = false;
    alarmDesk->dataLost(true);
    tick.linkLostClosed(linkSilenceCount);
    resetDeviceState();
}

// A settings read-back or write that the CCB did not answer in time.
void Serial::showNoAnswerBox() {
    QMessageBox::information(this, tr("注意"), tr("激光器未连接！"), QMessageBox::Ok,
                             QMessageBox::NoButton);
}
