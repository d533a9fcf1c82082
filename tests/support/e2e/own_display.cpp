#include "support/e2e/own_display.h"

#include <QByteArray>
#include <QStandardPaths>

namespace harness {

namespace {

QString &reason() {
    static QString text;
    return text;
}

} // namespace

OwnDisplay::OwnDisplay() {
    if (!qEnvironmentVariableIsEmpty("LASER_OWN_DISPLAY")) {
        if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty()) {
            reason() = QStringLiteral("Xvfb is not installed (the suite runs on an X server of "
                                      "its own)");
        } else {
            // -displayfd: Xvfb takes a free number and writes it on its output once it takes
            // clients.
            server.start(QStringLiteral("Xvfb"),
                         {QStringLiteral("-displayfd"), QStringLiteral("1"),
                          QStringLiteral("-screen"), QStringLiteral("0"),
                          QStringLiteral("1600x1000x24"), QStringLiteral("-nolisten"),
                          QStringLiteral("tcp")});
            if (!server.waitForStarted(5000) || !server.waitForReadyRead(10000)) {
                reason() = QStringLiteral("Xvfb did not start: %1")
                               .arg(QString::fromLocal8Bit(
                                   server.readAllStandardError().trimmed().left(300)));
            } else {
                qputenv("DISPLAY", ":" + server.readAllStandardOutput().trimmed());
            }
        }
        if (!reason().isEmpty())
            qunsetenv("DISPLAY");
    } else if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        reason() = QStringLiteral("DISPLAY is not set (run the suite under CTest, or start Xvfb "
                                  "and export DISPLAY)");
    }
    if (reason().isEmpty()) {
        qputenv("QT_QPA_PLATFORM", "xcb");
        // at-spi2-core's bus launcher and registry take a named Wayland display for the
        // session's and leave the X server out: the accessibility suite's program was then never
        // seen on the bus.
        qunsetenv("WAYLAND_DISPLAY");
    } else {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
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

QString OwnDisplay::unavailable() {
    if (!reason().isEmpty())
        return reason();
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return QStringLiteral("DISPLAY is not set (run the suite under CTest, or start Xvfb and "
                              "export DISPLAY)");
    return QString();
}

} // namespace harness
