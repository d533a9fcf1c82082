#include "support/e2e/simulator.h"

#include "support/e2e/clock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTime>

namespace harness {

Simulator::Simulator() {
    QObject::connect(&proc, &QProcess::readyReadStandardError, [this] { collect(); });
}

Simulator::~Simulator() {
    stop();
}

bool Simulator::start(const QString &binary, const QStringList &args, int timeoutMs) {
    proc.setProgram(binary);
    proc.setArguments(args);
    proc.start();
    if (!proc.waitForStarted(timeoutMs))
        return false;
    QElapsedTimer t;
    t.start();
    while (!proc.canReadLine() && t.elapsed() < timeoutMs)
        proc.waitForReadyRead(100);
    pty = QString::fromLocal8Bit(proc.readLine()).trimmed();
    return pty.startsWith(QLatin1Char('/'));
}

void Simulator::send(const QString &command) {
    proc.write(command.toUtf8() + '\n');
    proc.waitForBytesWritten(1000);
}

void Simulator::collect() {
    partial.append(proc.readAllStandardError());
    int nl;
    while ((nl = partial.indexOf('\n')) >= 0) {
        logLines << QString::fromUtf8(partial.left(nl));
        partial.remove(0, nl + 1);
    }
}

int Simulator::mark() {
    QCoreApplication::processEvents();
    collect();
    return logLines.size();
}

QStringList Simulator::lines() {
    collect();
    return logLines;
}

bool Simulator::waitForLog(const QRegularExpression &pattern, int from, int timeoutMs,
                           QString *line, double *stampMs) {
    static const QRegularExpression stamp(QStringLiteral("^ccb-sim \\[([0-9:.]+)\\]"));
    QElapsedTimer t;
    t.start();
    int next = from;
    for (;;) {
        proc.waitForReadyRead(20);
        collect();
        for (; next < logLines.size(); ++next) {
            if (pattern.match(logLines.at(next)).hasMatch()) {
                if (line)
                    *line = logLines.at(next);
                if (stampMs)
                    *stampMs = QTime::fromString(stamp.match(logLines.at(next)).captured(1),
                                                 QStringLiteral("HH:mm:ss.zzz"))
                                   .msecsSinceStartOfDay();
                return true;
            }
        }
        if (t.elapsed() > patient(timeoutMs) || proc.state() == QProcess::NotRunning)
            return false;
        QCoreApplication::processEvents();
    }
}

void Simulator::stop() {
    if (proc.state() == QProcess::NotRunning)
        return;
    proc.write("quit\n");
    if (!proc.waitForFinished(2000)) {
        proc.kill();
        proc.waitForFinished(2000);
    }
    collect();
}

} // namespace harness
