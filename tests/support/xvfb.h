#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

// An Xvfb for a test's programs. -displayfd: it takes a free display number and writes it on its
// output once it takes clients. The display (":N"), or empty when it did not start.
inline QString startXvfb(QProcess &server, const QStringList &options = {}) {
    server.start(QStringLiteral("Xvfb"),
                 QStringList{QStringLiteral("-displayfd"), QStringLiteral("1")} + options +
                     QStringList{QStringLiteral("-nolisten"), QStringLiteral("tcp")});
    if (!server.waitForStarted(5000) || !server.waitForReadyRead(10000))
        return QString();
    return QStringLiteral(":") + QString::fromLatin1(server.readAllStandardOutput().trimmed());
}

// Ends a helper process: asked first, killed when it does not go.
inline void endProcess(QProcess &process) {
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(3000)) {
        process.kill();
        process.waitForFinished(2000);
    }
}
