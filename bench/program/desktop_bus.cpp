#include "bench/program/desktop_bus.h"

#include "support/e2e/clock.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QThread>
#include <QVariantMap>

#include <chrono>
#include <csignal>
#include <sys/types.h>

namespace bench {

const QString servicesConnection = QStringLiteral("bench-desktop");

// What the services keep, shared with the probe under its lock.
struct Kept {
    QMutex *mutex;
    std::vector<Notification> *notifications;
    std::map<qint64, QString> *trays;
};

static qint64 senderPid(const QDBusConnection &bus, const QString &sender) {
    return qint64(bus.interface()->servicePid(sender).value());
}

// The tray's host as a desktop panel has it: Qt's D-Bus tray is used only where one says so.
class Watcher : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ hostRegistered)
    Q_PROPERTY(int ProtocolVersion READ protocolVersion)
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ items)
public:
    explicit Watcher(Kept k) : kept(k) {}
    bool hostRegistered() const { return true; }
    int protocolVersion() const { return 0; }
    QStringList items() const {
        QMutexLocker lock(kept.mutex);
        QStringList names;
        for (const auto &t : *kept.trays)
            names << t.second;
        return names;
    }
public slots:
    void RegisterStatusNotifierItem(const QString &service) {
        const qint64 pid = senderPid(connection(), message().service());
        QMutexLocker lock(kept.mutex);
        (*kept.trays)[pid] = service;
    }
    void RegisterStatusNotifierHost(const QString &) {}
signals:
    void StatusNotifierItemRegistered(const QString &service);
    void StatusNotifierItemUnregistered(const QString &service);
    void StatusNotifierHostRegistered();

private:
    Kept kept;
};

// The notification server: keeps every notification with the program that sent it.
class Notifications : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    explicit Notifications(Kept k) : kept(k) {}
public slots:
    uint Notify(const QString &, uint, const QString &, const QString &summary, const QString &body,
                const QStringList &, const QVariantMap &, int) {
        const qint64 pid = senderPid(connection(), message().service());
        QMutexLocker lock(kept.mutex);
        kept.notifications->push_back({pid, summary, body});
        return uint(kept.notifications->size());
    }
    QStringList GetCapabilities() { return {QStringLiteral("body")}; }
    QString GetServerInformation(QString &vendor, QString &version, QString &busVersion) {
        vendor = QStringLiteral("bench");
        version = QStringLiteral("1");
        busVersion = QStringLiteral("1.2");
        return QStringLiteral("bench");
    }
    void CloseNotification(uint) {}
signals:
    void NotificationClosed(uint id, uint reason);
    void ActionInvoked(uint id, const QString &action);

private:
    Kept kept;
};

DesktopBus::DesktopBus() = default;

DesktopBus::~DesktopBus() {
    stopTiming();
    // The accessibility bus the session bus started does not end with it.
    for (const qint64 pid : helpers)
        ::kill(pid_t(pid), SIGTERM);
    daemon.terminate();
    daemon.waitForFinished(3000);
    // The services stay to the process's end: QtDBus follows a registered object's end from a
    // connection that may be gone by then.
    if (servicesThread) {
        servicesThread->quit();
        servicesThread->wait();
    }
}

QString DesktopBus::start() {
    if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty())
        return QStringLiteral("dbus-daemon is not installed");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    daemon.setProcessEnvironment(env);
    daemon.start(QStringLiteral("dbus-daemon"),
                 {QStringLiteral("--session"), QStringLiteral("--nofork"),
                  QStringLiteral("--print-address=1")});
    if (!daemon.waitForStarted(5000) || !daemon.waitForReadyRead(5000))
        return QStringLiteral("dbus-daemon did not start");
    address = QString::fromUtf8(daemon.readLine()).trimmed();
    QDBusConnection bus = QDBusConnection::connectToBus(address, servicesConnection);
    if (!bus.isConnected())
        return QStringLiteral("cannot reach the private session bus");
    const Kept shared{&mutex, &kept, &trays};
    servicesThread = std::make_unique<QThread>();
    auto *watcher = new Watcher(shared);
    auto *notifier = new Notifications(shared);
    watcher->moveToThread(servicesThread.get());
    notifier->moveToThread(servicesThread.get());
    servicesThread->start();
    const auto all = QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals |
                     QDBusConnection::ExportAllProperties;
    if (!bus.registerObject(QStringLiteral("/StatusNotifierWatcher"), watcher, all) ||
        !bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), notifier, all) ||
        !bus.registerService(QStringLiteral("org.kde.StatusNotifierWatcher")) ||
        !bus.registerService(QStringLiteral("org.freedesktop.Notifications")))
        return QStringLiteral("cannot offer the tray's watcher and the notifications: %1")
            .arg(bus.lastError().message());
    return QString();
}

QStringList DesktopBus::programEnv() const {
    return {QStringLiteral("DBUS_SESSION_BUS_ADDRESS=") + address,
            QStringLiteral("XDG_RUNTIME_DIR=") + runtime.path(),
            QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1")};
}

std::vector<Notification> DesktopBus::notifications() const {
    QMutexLocker lock(&mutex);
    return kept;
}

bool DesktopBus::waitForTray(qint64 pid, int timeoutMs) {
    QElapsedTimer t;
    t.start();
    do {
        {
            QMutexLocker lock(&mutex);
            if (trays.count(pid))
                return true;
        }
        harness::pause(100);
    } while (t.elapsed() < timeoutMs);
    return false;
}

void DesktopBus::startTiming(int everyMs) {
    std::map<qint64, QString> targets;
    {
        QMutexLocker lock(&mutex);
        targets = trays;
    }
    timing = true;
    // The same call to the probe's own watcher: what the buses and the machine's load alone
    // take, beside what the programs' GUI threads take.
    targets[0] = QStringLiteral("org.kde.StatusNotifierWatcher");
    timer = std::thread([this, targets, everyMs] {
        // A connection of this thread's own: the probe's main thread is busy elsewhere.
        QDBusConnection bus =
            QDBusConnection::connectToBus(address, QStringLiteral("bench-timing"));
        while (timing) {
            for (const auto &t : targets) {
                const bool own = t.first == 0;
                QDBusMessage call = QDBusMessage::createMethodCall(
                    t.second,
                    own ? QStringLiteral("/StatusNotifierWatcher")
                        : QStringLiteral("/StatusNotifierItem"),
                    QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
                call << (own ? QStringLiteral("org.kde.StatusNotifierWatcher")
                             : QStringLiteral("org.kde.StatusNotifierItem"))
                     << (own ? QStringLiteral("ProtocolVersion") : QStringLiteral("Status"));
                QElapsedTimer clock;
                clock.start();
                const QDBusMessage reply = bus.call(call, QDBus::Block, 10000);
                const double ms = clock.nsecsElapsed() / 1e6;
                QMutexLocker lock(&mutex);
                Answers &a = answers[t.first];
                ++a.calls;
                if (reply.type() != QDBusMessage::ReplyMessage) {
                    ++a.failed;
                    continue;
                }
                a.longest = std::max(a.longest, ms);
                a.over50 += ms > 50 ? 1 : 0;
                a.all << ms;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(everyMs));
        }
        QDBusConnection::disconnectFromBus(QStringLiteral("bench-timing"));
    });
}

std::map<qint64, Answers> DesktopBus::stopTiming() {
    if (timing.exchange(false) && timer.joinable())
        timer.join();
    QMutexLocker lock(&mutex);
    return answers;
}

namespace {

struct Node {
    QString service;
    QString path;
};

QVariant property(QDBusConnection &bus, const Node &n, const char *name) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        n.service, n.path, QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("Get"));
    call << QStringLiteral("org.a11y.atspi.Accessible") << QString::fromLatin1(name);
    const QDBusMessage reply = bus.call(call, QDBus::Block, 5000);
    return reply.arguments().isEmpty()
               ? QVariant()
               : qvariant_cast<QDBusVariant>(reply.arguments().first()).variant();
}

QList<Node> children(QDBusConnection &bus, const Node &n) {
    const QDBusMessage reply =
        bus.call(QDBusMessage::createMethodCall(n.service, n.path,
                                                QStringLiteral("org.a11y.atspi.Accessible"),
                                                QStringLiteral("GetChildren")),
                 QDBus::Block, 5000);
    QList<Node> nodes;
    if (reply.arguments().isEmpty())
        return nodes;
    const QDBusArgument array = qvariant_cast<QDBusArgument>(reply.arguments().first());
    array.beginArray();
    while (!array.atEnd()) {
        Node c;
        QDBusObjectPath path;
        array.beginStructure();
        array >> c.service >> path;
        array.endStructure();
        c.path = path.path();
        nodes << c;
    }
    array.endArray();
    return nodes;
}

} // namespace

QStringList DesktopBus::accessibleNames(qint64 pid, int timeoutMs) {
    QDBusConnection session =
        QDBusConnection::connectToBus(address, QStringLiteral("bench-a11y-start"));
    const QDBusMessage reply =
        session.call(QDBusMessage::createMethodCall(
                         QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
                         QStringLiteral("org.a11y.Bus"), QStringLiteral("GetAddress")),
                     QDBus::Block, 10000);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    QDBusConnection a11y = QDBusConnection::connectToBus(reply.arguments().first().toString(),
                                                         QStringLiteral("bench-a11y"));
    // The bus's launcher and registry, ended with the probe.
    helpers.insert(qint64(session.interface()->servicePid(QStringLiteral("org.a11y.Bus")).value()));
    helpers.insert(
        qint64(a11y.interface()->servicePid(QStringLiteral("org.a11y.atspi.Registry")).value()));
    helpers.erase(0);
    const Node desktop{QStringLiteral("org.a11y.atspi.Registry"),
                       QStringLiteral("/org/a11y/atspi/accessible/root")};
    QElapsedTimer t;
    t.start();
    Node app;
    while (app.service.isEmpty() && t.elapsed() < timeoutMs) {
        for (const Node &n : children(a11y, desktop))
            if (qint64(a11y.interface()->servicePid(n.service).value()) == pid)
                app = n;
        if (app.service.isEmpty())
            harness::pause(200);
    }
    QStringList names;
    QList<Node> next{app};
    for (int seen = 0; !app.service.isEmpty() && !next.isEmpty() && seen < 20000; ++seen) {
        const Node n = next.takeFirst();
        names << property(a11y, n, "Name").toString();
        next << children(a11y, n);
    }
    return names;
}

} // namespace bench

#include "desktop_bus.moc"
