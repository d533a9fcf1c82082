#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QString>

namespace fixture {

// How many of a process's file descriptors are TCP sockets (IPv4 or IPv6): its socket inodes
// looked up in its /proc/PID/net/tcp and tcp6. `pid` 0 means this process.
inline int tcpSocketsOf(qint64 pid = 0) {
    const QString proc = pid ? QStringLiteral("/proc/%1/").arg(pid) : QStringLiteral("/proc/self/");
    QSet<QString> tcp;
    for (const char *table : {"net/tcp", "net/tcp6"}) {
        QFile file(proc + QLatin1String(table));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        file.readLine(); // header
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

} // namespace fixture
