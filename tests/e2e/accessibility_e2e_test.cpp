// The status page as a screen reader reads it: the real program under X with the simulated CCB,
// its accessibility tree read over AT-SPI on a D-Bus session bus of the suite's own. The door
// interlock lamp is named by its caption and reads 报警 after an alarm frame, 正常 after it
// clears. Needs DISPLAY, root, xdotool/ImageMagick, dbus-daemon and at-spi2-core; skips
// otherwise.
#include "support/e2e/checks.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using harness::Session;

namespace {

// An AT-SPI reference: the bus name of an application and the path of one of its objects.
struct Node {
    QString service;
    QString path;
};

const QString accessibleInterface = QStringLiteral("org.a11y.atspi.Accessible");

// A session bus of the suite's own (and so an accessibility bus of its own, started on it
// before the program, which connects only to one that runs): nothing of another session's
// desktop or of a suite beside it is seen or touched. Its runtime folder holds the bus's socket.
class PrivateBus {
public:
    ~PrivateBus() {
        for (const QString &name : {QStringLiteral("a11y"), QStringLiteral("session")})
            QDBusConnection::disconnectFromBus(name);
        daemon.terminate();
        daemon.waitForFinished(3000);
    }

    // Empty on success, otherwise why not.
    QString start() {
        if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty() ||
            !QFile::exists(QStringLiteral("/usr/libexec/at-spi-bus-launcher")))
            return QStringLiteral("dbus-daemon or at-spi2-core is not installed");
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        daemon.setProcessEnvironment(env);
        daemon.start(QStringLiteral("dbus-daemon"),
                     {QStringLiteral("--session"), QStringLiteral("--nofork"),
                      QStringLiteral("--print-address=1")});
        if (!daemon.waitForStarted(5000) || !daemon.waitForReadyRead(5000))
            return QStringLiteral("dbus-daemon did not start");
        address = QString::fromUtf8(daemon.readLine()).trimmed();
        QDBusConnection session = QDBusConnection::connectToBus(address, QStringLiteral("session"));
        const QDBusMessage reply =
            session.call(QDBusMessage::createMethodCall(
                             QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
                             QStringLiteral("org.a11y.Bus"), QStringLiteral("GetAddress")),
                         QDBus::Block, 10000);
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return QStringLiteral("no accessibility bus: %1").arg(reply.errorMessage());
        a11y = QDBusConnection::connectToBus(reply.arguments().first().toString(),
                                             QStringLiteral("a11y"));
        return a11y.isConnected() ? QString()
                                  : QStringLiteral("cannot reach the accessibility bus");
    }

    // What the program needs to be seen on it: the bus, and Qt's bridge on without a screen
    // reader having asked (none runs here).
    QStringList programEnv() const {
        return {QStringLiteral("DBUS_SESSION_BUS_ADDRESS=") + address,
                QStringLiteral("XDG_RUNTIME_DIR=") + runtime.path(),
                QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1")};
    }

    QVariant property(const Node &node, const char *name) const {
        QDBusMessage call = QDBusMessage::createMethodCall(
            node.service, node.path, QStringLiteral("org.freedesktop.DBus.Properties"),
            QStringLiteral("Get"));
        call << accessibleInterface << QString::fromLatin1(name);
        const QDBusMessage reply = a11y.call(call, QDBus::Block, 3000);
        return reply.arguments().isEmpty()
                   ? QVariant()
                   : qvariant_cast<QDBusVariant>(reply.arguments().first()).variant();
    }
    QList<Node> children(const Node &node) const {
        const QDBusMessage reply =
            a11y.call(QDBusMessage::createMethodCall(node.service, node.path, accessibleInterface,
                                                     QStringLiteral("GetChildren")),
                      QDBus::Block, 3000);
        QList<Node> nodes;
        if (reply.arguments().isEmpty())
            return nodes;
        const QDBusArgument array = qvariant_cast<QDBusArgument>(reply.arguments().first());
        array.beginArray();
        while (!array.atEnd()) {
            Node n;
            QDBusObjectPath path;
            array.beginStructure();
            array >> n.service >> path;
            array.endStructure();
            n.path = path.path();
            nodes << n;
        }
        array.endArray();
        return nodes;
    }

    // The registered application of that name, once it has registered.
    Node application(const QString &name, int timeoutMs) const {
        const Node desktop{QStringLiteral("org.a11y.atspi.Registry"),
                           QStringLiteral("/org/a11y/atspi/accessible/root")};
        QElapsedTimer t;
        t.start();
        do {
            for (const Node &app : children(desktop))
                if (property(app, "Name").toString() == name)
                    return app;
            harness::pause(200);
        } while (t.elapsed() < timeoutMs);
        return Node();
    }

    // Every object below `root` named `name` (a bounded walk of the tree).
    QList<Node> named(const Node &root, const QString &name) const {
        QList<Node> found;
        QList<Node> next{root};
        for (int seen = 0; !next.isEmpty() && seen < 5000; ++seen) {
            const Node node = next.takeFirst();
            if (property(node, "Name").toString() == name)
                found << node;
            next << children(node);
        }
        return found;
    }

private:
    QTemporaryDir runtime;
    QProcess daemon;
    QString address;
    QDBusConnection a11y{QStringLiteral("none")};
};

} // namespace

class AccessibilityE2eTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { SKIP_WITHOUT_PREREQUISITES(); }
    void theDoorInterlockLampReadsAlarmAndNormalToAScreenReader();
};

void AccessibilityE2eTest::theDoorInterlockLampReadsAlarmAndNormalToAScreenReader() {
    PrivateBus bus;
    const QString noBus = bus.start();
    if (!noBus.isEmpty())
        QSKIP(qPrintable(noBus));
    Session s;
    START_SESSION(s, QString(), bus.programEnv());
    QVERIFY(s.openPort());

    const Node app = bus.application(QStringLiteral("laser-host"), 10000);
    QVERIFY2(!app.service.isEmpty(), "the program is not in the accessibility tree");
    // The caption's own label bears the name too; the lamp is the one that reads a state.
    Node lamp;
    for (const Node &n : bus.named(app, QStringLiteral("连锁机门")))
        if (!bus.property(n, "Description").toString().isEmpty())
            lamp = n;
    QVERIFY2(!lamp.service.isEmpty(), "no lamp named 连锁机门 with a state");

    const auto readsWithin = [&](const QString &word) {
        QElapsedTimer t;
        t.start();
        while (bus.property(lamp, "Description").toString() != word && t.elapsed() < 5000)
            harness::pause(100);
        return bus.property(lamp, "Description").toString();
    };
    QCOMPARE(readsWithin(QStringLiteral("正常")), QStringLiteral("正常"));
    s.sim.send(QStringLiteral("alarm door on"));
    QCOMPARE(readsWithin(QStringLiteral("报警")), QStringLiteral("报警"));
    s.sim.send(QStringLiteral("alarm door off"));
    QCOMPARE(readsWithin(QStringLiteral("正常")), QStringLiteral("正常"));
}

LASER_DISPLAY_TEST_MAIN(AccessibilityE2eTest)
#include "accessibility_e2e_test.moc"
