#pragma once

// A desktop's session bus for whole-program measurements, in the probe: a private dbus-daemon,
// and on it, on a thread of their own (the program's GUI thread may wait on them), a status
// notifier watcher (so the program's tray is Qt's D-Bus tray), a notification server that keeps
// every desktop notification the programs send, and a clock on each program's tray object: a
// property read there is answered by the program's GUI thread, so its round trip is how long
// that thread keeps the program from its events. At the end the accessibility bus is started
// and the programs' summaries read over AT-SPI.

#include <QDBusConnection>
#include <QMutex>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>
#include <QVector>

#include <atomic>
#include <map>
#include <memory>
#include <set>
#include <thread>

namespace bench {

struct Notification {
    qint64 pid = 0; // the program that sent it
    QString summary;
    QString body;
};

// What one program's GUI thread took to answer, in ms.
struct Answers {
    int calls = 0;
    int failed = 0;
    double longest = 0;
    int over50 = 0;
    QVector<double> all;
};

class DesktopBus {
public:
    DesktopBus();
    ~DesktopBus();
    // Empty on success, otherwise why not.
    QString start();
    // For the program's environment.
    QStringList programEnv() const;

    std::vector<Notification> notifications() const;
    // The tray object of `pid` once it registered; then its answers are timed every `everyMs`.
    bool waitForTray(qint64 pid, int timeoutMs);
    void startTiming(int everyMs);
    // By program; under 0 the probe's own watcher, answered by a thread that does nothing else.
    std::map<qint64, Answers> stopTiming();

    // Starts the accessibility bus (the programs, started with it always on, join it when it
    // comes) and gives the accessible name of everything in the windows of `pid` (a table's
    // cells: their accessible texts).
    QStringList accessibleNames(qint64 pid, int timeoutMs);

private:
    QTemporaryDir runtime;
    QProcess daemon;
    QString address;
    std::unique_ptr<QThread> servicesThread;
    std::atomic<bool> timing{false};
    std::thread timer;
    mutable QMutex mutex;
    std::vector<Notification> kept;
    std::set<qint64> helpers;        // processes the buses started for the probe
    std::map<qint64, QString> trays; // pid -> service
    std::map<qint64, Answers> answers;
};

} // namespace bench
