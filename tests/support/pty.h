#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QString>

#include <cerrno>
#include <fcntl.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

// A real pseudo-terminal pair standing in for the CCB: the window opens the slave by its full
// path, the test writes CCB bytes on the master and reads what the window sent.
class PtyPair {
public:
    PtyPair() {
        int master = -1, slave = -1;
        char name[128] = {};
        if (openpty(&master, &slave, name, nullptr, nullptr) != 0)
            return;
        // Raw on both ends: no echo, no line editing, no CR/LF translation.
        termios tio{};
        tcgetattr(slave, &tio);
        cfmakeraw(&tio);
        tcsetattr(slave, TCSANOW, &tio);
        tcgetattr(master, &tio);
        cfmakeraw(&tio);
        tcsetattr(master, TCSANOW, &tio);
        fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
        masterFd = master;
        // Keep the slave open so the master never sees a hang-up between the window's opens.
        slaveFd = slave;
        path = QString::fromLocal8Bit(name);
    }
    ~PtyPair() {
        if (masterFd >= 0)
            ::close(masterFd);
        if (slaveFd >= 0)
            ::close(slaveFd);
    }
    PtyPair(const PtyPair &) = delete;
    PtyPair &operator=(const PtyPair &) = delete;

    bool isValid() const { return masterFd >= 0; }
    // A program killed with the port open leaves it in exclusive use (TIOCEXCL), which outlives
    // it while this end keeps the slave open: only root may open it again until it is released.
    void releaseExclusiveUse() {
        if (slaveFd >= 0)
            ioctl(slaveFd, TIOCNXCL);
    }
    // e.g. "/dev/pts/7"
    QString slavePath() const { return path; }
    // The entry text a test puts into comboBoxCOM.
    QString entryText() const { return path + QStringLiteral("(test)"); }

    // The far end goes away, as when a USB adapter is pulled out: the slave side sees a
    // hang-up and its reads fail.
    void closeMaster() {
        if (masterFd >= 0)
            ::close(masterFd);
        masterFd = -1;
        if (slaveFd >= 0)
            ::close(slaveFd);
        slaveFd = -1;
    }

    // Writes CCB bytes on the master side.
    bool write(const QByteArray &bytes) {
        qint64 done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(masterFd, bytes.constData() + done, bytes.size() - done);
            if (n < 0) {
                if (errno == EAGAIN || errno == EINTR) {
                    QCoreApplication::processEvents();
                    continue;
                }
                return false;
            }
            done += n;
        }
        return true;
    }

    // Reads what the window wrote, processing events until `count` bytes are in or
    // `timeoutMs` has passed.
    QByteArray read(int count, int timeoutMs = 2000) {
        QByteArray got;
        QElapsedTimer clock;
        clock.start();
        while (got.size() < count && clock.elapsed() < timeoutMs) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            char buf[512];
            const ssize_t n = ::read(masterFd, buf, sizeof buf);
            if (n > 0)
                got.append(buf, int(n));
            else
                usleep(1000);
        }
        return got;
    }

    // Reads until what was read ends with `end`, or `timeoutMs` has passed.
    QByteArray readUntil(const QByteArray &end, int timeoutMs = 2000) {
        QByteArray got;
        QElapsedTimer clock;
        clock.start();
        while (!got.endsWith(end) && clock.elapsed() < timeoutMs)
            got.append(read(1, timeoutMs - int(clock.elapsed())));
        return got;
    }

    // Waits until the far end (the window, another process) has read everything written on
    // the master so far.
    bool waitUntilRead(int timeoutMs = 3000) {
        QElapsedTimer clock;
        clock.start();
        int waiting = 0;
        while (ioctl(slaveFd, FIONREAD, &waiting) == 0 && waiting > 0) {
            if (clock.elapsed() > timeoutMs)
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            usleep(1000);
        }
        return waiting == 0;
    }

    // What has arrived on the master by now, without waiting for more.
    QByteArray drain() {
        QByteArray got;
        char buf[512];
        ssize_t n;
        while ((n = ::read(masterFd, buf, sizeof buf)) > 0)
            got.append(buf, int(n));
        return got;
    }

private:
    int masterFd = -1;
    int slaveFd = -1;
    QString path;
};
