#pragma once

#include "support/xvfb.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QString>

#include <csignal>

// The program in a process of its own as main() runs it (program_on_pty.cpp: the same window
// and the same handling of signals), offscreen or on an X server of its own, its port opened on
// a pseudo-terminal, for tests that end it by a signal, take its display away or kill it. The
// binary comes from PROGRAM_ON_PTY_BIN.
class ProgramProcess {
public:
    ~ProgramProcess() {
        process.kill();
        process.waitForFinished(5000);
        endDisplay();
    }
    // On an Xvfb of its own rather than offscreen; false when there is none to be had.
    bool useOwnDisplay() {
        if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty())
            return false;
        display = startXvfb(xServer);
        return !display.isEmpty();
    }
    // The X server goes away under the program.
    void endDisplay() { endProcess(xServer); }
    // Starts it in `workDir` on `ptyPath`; false (see output()) when the port did not open.
    // `sayBytes`: it tells what it takes from the port, for waitForBytesIn().
    bool start(const QString &workDir, const QString &ptyPath, bool sayBytes = false) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"),
                   display.isEmpty() ? QStringLiteral("offscreen") : QStringLiteral("xcb"));
        if (!display.isEmpty()) {
            env.insert(QStringLiteral("DISPLAY"), display);
            // Its display gone, Qt ends the process by exit() from inside the event loop, with
            // the window and the application still standing: no leak check of that end (under
            // the sanitizers) says anything of the program.
            const QString asan = env.value(QStringLiteral("ASAN_OPTIONS"));
            env.insert(QStringLiteral("ASAN_OPTIONS"),
                       asan + (asan.isEmpty() ? "" : ":") + QStringLiteral("detect_leaks=0"));
        }
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(workDir);
        process.start(QStringLiteral(PROGRAM_ON_PTY_BIN),
                      sayBytes ? QStringList{ptyPath, QStringLiteral("--say-bytes")}
                               : QStringList{ptyPath});
        QElapsedTimer clock;
        clock.start();
        while (!out.contains('\n') && clock.elapsed() < 20000 && process.waitForStarted() &&
               process.state() == QProcess::Running)
            if (process.waitForReadyRead(100))
                out += process.readAllStandardOutput();
        return out.startsWith("open\n");
    }
    // Waits until the window has taken `count` bytes from its port in all (and so handed them to
    // the history), as the program started with `sayBytes` says on its output.
    bool waitForBytesIn(qint64 count) {
        QElapsedTimer clock;
        clock.start();
        const QByteArray said = "in " + QByteArray::number(count) + '\n';
        while (!out.contains(said) && clock.elapsed() < 10000 &&
               process.state() == QProcess::Running)
            if (process.waitForReadyRead(100))
                out += process.readAllStandardOutput();
        return out.contains(said);
    }
    void signal(int number) { ::kill(pid_t(process.processId()), number); }
    bool waitForEnd() { return process.waitForFinished(20000); }
    // Ended by this signal, as its parent sees it.
    bool endedBy(int number) const {
        return process.exitStatus() == QProcess::CrashExit && process.exitCode() == number;
    }
    // Ended by exit() with this status.
    bool exitedWith(int status) const {
        return process.exitStatus() == QProcess::NormalExit && process.exitCode() == status;
    }
    QString output() { return QString::fromLocal8Bit(out + process.readAllStandardError()); }

private:
    QProcess process;
    QProcess xServer;
    QString display;
    QByteArray out;
};
