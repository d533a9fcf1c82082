#include "ui/settings_page.h"

#include "service/settings_fields.h"
#include "ui_serial.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPixmap>
#include <QSpinBox>
#include <QString>

namespace {

using protocol::SystemSettings;

// One settings flag: its field, its copy, and the indicator and check box that show it.
struct FlagRow {
    bool SystemSettings::*value;
    quint8 SettingsPageCopies::*copy;
    QLabel *Ui::Serial::*indicator;
    QCheckBox *Ui::Serial::*box;
};

// In the order the page is refreshed.
const FlagRow flagRows[] = {
    {&SystemSettings::faultDisableChiller, &SettingsPageCopies::faultDisableChiller,
     &Ui::Serial::label_FaultDisabledChiller, &Ui::Serial::checkBox_FaultDisabledChiller},
    {&SystemSettings::faultDisableDcPwr, &SettingsPageCopies::faultDisableDcPwr,
     &Ui::Serial::label_FaultDisableDcPwr, &Ui::Serial::checkBox_FaultDisableDcPwr},
    {&SystemSettings::faultDisableDew, &SettingsPageCopies::faultDisableDew,
     &Ui::Serial::label_FaultDisableDew, &Ui::Serial::checkBox_FaultDisableDew},
    {&SystemSettings::faultDisableDoorInter, &SettingsPageCopies::faultDisableDoorInter,
     &Ui::Serial::label_FaultDisableDoorInter, &Ui::Serial::checkBox_FaultDisableDoorInter},
    {&SystemSettings::faultDisableEStop1, &SettingsPageCopies::faultDisableEStop1,
     &Ui::Serial::label_FaultDisableEStop1, &Ui::Serial::checkBox_FaultDisableEStop1},
    {&SystemSettings::faultDisableEStop2, &SettingsPageCopies::faultDisableEStop2,
     &Ui::Serial::label_FaultDisableEStop2, &Ui::Serial::checkBox_FaultDisableEStop2},
    {&SystemSettings::faultDisableFiberBreak, &SettingsPageCopies::faultDisableFiberBreak,
     &Ui::Serial::label_FaultDisableFiberBreak, &Ui::Serial::checkBox_FaultDisableFiberBreak},
    {&SystemSettings::faultDisableFiberInter, &SettingsPageCopies::faultDisableFiberInter,
     &Ui::Serial::label_FaultDisableFiberInter, &Ui::Serial::checkBox_FaultDisableFiberInter},
    {&SystemSettings::faultDisablePd, &SettingsPageCopies::faultDisablePd,
     &Ui::Serial::label_FaultDisablePd, &Ui::Serial::checkBox_FaultDisablePd},
    {&SystemSettings::faultDisablePdLeakage, &SettingsPageCopies::faultDisablePdLeakage,
     &Ui::Serial::label_FaultDisablePdLeakage, &Ui::Serial::checkBox_FaultDisablePdLeakage},
    {&SystemSettings::faultDisableTh, &SettingsPageCopies::faultDisableTh,
     &Ui::Serial::label_FaultDisableTh, &Ui::Serial::checkBox_FaultDisableTh},
    {&SystemSettings::hppEnabled, &SettingsPageCopies::hppEnabled, &Ui::Serial::label_HppEnabled,
     &Ui::Serial::checkBox_HppEnabled},
    {&SystemSettings::pgmEnabled, &SettingsPageCopies::pgmEnabled, &Ui::Serial::label_PgmEnabled,
     &Ui::Serial::checkBox_PgmEnabled},
    {&SystemSettings::laserOnUsrDisabled, &SettingsPageCopies::laserOnUsrDisabled,
     &Ui::Serial::label_LaserOnUsrDisabled, &Ui::Serial::checkBox_LaserOnUsrDisabled},
    {&SystemSettings::doorInterLoActive, &SettingsPageCopies::doorInterLoActive,
     &Ui::Serial::label_DoorInterLoActive, &Ui::Serial::checkBox_DoorInterLoActive},
    {&SystemSettings::doutLoActive, &SettingsPageCopies::doutLoActive,
     &Ui::Serial::label_DoutLoActive, &Ui::Serial::checkBox_DoutLoActive},
    {&SystemSettings::dcFaultHiActive, &SettingsPageCopies::dcFaultHiActive,
     &Ui::Serial::label_DcFaultHiActive, &Ui::Serial::checkBox_DcFaultHiActive},
    {&SystemSettings::aiPort, &SettingsPageCopies::aiPort, &Ui::Serial::label_AiPort,
     &Ui::Serial::checkBox_AiPort},
    {&SystemSettings::aoPort, &SettingsPageCopies::aoPort, &Ui::Serial::label_AoPort,
     &Ui::Serial::checkBox_AoPort},
    {&SystemSettings::pgmInit, &SettingsPageCopies::pgmInit, &Ui::Serial::label_PgmInit,
     &Ui::Serial::checkBox_PgmInit},
    {&SystemSettings::redAuto, &SettingsPageCopies::redAuto, &Ui::Serial::label_RedAuto,
     &Ui::Serial::checkBox_RedAuto},
    {&SystemSettings::redOnBeam, &SettingsPageCopies::redOnBeam, &Ui::Serial::label_RedOnBeam,
     &Ui::Serial::checkBox_RedOnBeam},
    {&SystemSettings::redOnExternal, &SettingsPageCopies::redOnExternal,
     &Ui::Serial::label_RedOnExternal, &Ui::Serial::checkBox_RedOnExternal},
};

static_assert(sizeof flagRows / sizeof flagRows[0] == 23, "the settings value has 23 flags");

} // namespace

void settingsPagePass(Ui::Serial &form, const protocol::DeviceState &state,
                      SettingsPageCopies &shown, const looks::LampImages &look) {
    const SystemSettings &settings = state.settings;

    for (const FlagRow &row : flagRows) {
        const quint8 value = settings.*row.value ? 1 : 0;
        if (value == shown.*row.copy)
            continue;
        shown.*row.copy = value;
        // setCheckState emits stateChanged but not clicked: no QBH warning from here.
        (form.*row.indicator)->setPixmap(value ? look.on : look.off);
        (form.*row.box)->setCheckState(value ? Qt::Checked : Qt::Unchecked);
    }

    if (settings.pdLeakageLevel != shown.pdLeakageLevel) {
        shown.pdLeakageLevel = settings.pdLeakageLevel;
        // The spin box clamps to 0..4050; the stored value stays as the CCB sent it.
        form.spinBox_PdLeakageLevel->setValue(settings.pdLeakageLevel);
    }

    // Compared with the widget on every pass: mode 3 has no item and leaves no current item.
    if (form.comboBox_OPModeUsr->currentIndex() != settings.opModeUsr)
        form.comboBox_OPModeUsr->setCurrentIndex(settings.opModeUsr);
}

void setSettingsChoices(Ui::Serial &form) {
    for (const service::SettingsField &field : service::settingsFields()) {
        if (field.kind == service::SettingsField::Level) {
            form.spinBox_PdLeakageLevel->setRange(field.minimum, field.maximum);
            form.spinBox_PdLeakageLevel->setSingleStep(field.step);
        } else if (field.kind == service::SettingsField::Mode) {
            // Plain texts: the operating modes are not translated.
            for (int mode = field.minimum; mode <= field.maximum; ++mode)
                form.comboBox_OPModeUsr->addItem(service::operatingModeNames().value(mode));
        }
    }
}

QList<QLabel *> settingsLamps(Ui::Serial &form) {
    QList<QLabel *> lamps;
    for (const FlagRow &row : flagRows)
        lamps << form.*row.indicator;
    return lamps;
}

void labelSettingsBoxes(Ui::Serial &form) {
    // Each box shares its cell with its lamp and its caption; the caption, made the box's buddy,
    // names the box for a screen reader (in the language shown) without changing the page.
    for (const FlagRow &row : flagRows) {
        QCheckBox *box = form.*row.box;
        for (QLabel *label :
             box->parentWidget()->findChildren<QLabel *>(QString(), Qt::FindDirectChildrenOnly))
            if (label != form.*row.indicator)
                label->setBuddy(box);
    }
}
