#include "history/file_mark.h"

#include <QFile>

#include <cstring>

#ifdef Q_OS_UNIX
#include <QHash>
#include <QMutex>
#include <QMutexLocker>
#include <QPair>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace history {

namespace {

// The write-ahead log's index (`-shm`): two copies of its header (48 bytes each), then the
// checkpoint's record. Native byte order.
constexpr int indexHeaderBytes = 96;
constexpr int saltAt = 32;
constexpr int backfilledAt = 96;
constexpr int indexBytesRead = 100;
constexpr int logHeaderBytes = 32; // the write-ahead log's own header

#ifdef Q_OS_UNIX
// A descriptor of the file now at `path`, opened once and kept while the file has a name:
// closing any descriptor of a file drops every lock the process holds on it, SQLite's own
// (the database's shared lock, the index's read marks) included. One of a file deleted
// meanwhile (a database replaced, an index made anew) is closed when another is opened.
int heldDescriptor(const QString &path) {
    static QMutex mutex;
    static QHash<QPair<quint64, quint64>, int> held;
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    if (::stat(name.constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return -1;
    const QPair<quint64, quint64> key(quint64(st.st_dev), quint64(st.st_ino));
    QMutexLocker lock(&mutex);
    if (const auto it = held.constFind(key); it != held.constEnd())
        return *it;
    for (auto it = held.begin(); it != held.end();) {
        struct stat gone {};
        if (::fstat(*it, &gone) == 0 && gone.st_nlink == 0) {
            ::close(*it);
            it = held.erase(it);
        } else {
            ++it;
        }
    }
    int fd = ::open(name.constData(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    struct stat opened {};
    if (fd < 0 || ::fstat(fd, &opened) != 0 || opened.st_ino != st.st_ino ||
        opened.st_dev != st.st_dev)
        return -1; // replaced meanwhile (a descriptor of it stays: see above)
    held.insert(key, fd);
    return fd;
}

QByteArray readStart(const QString &path, int bytes, qint64 *size) {
    const int fd = heldDescriptor(path);
    QByteArray data(bytes, '\0');
    struct stat st {};
    const ssize_t n = fd < 0 ? -1 : ::pread(fd, data.data(), size_t(bytes), 0);
    if (n < 0 || ::fstat(fd, &st) != 0)
        return QByteArray();
    if (size)
        *size = qint64(st.st_size);
    data.truncate(int(n));
    return data;
}

void zeroStart(const QString &path, int bytes, bool held) {
    const QByteArray zeros(bytes, '\0');
    // The log holds no lock of SQLite's; the index does (see heldDescriptor).
    const int fd = held ? heldDescriptor(path)
                        : ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return;
    if (::pwrite(fd, zeros.constData(), size_t(bytes), 0) == bytes)
        ::fdatasync(fd);
    if (!held)
        ::close(fd);
}
#else
// Elsewhere a lock belongs to the handle that took it: a file is opened and closed each time.
QByteArray readStart(const QString &path, int bytes, qint64 *size) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    if (size)
        *size = f.size();
    return f.read(bytes);
}

void zeroStart(const QString &path, int bytes, bool) {
    QFile f(path);
    if (f.exists() && f.open(QIODevice::ReadWrite))
        f.write(QByteArray(bytes, '\0'));
}
#endif

} // namespace

FileMark::Look FileMark::look() const {
    Look l;
    l.header = readStart(file, 100, &l.size);
    const QByteArray index = readStart(file + QStringLiteral("-shm"), indexBytesRead, nullptr);
    if (index.size() == indexBytesRead) {
        l.indexed = true;
        l.salt = index.mid(saltAt, 8);
        std::memcpy(&l.backfilled, index.constData() + backfilledAt, sizeof l.backfilled);
    }
    return l;
}

void FileMark::take() {
    marked = look();
    taken = true;
}

bool FileMark::changed() {
    if (!taken)
        return false;
    const Look now = look();
    if (now.header == marked.header && now.size == marked.size)
        return false;
    // Another connection's checkpoint copies pages of the log into the file: the index then
    // counts more frames copied, or the log has started again from its beginning since.
    if (now.indexed && marked.indexed &&
        (now.salt != marked.salt || now.backfilled > marked.backfilled)) {
        marked = now;
        return false;
    }
    return true;
}

bool FileMark::holds(QString *error) {
    if (changed()) {
        *error = QStringLiteral("%1 was written over in place").arg(file);
        return false;
    }
    take();
    return true;
}

void FileMark::dropLog() const {
    zeroStart(file + QStringLiteral("-wal"), logHeaderBytes, false);
    zeroStart(file + QStringLiteral("-shm"), indexHeaderBytes, true);
}

} // namespace history
