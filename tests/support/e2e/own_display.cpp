#include "support/e2e/own_display.h"

#include <QByteArray>
#include <QStandardPaths>

namespace harness {

OwnDisplay::OwnDisplay() {
    if (qEnvironmentVariableIsEmpty("LASER_OWN_DISPLAY") ||
        QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty())
        return;
    // -displayfd: Xvfb takes a free number and writes it on its output once it takes clients.
    server.start(QStringLiteral("Xvfb"),
                 {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                  QStringLiteral("0"), QStringLiteral("1600x1000x24"), QStringLiteral("-nolisten"),
                  QStringLiteral("tcp")});
    if (!server.waitForStarted(5000) || !server.waitForReadyRead(10000)) {
        qWarning("own display: Xvfb did not start: %s", server.readAllStandardError().constData());
        return;
    }
    const QByteArray number = server.readAllStandardOutput().trimmed();
    qputenv("DISPLAY", ":" + number);
}

OwnDisplay::~OwnDisplay() {
    if (server.state() == QProcess::NotRunning)
        return;
    server.terminate();
    if (!server.waitForFinished(3000)) {
        server.kill();
        server.waitForFinished(2000);
    }
}

} // namespace harness
