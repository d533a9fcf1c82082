#include "support/e2e/session.h"

#include "support/e2e/screen.h"

#include <QDir>
#include <QFile>
#include <QRect>

namespace harness {

Session::Session(WorkDir *shared) {
    if (!shared)
        ownDir = std::make_unique<WorkDir>(paths.languageDir);
    workDir = shared ? shared : ownDir.get();
}

Session::~Session() {
    program.stop();
    sim.stop();
}

QStringList Session::defaultSimulatorArgs() {
    return {QStringLiteral("--no-drift"), QStringLiteral("--period"), QStringLiteral("300")};
}

QString Session::startSimulator(const QStringList &args) {
    if (!sim.start(paths.simulator, args))
        return QStringLiteral("the simulator did not start");
    return QString();
}

QString Session::start(const QString &catalogue, const QStringList &programEnv) {
    if (!workDir->isValid())
        return QStringLiteral("no working directory");
    if (sim.ptyPath().isEmpty()) {
        const QString why = startSimulator();
        if (!why.isEmpty())
            return why;
    }
    if (!program.start(paths, sim.ptyPath(), workDir->path(), programEnv))
        return QStringLiteral("the program did not start");
    map = std::make_unique<FormMap>(catalogue);
    driver = std::make_unique<Driver>(*map);
    if (!driver->attach(15000))
        return QStringLiteral("no window \"LASER SYSTEM\" appeared: %1").arg(program.output());
    const QSize screen = Screen::screenSize();
    if (!QRect(QPoint(0, 0), screen).contains(driver->geometry()))
        return QStringLiteral("the window %1x%2 does not fit the screen %3x%4; start Xvfb with "
                              "-screen 0 1600x1000x24")
            .arg(driver->geometry().width())
            .arg(driver->geometry().height())
            .arg(screen.width())
            .arg(screen.height());
    if (waitUntilDrawnAsMap &&
        !driver->waitForLook(QStringLiteral("pushButtonSerialSwitch"), nullptr, 5000))
        return QStringLiteral("the window was not drawn as its form: %1").arg(program.output());
    return QString();
}

bool Session::openPort() {
    const QString name = QStringLiteral("pushButtonSerialSwitch");
    driver->click(name);
    if (driver->waitForText(name, QStringLiteral("关闭串口"), 5000))
        return true;
    // Kept in the working directory of the test (CTest runs it in its build folder), for
    // whoever reads the failure.
    const QString path = QDir::current().absoluteFilePath(
        QStringLiteral("port-not-opened-%1.png").arg(program.pid()));
    Screen::shot().save(path);
    qWarning("the port did not open; screen saved to %s; program said: %s", qPrintable(path),
             qPrintable(program.output()));
    return false;
}

QString Session::startWithPortOpen() {
    const QString why = start();
    if (!why.isEmpty())
        return why;
    if (!openPort())
        return QStringLiteral("the port did not open");
    if (!driver->waitForLamp(QStringLiteral("label_DCOn"), Lamp::Green, 3000))
        return QStringLiteral("the DC-on lamp did not turn green");
    return QString();
}

bool Session::writeConfig(const QString &name, const QByteArray &content) {
    QDir(workDir->path()).mkpath(QStringLiteral("config"));
    QFile file(workDir->path() + QStringLiteral("/config/") + name);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(content) == content.size();
}

} // namespace harness
