#pragma once

// modal.h clicks buttons but does not include their class.
#include <QAbstractButton>

#include "protocol/frame.h"
#include "support/modal.h"
#include "support/pty.h"
#include "support/serial_probe.h"
#include "support/work_dir.h"

#include <QByteArray>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QStackedWidget>
#include <QTest>

#include <memory>

inline void initLaserResources() {
    Q_INIT_RESOURCE(resources);
}

namespace settingsfixture {

// A working directory of its own holding the Chinese preference, so that the boxes show the
// Chinese texts.
inline std::unique_ptr<WorkDir> chineseWorkDir() {
    auto dir = std::make_unique<WorkDir>();
    WorkDir::writePreference("language = chinese");
    return dir;
}

// A parameter-40 reply from the CCB: target 1, operation 0, seven value bytes.
inline QByteArray parameter40Reply(const QByteArray &value) {
    QByteArray frame;
    frame.append(char(0xEF));
    frame.append(char(0x0E));
    frame.append(char(0x01));
    frame.append(char(0x00));
    frame.append(char(0x00));
    frame.append(char(7 << 3));
    frame.append(char(0x28));
    frame.append(value);
    protocol::appendCheckBytes(frame);
    return frame;
}

// The parameter-40 write the window should send for these seven value bytes.
inline QByteArray parameter40Write(const QByteArray &value) {
    QByteArray frame = QByteArray::fromHex("EF0E1100003828");
    frame.append(value);
    protocol::appendCheckBytes(frame);
    return frame;
}

inline QByteArray sevenBytes(quint8 b0, quint8 b1, quint8 b2, quint8 b3, quint8 b4, quint8 b5 = 0,
                             quint8 b6 = 0) {
    QByteArray value;
    for (quint8 b : {b0, b1, b2, b3, b4, b5, b6})
        value.append(char(b));
    return value;
}

// Where each of the 23 flags sits in the seven value bytes and which check box shows it.
struct FlagPlace {
    int byte;
    int bit;
    const char *box;
};

inline const FlagPlace flagPlaces[] = {
    {0, 1, "checkBox_HppEnabled"},
    {0, 2, "checkBox_PgmEnabled"},
    {1, 0, "checkBox_FaultDisabledChiller"},
    {1, 1, "checkBox_FaultDisableEStop1"},
    {1, 2, "checkBox_FaultDisableEStop2"},
    {1, 3, "checkBox_FaultDisableDew"},
    {1, 4, "checkBox_FaultDisableDoorInter"},
    {1, 5, "checkBox_FaultDisablePdLeakage"},
    {1, 6, "checkBox_FaultDisablePd"},
    {2, 0, "checkBox_FaultDisableTh"},
    {2, 1, "checkBox_FaultDisableFiberInter"},
    {2, 2, "checkBox_FaultDisableFiberBreak"},
    {2, 3, "checkBox_FaultDisableDcPwr"},
    {2, 4, "checkBox_AiPort"},
    {2, 5, "checkBox_RedAuto"},
    {2, 6, "checkBox_AoPort"},
    {3, 0, "checkBox_LaserOnUsrDisabled"},
    {3, 1, "checkBox_DcFaultHiActive"},
    {3, 2, "checkBox_DoorInterLoActive"},
    {3, 3, "checkBox_DoutLoActive"},
    {3, 4, "checkBox_PgmInit"},
    {3, 5, "checkBox_RedOnBeam"},
    {3, 6, "checkBox_RedOnExternal"},
};

// The indicator beside a check box: "checkBox_" replaced by "label_".
inline QString indicatorName(const char *box) {
    return QString::fromLatin1(box).replace(QStringLiteral("checkBox_"), QStringLiteral("label_"));
}

inline bool showsImage(const QLabel *label, const QString &path) {
    const QPixmap shown = label->pixmap(Qt::ReturnByValue);
    return !shown.isNull() && shown.toImage() == QPixmap(path).toImage();
}

// A window whose real tick is stopped (the test drives ticks) and a pseudo-terminal CCB.
struct Bench {
    std::unique_ptr<PtyPair> pty = std::make_unique<PtyPair>();
    std::unique_ptr<Serial> window = std::make_unique<Serial>();

    Bench() { SerialProbe::tickTimer(*window)->stop(); }
    ~Bench() {
        window.reset();
        pty.reset();
    }

    Serial &w() { return *window; }
    SerialForm *form() { return SerialProbe::form(*window); }
    protocol::DeviceState &state() { return SerialProbe::state(*window); }

    // Selects the pseudo-terminal in the port list and clicks the switch, as a user would.
    bool open() {
        if (!pty->isValid())
            return false;
        form()->comboBoxCOM->addItem(pty->entryText());
        form()->comboBoxCOM->setCurrentIndex(form()->comboBoxCOM->count() - 1);
        form()->pushButtonSerialSwitch->click();
        return SerialProbe::portOpen(*window);
    }

    // The next multiple of 200 ticks, where the shown page is refreshed.
    void ticksToRefresh() {
        const quint32 n = SerialProbe::tick(*window).tickCount;
        SerialProbe::ticks(*window, int(200 - n % 200));
    }

    void showSettingsPage() { form()->actionSys_set->trigger(); }

    QCheckBox *box(const char *name) { return window->findChild<QCheckBox *>(name); }
    QLabel *indicator(const char *box) { return window->findChild<QLabel *>(indicatorName(box)); }
};

} // namespace settingsfixture
