#include "support/e2e/program.h"

#include <QProcessEnvironment>

namespace harness {

Program::~Program() {
    stop(500);
}

bool Program::start(const Paths &paths, const QString &ptyPath, const QString &workDir,
                    const QStringList &extraEnv) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    for (const QString &kv : extraEnv) {
        const int eq = kv.indexOf(QLatin1Char('='));
        env.insert(kv.left(eq), kv.mid(eq + 1));
    }
    proc.setProcessEnvironment(env);
    proc.setWorkingDirectory(workDir);
    proc.setProcessChannelMode(QProcess::MergedChannels);
    proc.setProgram(QStringLiteral("bash"));
    proc.setArguments({paths.virtualPort, ptyPath, QStringLiteral("--"), paths.program});
    proc.start();
    return proc.waitForStarted(5000);
}

bool Program::isRunning() const {
    return proc.state() != QProcess::NotRunning;
}
qint64 Program::pid() const {
    return proc.processId();
}
QString Program::output() const {
    return QString::fromLocal8Bit(const_cast<QProcess &>(proc).readAll());
}

bool Program::unplugAdapter() {
    // The link lives in the program's own mount namespace (see tools/virtual-port.sh).
    return QProcess::execute(QStringLiteral("nsenter"),
                             {QStringLiteral("-t"), QString::number(pid()), QStringLiteral("-m"),
                              QStringLiteral("rm"), QStringLiteral("/dev/ttyUSB0")}) == 0;
}

void Program::stop(int graceMs) {
    if (!isRunning())
        return;
    proc.terminate();
    if (!proc.waitForFinished(graceMs)) {
        proc.kill();
        proc.waitForFinished(2000);
    }
}

} // namespace harness
