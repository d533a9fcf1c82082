#pragma once

// The window on a pseudo-terminal CCB: a window whose tick runs only when the test says so,
// opening the port as a user does, sending CCB bytes and waiting for the receive pass, running
// the tick to the next refresh, and the indicator probes. Boxes are closed by BoxCloser.
#include "support/frames.h"
#include "support/modal.h"
#include "support/pty.h"
#include "support/serial_probe.h"
#include "support/wait.h"
#include "support/work_dir.h"

#include <QByteArray>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QSerialPort>
#include <QStackedWidget>
#include <QTest>
#include <QTimer>

#include <initializer_list>
#include <memory>
#include <utility>

namespace fixture {

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
inline QPixmap pixmapOf(const QLabel *label) {
    return label->pixmap(Qt::ReturnByValue);
}
inline bool shows(const QLabel *label, const QString &path) {
    const QPixmap p = pixmapOf(label);
    return !p.isNull() && p.toImage() == imageOf(path);
}
// The object names of the lamps that do not show their image: none when all of them do.
inline QStringList wrongLamps(std::initializer_list<std::pair<const QLabel *, QString>> lamps) {
    QStringList wrong;
    for (const auto &lamp : lamps)
        if (!shows(lamp.first, lamp.second))
            wrong << lamp.first->objectName();
    return wrong;
}

// Changes whenever setPixmap gives the label a pixmap of other data.
inline qint64 keyOf(const QLabel *label) {
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

// The entries of comboBoxCOM, in order.
inline QStringList comboEntries(Serial &w) {
    QStringList entries;
    const QComboBox *combo = formOf(w).comboBoxCOM;
    for (int i = 0; i < combo->count(); ++i)
        entries << combo->itemText(i);
    return entries;
}

// Puts `entry` into comboBoxCOM and makes it current, as the user would pick it.
inline void selectEntry(Serial &w, const QString &entry) {
    QComboBox *combo = formOf(w).comboBoxCOM;
    combo->addItem(entry);
    combo->setCurrentIndex(combo->count() - 1);
}

// Opens the port of `entry` the way a user does: pick the entry, click the switch.
inline bool openEntry(Serial &w, const QString &entry) {
    selectEntry(w, entry);
    formOf(w).pushButtonSerialSwitch->click();
    return SerialProbe::portOpen(w) && SerialProbe::port(w)->isOpen();
}

// Opens the window's port on the slave side of `pty`.
inline bool openOnPty(Serial &w, const PtyPair &pty) {
    return openEntry(w, pty.entryText());
}

// Waits for the bytes just written on the master to arrive and for the receive pass that
// follows 200 ms of quiet (the receive timer is real).
inline bool waitForReceivePass(Serial &w, int timeoutMs = 3000) {
    QTimer *rx = SerialProbe::rxTimer(w);
    QElapsedTimer clock;
    clock.start();
    if (!waitUntil([&] { return rx->isActive(); }, timeoutMs))
        return false;
    return waitUntil([&] { return !rx->isActive(); }, int(timeoutMs - clock.elapsed()));
}

// Counts the window's quiet-line passes: rxTimer timeouts, seen after the window's own slot.
class PassCounter {
public:
    explicit PassCounter(Serial &w) {
        connection = QObject::connect(SerialProbe::rxTimer(w), &QTimer::timeout, [this] { ++n; });
    }
    ~PassCounter() { QObject::disconnect(connection); }
    PassCounter(const PassCounter &) = delete;
    PassCounter &operator=(const PassCounter &) = delete;

    int count() const { return n; }
    bool waitForCount(int wanted, int timeoutMs = 3000) {
        return waitUntil([&] { return n >= wanted; }, timeoutMs);
    }

private:
    QMetaObject::Connection connection;
    int n = 0;
};

// Writes CCB bytes and waits until the line has been quiet long enough for the pass to run.
inline bool sendAndWaitForPass(PtyPair &pty, PassCounter &passes, const QByteArray &data) {
    const int wanted = passes.count() + 1;
    return pty.write(data) && passes.waitForCount(wanted);
}

// Clear all faults as it goes out on the wire: the marker behind what a test looks at.
const QByteArray markerFrame = frames::hex("99 03 00 33 7B");

// What the window wrote since the last read, with no fixed wait: a marker frame is sent behind
// it and the line is read up to the marker, so nothing still on its way is missed. A closed
// port cannot write, so then only what has arrived already is returned.
inline QByteArray sentBeforeNow(Serial &w, PtyPair &pty) {
    if (!SerialProbe::port(w)->isOpen())
        return pty.drain();
    SerialProbe::cmdSnd_clearFaultAll(w);
    QByteArray got = pty.readUntil(markerFrame);
    if (!got.endsWith(markerFrame))
        return got + QByteArrayLiteral(" (and no marker)");
    got.chop(markerFrame.size());
    return got;
}

// A quiet window and its own pseudo-terminal CCB, for cases that need one of each.
struct PtyWindow {
    std::unique_ptr<PtyPair> pty = std::make_unique<PtyPair>();
    std::unique_ptr<Serial> window = quietWindow();

    ~PtyWindow() {
        window.reset();
        pty.reset();
    }

    Serial &w() { return *window; }
    SerialForm *form() { return SerialProbe::form(*window); }
    protocol::DeviceState &state() { return SerialProbe::state(*window); }

    bool open() { return pty->isValid() && openOnPty(*window, *pty); }
    // Sends CCB bytes and waits for the receive pass that takes them in.
    bool send(const QByteArray &bytes) { return pty->write(bytes) && waitForReceivePass(*window); }
    QByteArray sentBeforeNow() { return fixture::sentBeforeNow(*window, *pty); }
    // The next multiple of 200 ticks, where the shown page is refreshed.
    void ticksToRefresh() { nextPass(*window); }
    void showSettingsPage() { form()->actionSys_set->trigger(); }

    QCheckBox *box(const char *name) { return window->findChild<QCheckBox *>(name); }
    QLabel *indicator(const char *box) {
        return window->findChild<QLabel *>(QString::fromLatin1(box).replace(
            QStringLiteral("checkBox_"), QStringLiteral("label_")));
    }
};

} // namespace fixture
