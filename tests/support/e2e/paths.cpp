#include "support/e2e/paths.h"

#include "support/e2e/own_display.h"

#include <QFile>
#include <QStandardPaths>

#include <unistd.h>

#ifndef LASER_HOST_BIN
#define LASER_HOST_BIN ""
#endif
#ifndef CCB_SIM_BIN
#define CCB_SIM_BIN ""
#endif
#ifndef LASER_VPORT_SCRIPT
#define LASER_VPORT_SCRIPT ""
#endif
#ifndef LASER_LANGUAGE_DIR
#define LASER_LANGUAGE_DIR ""
#endif

namespace harness {

namespace {

QString fromEnv(const char *name, const char *fallback) {
    const QByteArray v = qgetenv(name);
    return v.isEmpty() ? QString::fromLocal8Bit(fallback) : QString::fromLocal8Bit(v);
}

} // namespace

Paths defaultPaths() {
    Paths p;
    p.program = fromEnv("LASER_HOST_BIN", LASER_HOST_BIN);
    p.simulator = fromEnv("CCB_SIM_BIN", CCB_SIM_BIN);
    p.virtualPort = fromEnv("LASER_VPORT_SCRIPT", LASER_VPORT_SCRIPT);
    p.languageDir = fromEnv("LASER_LANGUAGE_DIR", LASER_LANGUAGE_DIR);
    return p;
}

QString missingPrerequisite() {
    const QString display = OwnDisplay::unavailable();
    if (!display.isEmpty())
        return display;
    if (geteuid() != 0)
        return QStringLiteral("not root (the virtual serial port needs a mount namespace)");
    for (const char *tool : {"xdotool", "import", "unshare", "nsenter"})
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            return QStringLiteral("%1 is not installed").arg(QLatin1String(tool));
    const Paths p = defaultPaths();
    for (const QString &f : {p.program, p.simulator, p.virtualPort})
        if (!QFile::exists(f))
            return QStringLiteral("%1 is missing (build it first)").arg(f);
    return QString();
}

} // namespace harness
