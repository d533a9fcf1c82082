// The fleet view end to end: the real host program with the simulated CCB publishes through a
// real mosquitto, beside lasers of the project's own plant link; the real laser-fleet on the X
// display shows them. Its title counts the lasers in alarm and offline, so the test reads the
// window as a person reads the task bar. With LASER_FLEET_SCREENSHOTS=DIR it leaves pictures of
// the window there. Needs DISPLAY, root and xdotool/ImageMagick; skips otherwise.

#include "plant/plant_link.h"
#include "support/broker.h"
#include "support/e2e/checks.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

#include <memory>
#include <vector>

namespace {

void writeFile(const QString &path, const QByteArray &text) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(text);
}

QByteArray iniFor(const Broker &broker, const QByteArray &id) {
    return "[mqtt]\nurl = " + broker.url().toUtf8() + "\n" +
           (id.isEmpty() ? QByteArray() : "laser_id = " + id + "\n");
}

// The host program on the simulator's port, publishing as e2e.
struct Host {
    harness::Session session;

    QString start(const Broker &broker) {
        if (!session.writeConfig(QStringLiteral("plant.ini"), iniFor(broker, "e2e")))
            return QStringLiteral("no config/plant.ini");
        return session.startWithPortOpen();
    }
};

// The fleet program in a working directory of its own.
struct FleetProgram {
    harness::WorkDir dir{harness::defaultPaths().languageDir};
    QProcess process;
    quint64 window = 0;

    ~FleetProgram() {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(3000);
        }
    }
    QString start(const Broker &broker) {
        writeFile(dir.path() + QStringLiteral("/config/plant.ini"), iniFor(broker, QByteArray()));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(dir.path());
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(QStringLiteral(LASER_FLEET_BIN), {});
        if (!process.waitForStarted(5000))
            return QStringLiteral("laser-fleet did not start");
        window = harness::Screen::findWindow(QString::fromUtf8("激光器总览"), 15000);
        return window ? QString() : QStringLiteral("no fleet window");
    }
    // Waits until the title counts this many lasers, in alarm and offline.
    bool waitForTitle(int lasers, int alarm, int offline, int timeoutMs = 15000) {
        const QString wanted =
            QString::fromUtf8("激光器总览 - %1 台激光器：%2 台报警，%3 台离线 - LASER SYSTEM")
                .arg(lasers)
                .arg(alarm)
                .arg(offline);
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < timeoutMs) {
            if (harness::Screen::windowTitle(window) == wanted)
                return true;
            QTest::qWait(200);
        }
        qWarning("title: %s", qPrintable(harness::Screen::windowTitle(window)));
        return false;
    }
    void screenshot(const QString &name) {
        const QString folder = qEnvironmentVariable("LASER_FLEET_SCREENSHOTS");
        if (folder.isEmpty())
            return;
        QTest::qWait(500);
        harness::Screen::shot()
            .copy(harness::Screen::windowGeometry(window))
            .save(folder + QLatin1Char('/') + name);
    }
};

} // namespace

class FleetE2eTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        SKIP_WITHOUT_PREREQUISITES();
        SKIP_WITHOUT_BROKER();
    }

    void theHostsAlarmsAndItsDeathReachTheFleetWindowWhichEndsCleanly() {
        Broker broker;
        QVERIFY(broker.start());
        Host host;
        START_SESSION(host, broker);

        // Three more lasers through the project's own plant link: one in alarm, one that ended
        // once the broker has its status.
        Subscriber published(broker.port, "laser/+/status");
        QTemporaryDir others;
        std::vector<std::unique_ptr<plant::PlantLink>> links;
        for (const QByteArray id : {"cutter-2", "welder-1", "press-4"}) {
            const QString ini = others.filePath(QString::fromUtf8(id));
            writeFile(ini, iniFor(broker, id));
            links.push_back(std::make_unique<plant::PlantLink>(ini, QStringLiteral("pc"),
                                                               QStringLiteral("ttyUSB0")));
            protocol::DeviceState s;
            s.tempWaterIn = 23;
            s.tempWaterOut = 26;
            s.dewPointTemp = 11.5f;
            s.dcOn = s.laserReady = true;
            s.chillerFault = id == "cutter-2";
            links.back()->updateStatus(
                s, {QStringLiteral("ttyUSB0"), true, QDateTime::currentMSecsSinceEpoch()});
        }
        QCOMPARE(published.collect(QStringLiteral("status"), 4).size(), size_t(4)); // host too
        links.pop_back(); // press-4 ends: its link says offline

        FleetProgram fleet;
        START_SESSION(fleet, broker);
        QVERIFY(fleet.waitForTitle(4, 1, 1));

        host.session.sim.send(QStringLiteral("alarm door on"));
        QVERIFY(fleet.waitForTitle(4, 2, 1));
        fleet.screenshot(QStringLiteral("fleet.png"));
        // The newest alarm's row is on top: a click there shows that laser in full.
        const QRect g = harness::Screen::windowGeometry(fleet.window);
        harness::Screen::click(g.topLeft() + QPoint(150, 103));
        fleet.screenshot(QStringLiteral("fleet-selected.png"));

        host.session.sim.send(QStringLiteral("alarm all off"));
        QVERIFY(fleet.waitForTitle(4, 1, 1));

        host.session.program.process().kill(); // no goodbye: the broker's last will says it
        QVERIFY(fleet.waitForTitle(4, 1, 2));
        fleet.screenshot(QStringLiteral("fleet-offline.png"));

        // Ctrl+Q closes the window; the program ends as on the window's close button.
        QVERIFY(harness::Screen::run(QStringLiteral("xdotool"), {QStringLiteral("windowfocus"),
                                                                 QString::number(fleet.window)}));
        harness::Screen::key(QStringLiteral("ctrl+q"));
        QVERIFY(fleet.process.waitForFinished(5000));
        QCOMPARE(fleet.process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(fleet.process.exitCode(), 0);
    }
};

LASER_DISPLAY_TEST_MAIN(FleetE2eTest)
#include "fleet_e2e_test.moc"
