#pragma once

#include "protocol/device_state.h"
#include "ui/lamp_look.h"

#include <QtGlobal>

class QGroupBox;
class QLabel;

namespace Ui {
class Serial;
}

// What a module's change-detected indicators last showed; one set per laser module.
struct ModuleShownCopies {
    quint8 pdFault = 0;
    quint8 beamOn = 0;
    quint8 waterInHiFault = 0;
    quint8 waterOutHiFault = 0;
    quint8 fiberBreakFault = 0;
};

// What the change-detected indicators of page_master last showed. An indicator is rewritten
// only when its value differs from its copy. Zero at start and never reset: the widgets still
// show what the copies say, whatever happened to the device state meanwhile.
struct StatusPageCopies {
    // system status, in the order of the pass
    quint8 extEStop = 0;
    quint8 doorInterlock = 0;
    quint8 systemFault = 0;
    quint8 chillerFault = 0;
    quint8 dcOn = 0;
    quint8 laserReady = 0;
    quint8 redLightOn = 0;
    // digital inputs and outputs
    quint8 dinEStop2 = 0;
    quint8 dinPwm = 0;
    quint8 dinDcOn = 0;
    quint8 dinLaserOn = 0;
    quint8 doutDcOn = 0;
    quint8 doutFault = 0;
    // per module
    ModuleShownCopies module[protocol::moduleCount];
    // one label only, written while module 0 is the shown module
    quint8 qbhFault = 0;
};

// One refresh of page_master from the device state, in the plain look or the shapes look.
void statusPagePass(Ui::Serial &form, const protocol::DeviceState &state, StatusPageCopies &shown,
                    const looks::LampImages &look = looks::images(false));

// The lamps of page_master, each with its caption label and whether it tells an alarm (red
// when set) or a state (green or orange when set), in the order of the page's rows.
struct StatusLamp {
    QLabel *Ui::Serial::*lamp;
    QLabel *Ui::Serial::*caption;
    bool alarm;
    // The group box that tells the digital inputs from the outputs (their captions repeat
    // the system status's); null for the system status.
    QGroupBox *Ui::Serial::*group = nullptr;
};
extern const StatusLamp statusLamps[22];
