#include "support/e2e/own_display.h"

#include "support/xvfb.h"

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
            const QString display =
                startXvfb(server, {QStringLiteral("-screen"), QStringLiteral("0"),
                                   QStringLiteral("1600x1000x24")});
            if (display.isEmpty()) {
                reason() = QStringLiteral("Xvfb did not start: %1")
                               .arg(QString::fromLocal8Bit(
                                   server.readAllStandardError().trimmed().left(300)));
            } else {
                qputenv("DISPLAY", display.toLocal8Bit());
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
    endProcess(server);
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
