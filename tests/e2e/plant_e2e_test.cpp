// The real program in a real X window with the simulated CCB and a real mosquitto: what the
// plant sees of it, its last will when it is killed, and no network socket at all without
// config/plant.ini. Needs DISPLAY, root and xdotool/ImageMagick; skips otherwise.

#include "tests/plant/broker.h"
#include "support/e2e/harness.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QtTest>

#include <memory>

namespace {

// The TCP sockets among a process's file descriptors (socket inodes against its
// /proc/PID/net/tcp and tcp6).
int tcpSocketsOf(qint64 pid) {
    const QString proc = QStringLiteral("/proc/%1/").arg(pid);
    QSet<QString> tcp;
    for (const char *table : {"net/tcp", "net/tcp6"}) {
        QFile file(proc + QLatin1String(table));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        file.readLine();
        while (!file.atEnd()) {
            const QList<QByteArray> fields = file.readLine().simplified().split(' ');
            if (fields.size() > 9)
                tcp.insert(QString::fromLatin1(fields.at(9)));
        }
    }
    int count = 0;
    const QDir fds(proc + QStringLiteral("fd"));
    for (const QString &fd : fds.entryList(QDir::Files | QDir::System | QDir::NoDotAndDotDot)) {
        const QString name = QFileInfo(QFile::symLinkTarget(fds.filePath(fd))).fileName();
        if (name.startsWith(QStringLiteral("socket:[")) &&
            tcp.contains(name.mid(8, name.size() - 9)))
            ++count;
    }
    return count;
}

// The program on the simulator's port, in its own working directory.
struct Run {
    harness::Paths paths = harness::defaultPaths();
    harness::WorkDir dir{paths.languageDir};
    harness::Simulator sim;
    harness::Program program;
    std::unique_ptr<harness::FormMap> map;
    std::unique_ptr<harness::Driver> driver;

    ~Run() {
        program.stop();
        sim.stop();
    }
    QString start() {
        if (!dir.isValid())
            return QStringLiteral("no working directory");
        if (!sim.start(paths.simulator, {QStringLiteral("--no-drift"), QStringLiteral("--period"),
                                         QStringLiteral("300")}))
            return QStringLiteral("the simulator did not start");
        if (!program.start(paths, sim.ptyPath(), dir.path()))
            return QStringLiteral("the program did not start");
        map = std::make_unique<harness::FormMap>();
        driver = std::make_unique<harness::Driver>(*map);
        if (!driver->attach(15000))
            return QStringLiteral("no window appeared: %1").arg(program.output());
        driver->click(QStringLiteral("pushButtonSerialSwitch"));
        if (!driver->waitForText(QStringLiteral("pushButtonSerialSwitch"),
                                 QStringLiteral("关闭串口"), 5000))
            return QStringLiteral("the port did not open");
        return QString();
    }
    void writePlantIni(const QByteArray &text) {
        QDir(dir.path()).mkpath(QStringLiteral("config"));
        QFile file(dir.path() + QStringLiteral("/config/plant.ini"));
        file.open(QIODevice::WriteOnly);
        file.write(text);
    }
};

} // namespace

class PlantE2eTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        const QString missing = harness::missingPrerequisite();
        if (!missing.isEmpty())
            QSKIP(qPrintable(missing));
        if (!Broker::available())
            QSKIP("mosquitto is not installed (tools/packages.sh lists it)");
    }

    void withoutPlantIniTheProgramHoldsNoTcpSocket() {
        Run run;
        const QString why = run.start();
        QVERIFY2(why.isEmpty(), qPrintable(why));
        QTest::qWait(2000);
        QVERIFY(run.program.isRunning());
        QCOMPARE(tcpSocketsOf(run.program.pid()), 0);
    }

    void theProgramPublishesTheSimulatorsStatusAndItsWillWhenKilled() {
        Broker broker;
        QVERIFY(broker.start());
        Run run;
        run.writePlantIni("[mqtt]\nurl = " + broker.url().toUtf8() + "\nlaser_id = e2e\n");
        const QString why = run.start();
        QVERIFY2(why.isEmpty(), qPrintable(why));
        // Made after the program started: it would inherit the subscriber's socket otherwise.
        // The status and online messages are retained, so nothing is missed.
        Subscriber sub(broker.port, "laser/e2e/#");

        // Status messages until one carries the simulator's product data.
        QJsonObject status;
        QElapsedTimer timer;
        timer.start();
        size_t seen = 0;
        while (timer.elapsed() < 15000) {
            const auto got = sub.collect(QStringLiteral("status"), seen + 1, 500);
            seen = got.size();
            if (seen == 0)
                continue;
            status = QJsonDocument::fromJson(got.back().payload).object();
            if (status.value(QStringLiteral("product")).toObject().value(QStringLiteral("type")) ==
                QJsonValue(QStringLiteral("FL-SIM-1000")))
                break;
        }
        const QJsonObject link = status.value(QStringLiteral("link")).toObject();
        QCOMPARE(status.value(QStringLiteral("product")).toObject().value(QStringLiteral("type")),
                 QJsonValue(QStringLiteral("FL-SIM-1000")));
        QCOMPARE(link.value(QStringLiteral("port")).toString(), QStringLiteral("ttyUSB0"));
        QCOMPARE(link.value(QStringLiteral("open")), QJsonValue(true));
        QVERIFY(link.value(QStringLiteral("last_frame_at")).toDouble() > 0);
        QCOMPARE(tcpSocketsOf(run.program.pid()), 1);

        auto online = sub.collect(QStringLiteral("online"), 1);
        QCOMPARE(online.size(), size_t(1));
        QCOMPARE(online[0].payload, QByteArray("true"));
        run.program.process().kill();
        QVERIFY(run.program.process().waitForFinished(5000));
        online = sub.collect(QStringLiteral("online"), 2);
        QCOMPARE(online.size(), size_t(2));
        QCOMPARE(online[1].payload, QByteArray("false"));
    }
};

QTEST_MAIN(PlantE2eTest)
#include "plant_e2e_test.moc"
