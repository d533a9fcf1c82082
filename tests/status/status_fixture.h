#pragma once

// Shared by the status page and supervision window tests: a window whose tick runs only when
// the test says so, a pseudo-terminal CCB, indicator image probes and CCB frames.
#include "protocol/frame.h"
#include "support/modal.h"
#include "support/pty.h"
#include "support/serial_probe.h"
#include "support/work_dir.h"

#include <QByteArray>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QSerialPort>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

inline void initStatusResources() {
    Q_INIT_RESOURCE(resources);
}

namespace statusfixture {

const QString red = QStringLiteral(":/red.png");
const QString green = QStringLiteral(":/green.png");
const QString orange = QStringLiteral(":/orange.png");
const QString gray = QStringLiteral(":/gray.png");

// A window whose 1 ms timer is stopped: only the test's own calls of the tick slot count,
// starting from tick 0.
inline std::unique_ptr<Serial> quietWindow() {
    auto w = std::make_unique<Serial>();
    SerialProbe::tickTimer(*w)->stop();
    SerialProbe::tick(*w).tickCount = 0;
    return w;
}

inline SerialForm &formOf(Serial &w) {
    return *SerialProbe::form(w);
}
inline protocol::DeviceState &stateOf(Serial &w) {
    return SerialProbe::state(w);
}
inline quint32 tickCountOf(Serial &w) {
    return SerialProbe::tick(w).tickCount;
}

// Runs ticks until the tick count reaches `n` (the next pass, period or time-out).
inline void ticksUntil(Serial &w, quint32 n) {
    const quint32 now = tickCountOf(w);
    if (n > now)
        SerialProbe::ticks(w, int(n - now));
}

// One status or settings pass: up to and including the next multiple of 200.
inline void nextPass(Serial &w) {
    ticksUntil(w, (tickCountOf(w) / 200 + 1) * 200);
}

// The indicator probes.
inline QImage imageOf(const QString &path) {
    return QPixmap(path).toImage();
}
inline QPixmap pixmapOf(QLabel *label) {
    return label->pixmap(Qt::ReturnByValue);
}
inline bool shows(QLabel *label, const QString &path) {
    const QPixmap p = pixmapOf(label);
    return !p.isNull() && p.toImage() == imageOf(path);
}
// Changes whenever setPixmap gives the label a pixmap of other data.
inline qint64 keyOf(QLabel *label) {
    return pixmapOf(label).cacheKey();
}

// Gives the label a picture that no pass ever writes, and returns its key: any later
// setPixmap, even of the image the label showed before, shows up as a different key.
inline qint64 markUntouched(QLabel *label) {
    QPixmap sentinel(16, 16);
    sentinel.fill(Qt::blue);
    label->setPixmap(sentinel);
    return keyOf(label);
}

// Opens the window's port on the slave side of `pty` the way a user does: pick the entry,
// click the switch.
inline bool openOnPty(Serial &w, PtyPair &pty) {
    SerialForm &f = formOf(w);
    f.comboBoxCOM->addItem(pty.entryText());
    f.comboBoxCOM->setCurrentIndex(f.comboBoxCOM->count() - 1);
    f.pushButtonSerialSwitch->click();
    return SerialProbe::portOpen(w) && SerialProbe::port(w)->isOpen();
}

// Waits for the bytes just written on the master to arrive and for the receive pass that
// follows 200 ms of quiet (the receive timer is real).
inline bool waitForReceivePass(Serial &w, int timeoutMs = 3000) {
    QTimer *rx = SerialProbe::rxTimer(w);
    QElapsedTimer clock;
    clock.start();
    while (!rx->isActive() && clock.elapsed() < timeoutMs)
        QTest::qWait(5);
    if (!rx->isActive())
        return false;
    while (rx->isActive() && clock.elapsed() < timeoutMs)
        QTest::qWait(10);
    return !rx->isActive();
}

// CCB frames, check bytes appended.
inline QByteArray withCheckBytes(QByteArray frame) {
    protocol::appendCheckBytes(frame);
    return frame;
}

// SystemStatusReply: dcOn is bit 5 of offset 4.
inline QByteArray systemStatusFrame(bool dcOn) {
    return withCheckBytes(QByteArray::fromHex("E60500") + QByteArray(1, 0) +
                          QByteArray(1, char(dcOn ? 0x20 : 0x00)));
}

struct ModuleBits {
    bool pdFault = false;
    bool beamOn = false;
    bool waterInHi = false;
    bool waterOutHi = false;
    bool qbh = false;
};

// ModuleStatusReply of 11 bytes for module `index`.
inline QByteArray moduleStatusFrame(int index, ModuleBits bits) {
    QByteArray f;
    f.append(char(0xE2));
    f.append(char(9));
    f.append(char(bits.pdFault ? 0x02 : 0x00));
    f.append(
        char((bits.qbh ? 0x40 : 0) | (bits.waterInHi ? 0x04 : 0) | (bits.waterOutHi ? 0x01 : 0)));
    f.append(char(0));
    f.append(char(bits.beamOn ? 0x08 : 0x00));
    f.append(char(0));
    f.append(char(0));
    f.append(char(index));
    return withCheckBytes(f);
}

} // namespace statusfixture
