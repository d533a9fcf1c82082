#pragma once

#include "protocol/device_state.h"
#include "ui/lamp_look.h"

#include <QList>

#include <QtGlobal>

class QLabel;

namespace Ui {
class Serial;
}

// What the settings page last showed: one byte per flag and the leakage limit. The pass compares
// the device state with these, not with the widgets, so a check box the user changed keeps the
// user's state until the CCB's own value for it changes. The operating mode has no copy: the
// pass compares it with the combo box itself.
struct SettingsPageCopies {
    quint8 faultDisableChiller = 0;
    quint8 faultDisableDcPwr = 0;
    quint8 faultDisableDew = 0;
    quint8 faultDisableDoorInter = 0;
    quint8 faultDisableEStop1 = 0;
    quint8 faultDisableEStop2 = 0;
    quint8 faultDisableFiberBreak = 0;
    quint8 faultDisableFiberInter = 0;
    quint8 faultDisablePd = 0;
    quint8 faultDisablePdLeakage = 0;
    quint8 faultDisableTh = 0;
    quint8 hppEnabled = 0;
    quint8 pgmEnabled = 0;
    quint8 laserOnUsrDisabled = 0;
    quint8 doorInterLoActive = 0;
    quint8 doutLoActive = 0;
    quint8 dcFaultHiActive = 0;
    quint8 aiPort = 0;
    quint8 aoPort = 0;
    quint8 pgmInit = 0;
    quint8 redAuto = 0;
    quint8 redOnBeam = 0;
    quint8 redOnExternal = 0;
    qint32 pdLeakageLevel = 0;
};

// The page's warning before the QBH alarm is masked (context "Serial", <br> for a line break),
// asked by whatever else would mask it too (a settings file written back).
constexpr const char *qbhMaskWarning =
    QT_TRANSLATE_NOOP("Serial", "屏蔽QBH警报可能造成人身伤害、激光器或集成系统损坏<br>"
                                "且不属于激光器保修项目，请确认是否屏蔽？");

// One refresh of page_SysSet from the device state. Never emits clicked, so it never raises
// the QBH masking warning.
void settingsPagePass(Ui::Serial &form, const protocol::DeviceState &state,
                      SettingsPageCopies &shown,
                      const looks::LampImages &look = looks::images(false));

// Gives the leakage limit's spin box its range and step and the operating mode's combo box its
// items from the settings table the profile check uses: the page and a file agree on what can
// be written.
void setSettingsChoices(Ui::Serial &form);

// The page's 23 lamps, in the order of the pass.
QList<QLabel *> settingsLamps(Ui::Serial &form);
// Makes each caption the buddy of its check box (the boxes have no text of their own).
void labelSettingsBoxes(Ui::Serial &form);
