#include "history/capture.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>

namespace history {

namespace {

QString safePortName(const QString &port) {
    QString name = port.isEmpty() ? QStringLiteral("port") : port;
    for (QChar &c : name)
        if (!c.isLetterOrNumber() && c != QLatin1Char('-') && c != QLatin1Char('_') &&
            c != QLatin1Char('.'))
            c = QLatin1Char('_');
    return name;
}

// ".capture-20261207-143745-ttyUSB0.txt.lock" beside the file: left out of listings and of
// the "capture-*" name pattern.
QString lockPath(const QString &capture) {
    const QFileInfo info(capture);
    return info.dir().filePath(QLatin1Char('.') + info.fileName() + QStringLiteral(".lock"));
}

// Takes the lock of a capture file when nobody holds it: free, or left by a program that is
// gone. Qt judges a lock it finds by the process id, name and boot written in it, and takes a
// dead program's id given to a running one (a restart after a power cut) for alive; the system's
// own lock on the file, which Qt holds for as long as the program holds the lock, says whether
// its owner still runs, so such a lock is removed and taken.
bool takeUnlessHeld(QLockFile &lock) {
    lock.setStaleLockTime(0);
    if (lock.tryLock(0))
        return true;
    return lock.error() == QLockFile::LockFailedError && lock.removeStaleLockFile() &&
           lock.tryLock(0);
}

} // namespace

QString captureFileName(const QString &port, qint64 at) {
    const QByteArray stamp = captureLine({at, false, QByteArray()});
    // "2026-12-07T14:37:45" -> "20261207-143745"
    const QString text = QString::fromLatin1(stamp.left(19));
    return QStringLiteral("capture-") + text.left(10).remove(QLatin1Char('-')) + QLatin1Char('-') +
           text.mid(11).remove(QLatin1Char(':')) + QLatin1Char('-') + safePortName(port) +
           QStringLiteral(".txt");
}

CaptureFiles::CaptureFiles(const QString &dir, qint64 fileLimit, qint64 totalLimit, qint64 retryMs)
    : dir(dir), fileLimit(fileLimit), totalLimit(totalLimit), retryMs(retryMs) {}

CaptureFiles::~CaptureFiles() {
    stop();
}

bool CaptureFiles::start(const QString &portName, qint64 at, QString *error) {
    stop();
    port = portName;
    capturing = true;
    error->clear();
    if (openNext(at, error) && resume(error))
        return true;
    fail(0, at, *error);
    return false;
}

void CaptureFiles::closeFile() {
    file.close();
    if (lock)
        lock->unlock();
    lock.reset();
}

bool CaptureFiles::openNext(qint64 at, QString *error) {
    closeFile();
    written = 0;
    if (!QDir().mkpath(dir)) {
        *error = QStringLiteral("cannot create %1").arg(QDir(dir).absolutePath());
        return false;
    }
    enforceCap();
    const QString base = captureFileName(port, at);
    for (int attempt = 1; attempt < 1000; ++attempt) {
        QString name = base;
        if (attempt > 1)
            // "_2" sorts after ".txt", so name order stays age order within one second.
            name.insert(name.size() - 4, QLatin1Char('_') + QString::number(attempt));
        const QString path = QDir(dir).filePath(name);
        if (QFile::exists(path))
            continue;
        // The lock first: another program's cap never deletes a file whose lock is held.
        auto held = std::make_unique<QLockFile>(lockPath(path));
        held->setStaleLockTime(0);
        if (!held->tryLock(0)) {
            if (held->error() == QLockFile::LockFailedError)
                continue;
            // errno of the failed create or write, as Qt leaves it.
            *error = QStringLiteral("cannot create %1: %2").arg(lockPath(path), qt_error_string());
            return false;
        }
        file.setFileName(path);
        // NewOnly: another program (or this one within the same second) keeps its own file.
        // Unbuffered: each line goes to the system whole, in one write.
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
            lock = std::move(held);
            return true;
        }
        held->unlock();
        if (!file.exists()) {
            *error = QStringLiteral("cannot create %1: %2").arg(path, file.errorString());
            return false;
        }
    }
    *error = QStringLiteral("cannot create a capture file in %1").arg(dir);
    return false;
}

void CaptureFiles::enforceCap() {
    QDir folder(dir);
    const QFileInfoList files =
        folder.entryInfoList({QStringLiteral("capture-*.txt")}, QDir::Files, QDir::Name);
    qint64 total = 0;
    for (const QFileInfo &f : files)
        total += f.size();
    // Names begin with the time, so name order is age order.
    for (const QFileInfo &f : files) {
        if (total + fileLimit <= totalLimit)
            break;
        const QString path = f.absoluteFilePath();
        // A lock that can be taken belongs to nobody (any more).
        QLockFile other(lockPath(path));
        if (!takeUnlessHeld(other))
            continue; // another program is writing it
        if (QFile::remove(path))
            total -= f.size();
    }
    overCap = qMax<qint64>(0, total + fileLimit - totalLimit);
}

bool CaptureFiles::writeWhole(const QByteArray &line, QString *error) {
    qint64 done = 0;
    while (done < line.size()) {
        // Qt gives the system's reason only for a write that wrote nothing: a short write is
        // followed by another one, which then fails with it.
        const qint64 n = file.write(line.constData() + done, line.size() - done);
        if (n <= 0) {
            *error = QStringLiteral("cannot write %1: %2").arg(file.fileName(), file.errorString());
            // Cut the torn line off again: the file keeps whole lines only.
            file.resize(written);
            return false;
        }
        done += n;
    }
    return true;
}

void CaptureFiles::fail(quint64 payload, qint64 at, const QString &error) {
    closeFile();
    if (reason.isEmpty())
        reason = error;
    lost += payload;
    nextTry = at + retryMs;
}

bool CaptureFiles::resume(QString *error) {
    if (reason.isEmpty())
        return true;
    // Writing works again: the new file says first what went missing.
    const QByteArray remark =
        "# " + QByteArray::number(lost) + " bytes lost: " + reason.toUtf8() + '\n';
    if (!writeWhole(remark, error))
        return false;
    written += remark.size();
    recoveredLoss = lost;
    lost = 0;
    reason.clear();
    return true;
}

bool CaptureFiles::writeLine(const QByteArray &line, quint64 payload, qint64 at, QString *error) {
    if (!capturing)
        return true; // not started, or stopped: nothing to do
    if (!file.isOpen() && at < nextTry) {
        // Waiting for the next try: counted, not tried.
        lost += payload;
        *error = reason;
        return false;
    }
    bool ready = file.isOpen();
    if (!ready)
        ready = openNext(at, error) && resume(error);
    else if (written > 0 && written + line.size() > fileLimit)
        ready = openNext(at, error);
    if (ready && writeWhole(line, error)) {
        written += line.size();
        return true;
    }
    fail(payload, at, *error);
    return false;
}

bool CaptureFiles::append(const CaptureChunk &chunk, QString *error) {
    error->clear();
    return writeLine(captureLine(chunk), quint64(chunk.bytes.size()), chunk.at, error);
}

bool CaptureFiles::appendRemark(const QByteArray &text, qint64 at, QString *error,
                                quint64 lostBytes) {
    error->clear();
    return writeLine("# " + text + '\n', lostBytes, at, error);
}

bool CaptureFiles::isCapturing(const QString &dir, const QString &port, const QString &except) {
    const QString safe = safePortName(port);
    const QDir folder(dir);
    for (const QString &name :
         folder.entryList({QStringLiteral("capture-*-") + safe + QStringLiteral(".txt"),
                           QStringLiteral("capture-*-") + safe + QStringLiteral("_*.txt")},
                          QDir::Files)) {
        const QString path = folder.filePath(name);
        if (QFileInfo(path) == QFileInfo(except) || !QFileInfo::exists(lockPath(path)))
            continue;
        QLockFile lock(lockPath(path));
        if (!takeUnlessHeld(lock))
            return true;
    }
    return false;
}

void CaptureFiles::stop() {
    // A trouble outlives the stop: the next file that opens says what was lost.
    closeFile();
    capturing = false;
}

} // namespace history
