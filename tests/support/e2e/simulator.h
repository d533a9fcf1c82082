#pragma once

#include <QByteArray>
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

namespace harness {

// The simulator as a child process: its pseudo-terminal, its standard input for scenario
// commands, and its log (standard error), line by line with the time stamps it writes.
class Simulator {
public:
    Simulator();
    ~Simulator();
    bool start(const QString &binary, const QStringList &args = {}, int timeoutMs = 5000);
    QString ptyPath() const { return pty; }
    void send(const QString &command);
    // Index of the next log line; pass it to waitForLog to look only at what comes later.
    int mark();
    // Waits for a log line at index >= from that matches. On success gives the line and the
    // wall time the simulator stamped on it (see wallClockMs in clock.h).
    bool waitForLog(const QRegularExpression &pattern, int from, int timeoutMs,
                    QString *line = nullptr, double *stampMs = nullptr);
    QStringList lines();
    void stop();
    QProcess &process() { return proc; }

private:
    void collect();
    QProcess proc;
    QString pty;
    QByteArray partial;
    QStringList logLines;
};

} // namespace harness
