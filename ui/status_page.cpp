#include "ui/status_page.h"

#include "ui_serial.h"

#include <QLabel>
#include <QPixmap>
#include <QString>

namespace {

// Rewrites the indicator only when its value differs from what it last showed: this spares
// loading the image and repainting the label on the passes where nothing changed.
void showFlag(QLabel *label, bool value, quint8 &copy, const QPixmap &setImage,
              const QPixmap &offImage) {
    const quint8 v = value ? 1 : 0;
    if (v == copy)
        return;
    copy = v;
    label->setPixmap(v ? setImage : offImage);
}

// The lamps written on every pass: handing a label the picture it already shows would still
// repaint it five times a second.
void showImage(QLabel *label, const QPixmap &image) {
    if (label->pixmap(Qt::ReturnByValue).cacheKey() != image.cacheKey())
        label->setPixmap(image);
}

// Setting an unchanged text would lay the label out again for nothing.
void showText(QLabel *label, const QString &text) {
    if (label->text() != text)
        label->setText(text);
}

// True when any channel of any driver board has one of the flags `pick` selects. Boards
// 0..2, channels 0..7 (bank 0 slots 0..3, then bank 1); stops at the first flag set.
template <typename Pick> bool anyDriverChannel(const protocol::DeviceState &state, Pick pick) {
    for (int board = 0; board < protocol::driverBoardCount; ++board)
        for (int channel = 0; channel < protocol::driverChannelCount; ++channel)
            if (pick(state.driverChannel[board][channel]))
                return true;
    return false;
}

} // namespace

void statusPagePass(Ui::Serial &form, const protocol::DeviceState &state, StatusPageCopies &shown,
                    const looks::LampImages &look) {
    // The plain look's images are loaded once: building a QPixmap from a resource path costs a
    // file lookup even when Qt's pixmap cache spares the decode, and three lamps are written on
    // every pass.
    const QPixmap &redImage = look.alarm;
    const QPixmap &greenImage = look.on;
    const QPixmap &orangeImage = look.beam;
    const QPixmap &grayImage = look.off;
    const auto showChanged = [&grayImage](QLabel *label, bool value, quint8 &copy,
                                          const QPixmap &setImage) {
        showFlag(label, value, copy, setImage, grayImage);
    };

    // system status
    showChanged(form.label_outEstop2, state.extEStop, shown.extEStop, redImage);
    showChanged(form.label_DoorInterLock, state.doorInterlock, shown.doorInterlock, redImage);
    showChanged(form.label_Fault, state.systemFault, shown.systemFault, redImage);
    showChanged(form.label_FaultChiller, state.chillerFault, shown.chillerFault, redImage);
    showChanged(form.label_DCOn, state.dcOn, shown.dcOn, greenImage);
    showChanged(form.label_LaserReady, state.laserReady, shown.laserReady, greenImage);

    // The module index always comes from a checked status reply; stay inside the arrays anyway.
    const int m = state.displayModule;
    const bool moduleKnown = m >= 0 && m < protocol::moduleCount;

    // Temperature lamp: both water temperatures of the shown module too high. Written on every
    // pass.
    if (moduleKnown) {
        const protocol::ModuleStatus &module = state.moduleStatus[m];
        showImage(form.label_TemperatureFault,
                  module.waterInHiFault && module.waterOutHiFault ? redImage : grayImage);
    }

    showChanged(form.label_RedOn, state.redLightOn, shown.redLightOn, greenImage);

    // Module indicators compare with the shown module's own copies, so a module that becomes
    // the shown one repaints only what differs from what it showed itself.
    if (moduleKnown) {
        const protocol::ModuleStatus &module = state.moduleStatus[m];
        ModuleShownCopies &copies = shown.module[m];
        showChanged(form.label_PDFault, module.pdFault, copies.pdFault, redImage);
        // There is one QBH label, and it belongs to module 0.
        if (m == 0)
            showChanged(form.label_QBH_FiberInterFault, module.qbhFault, shown.qbhFault, redImage);
        showChanged(form.label_BeamOn, module.beamOn, copies.beamOn, orangeImage);
        showChanged(form.label_WaterInHiFault, module.waterInHiFault, copies.waterInHiFault,
                    redImage);
        showChanged(form.label_WaterOutHiFault, module.waterOutHiFault, copies.waterOutHiFault,
                    redImage);
        showChanged(form.label_FiberBreakFault, module.fiberBreakFault, copies.fiberBreakFault,
                    redImage);
    }

    // Driver boards: written on every pass.
    const bool overCurrent = anyDriverChannel(
        state, [](const protocol::DriverChannel &c) { return c.overCurrent1 || c.overCurrent2; });
    showImage(form.label_driverOC_fault, overCurrent ? redImage : grayImage);
    const bool overTemp = anyDriverChannel(state, [](const protocol::DriverChannel &c) {
        return c.overTemp1 || c.overTemp2 || c.overTemp3 || c.overTemp4;
    });
    showImage(form.label_driverTemp_fault, overTemp ? redImage : grayImage);

    // product information and temperatures
    showText(form.label_CCBVersion, state.ccbVersion);
    showText(form.label_SerialNumber, state.serialNumber);
    showText(form.label_ProductType, state.productType);
    showText(form.label_SystemDateTime, state.ccbDateTime);
    showText(form.label_TempWaterIn, QString::number(state.tempWaterIn));
    showText(form.label_TempWaterOut, QString::number(state.tempWaterOut));
    showText(form.label_TempDewPoint,
             QString::number(static_cast<double>(state.dewPointTemp), 'g', 6));
    showText(form.label_DBVersion, state.driverBoardVersion[0][0]);

    // digital inputs and outputs
    showChanged(form.label_EStop2Din, state.dinEStop2, shown.dinEStop2, greenImage);
    showChanged(form.label_PwmIn, state.dinPwm, shown.dinPwm, greenImage);
    showChanged(form.label_DcOnDin, state.dinDcOn, shown.dinDcOn, greenImage);
    showChanged(form.label_LaserOnDin, state.dinLaserOn, shown.dinLaserOn, greenImage);
    showChanged(form.label_DcOnDOut, state.doutDcOn, shown.doutDcOn, greenImage);
    showChanged(form.label_FaultCnc, state.doutFault, shown.doutFault, greenImage);

    // analog and PWM inputs; AI-1 arrives in hundredths
    showText(form.label_AI_1, QString::number(state.analogIn1 / 100.0, 'f', 2));
    showText(form.label_Duty, QString::number(static_cast<uint>(state.pwmDuty)));
    showText(form.label_Freq, QString::number(static_cast<quint32>(state.pwmFreq)));
}

using Form = Ui::Serial;

const StatusLamp statusLamps[22] = {
    // row 1
    {&Form::label_RedOn, &Form::label_16, false},
    {&Form::label_DCOn, &Form::label_32, false},
    {&Form::label_LaserReady, &Form::label_42, false},
    {&Form::label_BeamOn, &Form::label_52, false},
    {&Form::label_driverTemp_fault, &Form::label_40, true},
    // row 2
    {&Form::label_Fault, &Form::label_19, true},
    {&Form::label_PDFault, &Form::label_23, true},
    {&Form::label_outEstop2, &Form::label_41, true},
    {&Form::label_DoorInterLock, &Form::label_51, true},
    {&Form::label_FaultChiller, &Form::label_61, true},
    {&Form::label_TemperatureFault, &Form::label_71, true},
    // row 3
    {&Form::label_WaterInHiFault, &Form::label_21, true},
    {&Form::label_WaterOutHiFault, &Form::label_44, true},
    {&Form::label_driverOC_fault, &Form::label_30, true},
    {&Form::label_QBH_FiberInterFault, &Form::label_64, true},
    {&Form::label_FiberBreakFault, &Form::label_74, true},
    // digital inputs and outputs
    {&Form::label_PwmIn, &Form::label_239, false, &Form::groupBox_digital_IN},
    {&Form::label_DcOnDin, &Form::label_220, false, &Form::groupBox_digital_IN},
    {&Form::label_EStop2Din, &Form::label_234, false, &Form::groupBox_digital_IN},
    {&Form::label_LaserOnDin, &Form::label_222, false, &Form::groupBox_digital_IN},
    {&Form::label_DcOnDOut, &Form::label_235, false, &Form::groupBox_digital_out},
    {&Form::label_FaultCnc, &Form::label_237, false, &Form::groupBox_digital_out},
};
