#include "tools/ccb_sim/sim_line.h"

#include <QSerialPort>
#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <limits>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace ccbsim {

namespace {

// Milliseconds on the monotonic clock, for pacing the line.
double monotonicMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) * 1000.0 + double(ts.tv_nsec) / 1e6;
}

} // namespace

SimLine::SimLine(const SimLog &log, QObject *parent) : QObject(parent), log(log) {
    writeTimer.setTimerType(Qt::PreciseTimer);
    writeTimer.setInterval(2);
    QObject::connect(&writeTimer, &QTimer::timeout, [this] { drain(); });
}

QString SimLine::openPseudoTerminal() {
    char name[128] = {};
    if (openpty(&masterFd, &slaveFd, name, nullptr, nullptr) != 0)
        return QString();
    termios tio{};
    for (int fd : {masterFd, slaveFd}) {
        tcgetattr(fd, &tio);
        cfmakeraw(&tio);
        cfsetispeed(&tio, B115200);
        cfsetospeed(&tio, B115200);
        tcsetattr(fd, TCSANOW, &tio);
    }
    fcntl(masterFd, F_SETFL, fcntl(masterFd, F_GETFL) | O_NONBLOCK);
    // The slave stays open here too, so the master never sees a hang-up while the host
    // opens and closes its side.
    masterNotifier = new QSocketNotifier(masterFd, QSocketNotifier::Read, this);
    QObject::connect(masterNotifier, &QSocketNotifier::activated, [this] { readMaster(); });
    return QString::fromLocal8Bit(name);
}

bool SimLine::openPort(const QString &name) {
    port = new QSerialPort(this);
    port->setPortName(name);
    port->setBaudRate(QSerialPort::Baud115200);
    port->setDataBits(QSerialPort::Data8);
    port->setParity(QSerialPort::NoParity);
    port->setStopBits(QSerialPort::OneStop);
    port->setFlowControl(QSerialPort::NoFlowControl);
    if (!port->open(QIODevice::ReadWrite)) {
        log.error(QStringLiteral("cannot open %1: %2").arg(name, port->errorString()));
        return false;
    }
    QObject::connect(port, &QSerialPort::readyRead, [this] { received(port->readAll()); });
    return true;
}

void SimLine::restartPace() {
    paceClock = monotonicMs();
}

void SimLine::enqueue(const QByteArray &bytes, const QString &tag, bool isFrame) {
    // A line nobody reads loses its bytes; do not let a backlog build up here. (A chunk begun,
    // however large, leaves whole and is not counted: what waits behind it is.)
    const bool begun = !outQueue.isEmpty() && outQueue.first().offset > 0;
    if (queued - (begun ? outQueue.first().bytes.size() : 0) > maxQueuedBytes)
        dropWaiting(QStringLiteral("over %1 KiB waited to be written (nobody reads the line?)")
                        .arg(maxQueuedBytes / 1024));
    Chunk c;
    c.bytes = bytes;
    c.tag = tag;
    c.frame = isFrame;
    outQueue.append(c);
    queued += bytes.size();
    drain();
}

void SimLine::clear() {
    dropWaiting(QStringLiteral("the line fell silent"));
}

void SimLine::dropWaiting(const QString &why) {
    // One begun leaves whole: a frame is never cut.
    const int keep = !outQueue.isEmpty() && outQueue.first().offset > 0 ? 1 : 0;
    qint64 bytes = 0;
    int frames = 0;
    int chunks = 0;
    while (outQueue.size() > keep) {
        const Chunk c = outQueue.takeLast();
        bytes += c.bytes.size();
        frames += c.frame ? 1 : 0;
        ++chunks;
    }
    queued -= bytes;
    if (chunks > 0)
        log.always(QStringLiteral("dropped %1 frames and %2 other chunks (%3 bytes) not yet "
                                  "written: %4")
                       .arg(frames)
                       .arg(chunks - frames)
                       .arg(bytes)
                       .arg(why));
}

// On a pseudo-terminal the bytes wait in the kernel until the host reads them; a real line
// would have lost them. When nobody has read anything for two seconds (the port is not
// open), drop what is waiting, so a host that opens the port later gets fresh bytes only.
void SimLine::dropUnreadBytes() {
    if (slaveFd < 0)
        return;
    int waiting = 0;
    if (ioctl(slaveFd, FIONREAD, &waiting) != 0)
        return;
    const double now = monotonicMs();
    if (waiting == 0 || waiting < lastWaiting)
        lastRead = now;
    lastWaiting = waiting;
    if (waiting > 0 && now - lastRead > 2000.0) {
        tcflush(slaveFd, TCIFLUSH);
        lastWaiting = 0;
        lastRead = now;
        if (log.verbose())
            log.log(QStringLiteral("nobody reads: dropped %1 bytes").arg(waiting));
    }
}

void SimLine::drain() {
    if (outQueue.isEmpty())
        return;
    const double now = monotonicMs();
    qint64 budget = std::numeric_limits<qint64>::max();
    if (baud > 0) {
        // Ten bits a byte on an 8N1 line. Unused budget is not saved up beyond 5 ms.
        paceClock = qMax(paceClock, now - 5.0);
        budget = qint64((now - paceClock) * baud / 10000.0);
        if (budget <= 0)
            return;
    }
    qint64 sentNow = 0;
    while (!outQueue.isEmpty() && sentNow < budget) {
        Chunk &c = outQueue.first();
        const qint64 want = qMin<qint64>(c.bytes.size() - c.offset, budget - sentNow);
        const qint64 n = writeBytes(c.bytes.constData() + c.offset, want);
        if (n <= 0)
            break;
        c.offset += int(n);
        sentNow += n;
        if (c.offset == c.bytes.size()) {
            if (c.frame)
                frameSent(c.bytes);
            if (!c.tag.isEmpty())
                log.log(c.tag);
            queued -= c.bytes.size();
            outQueue.removeFirst();
        }
    }
    if (baud > 0)
        paceClock += double(sentNow) * 10000.0 / baud;
}

qint64 SimLine::writeBytes(const char *data, qint64 size) {
    if (port) {
        const qint64 n = port->write(data, size);
        return n;
    }
    const ssize_t n = ::write(masterFd, data, size_t(size));
    if (n < 0) {
        if (errno != EAGAIN && errno != EINTR)
            log.error(
                QStringLiteral("write failed: %1").arg(QString::fromLocal8Bit(strerror(errno))));
        return 0;
    }
    return qint64(n);
}

void SimLine::readMaster() {
    char buf[4096];
    for (;;) {
        const ssize_t n = ::read(masterFd, buf, sizeof buf);
        if (n > 0) {
            received(QByteArray(buf, int(n)));
            continue;
        }
        break;
    }
}

} // namespace ccbsim
