#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QThread>

#include <csignal>

// The program in a process of its own, as main() runs it (program_on_pty.cpp: the same window
// and the same handling of signals), offscreen, with its port opened on a pseudo-terminal: for
// tests that end it by a signal or kill it. The binary comes from PROGRAM_ON_PTY_BIN.
class ProgramProcess {
public:
    ~ProgramProcess() {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(5000);
        }
    }

    // Starts it in `workDir` on `ptyPath`; false (see output()) when the port did not open.
    bool start(const QString &workDir, const QString &ptyPath, int timeoutMs = 20000) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(workDir);
        process.start(QStringLiteral(PROGRAM_ON_PTY_BIN), {ptyPath});
        QElapsedTimer clock;
        clock.start();
        while (!out.contains('\n') && clock.elapsed() < timeoutMs &&
               process.state() != QProcess::NotRunning) {
            process.waitForReadyRead(100);
            out += process.readAllStandardOutput();
        }
        return out.startsWith("open\n");
    }
    qint64 pid() const { return process.processId(); }
    void signal(int number) { ::kill(pid_t(process.processId()), number); }
    bool waitForEnd(int timeoutMs = 20000) { return process.waitForFinished(timeoutMs); }
    // Ended by this signal, as its parent sees it.
    bool endedBy(int number) const {
        return process.state() == QProcess::NotRunning &&
               process.exitStatus() == QProcess::CrashExit && process.exitCode() == number;
    }
    QString output() {
        return QString::fromLocal8Bit(out + process.readAllStandardOutput() +
                                      process.readAllStandardError());
    }

private:
    QProcess process;
    QByteArray out;
};
