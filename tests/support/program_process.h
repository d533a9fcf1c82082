#pragma once

#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>

#include <csignal>

// The program in a process of its own as main() runs it (program_on_pty.cpp: the same window
// and the same handling of signals), offscreen, its port opened on a pseudo-terminal, for tests
// that end it by a signal or kill it. The binary comes from PROGRAM_ON_PTY_BIN.
class ProgramProcess {
public:
    ~ProgramProcess() {
        process.kill();
        process.waitForFinished(5000);
    }
    // Starts it in `workDir` on `ptyPath`; false (see output()) when the port did not open.
    bool start(const QString &workDir, const QString &ptyPath) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(workDir);
        process.start(QStringLiteral(PROGRAM_ON_PTY_BIN), {ptyPath});
        QElapsedTimer clock;
        clock.start();
        while (!out.contains('\n') && clock.elapsed() < 20000 && process.waitForStarted() &&
               process.state() == QProcess::Running)
            if (process.waitForReadyRead(100))
                out += process.readAllStandardOutput();
        return out.startsWith("open\n");
    }
    void signal(int number) { ::kill(pid_t(process.processId()), number); }
    bool waitForEnd() { return process.waitForFinished(20000); }
    // Ended by this signal, as its parent sees it.
    bool endedBy(int number) const {
        return process.exitStatus() == QProcess::CrashExit && process.exitCode() == number;
    }
    QString output() { return QString::fromLocal8Bit(out + process.readAllStandardError()); }

private:
    QProcess process;
    QByteArray out;
};
