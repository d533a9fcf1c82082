#include "alarms/shelf_file.h"

#include "alarms/rules.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QSet>
#include <QStringList>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace alarms {

namespace {

const QByteArray header = QByteArrayLiteral(
    "# Shelved alarms, written by laser-host: key, shelved at, ends at (ms since 1970, UTC),\n"
    "# minutes, user, reason; tab-separated, one shelf a line.\n");

// A time as we write it: decimal digits only, within the range.
bool readTime(const QString &field, qint64 *value) {
    if (field.isEmpty() || field.size() > 15)
        return false;
    for (const QChar c : field)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    *value = field.toLongLong();
    return *value <= latestShelfTime;
}

bool readLine(const QString &line, Shelf *shelf) {
    const QStringList fields = line.split(QLatin1Char('\t'));
    if (fields.size() != 6 || !validKey(fields[0]))
        return false;
    qint64 minutes = 0;
    if (!readTime(fields[1], &shelf->shelvedAt) || !readTime(fields[2], &shelf->until) ||
        !readTime(fields[3], &minutes) || minutes < shortestShelfMinutes ||
        minutes > longestShelfMinutes)
        return false;
    shelf->key = fields[0];
    shelf->minutes = int(minutes);
    shelf->user = fields[4];
    shelf->reason = fields[5];
    // Only what we would write: cleaned texts, as cleanText leaves them.
    return shelf->user == cleanText(shelf->user, longestUserName) &&
           shelf->reason == cleanText(shelf->reason, longestReason);
}

} // namespace

QString shelfFilePath() {
    return QStringLiteral("./config/shelves.gl");
}

ShelfRead parseShelves(const QByteArray &content) {
    ShelfRead read;
    QSet<QString> keys;
    // One pass, stopping at the first line it would not write: the file holds no shelf then, and
    // a file of a hundred thousand lines costs no more than its first bad one.
    int number = 0;
    for (int at = content.startsWith("\xEF\xBB\xBF") ? 3 : 0; at <= content.size();) {
        const int end = content.indexOf('\n', at) < 0 ? content.size() : content.indexOf('\n', at);
        const int size = end - at - (end > at && content.at(end - 1) == '\r' ? 1 : 0);
        const char first = size > 0 ? content.at(at) : '#';
        ++number;
        if (first != '#') {
            const QByteArray raw = content.mid(at, size);
            const QString line = QString::fromUtf8(raw);
            Shelf shelf;
            // Broken UTF-8 does not come back as the same bytes.
            if (line.toUtf8() != raw || int(read.shelves.size()) >= shelfLimit ||
                !readLine(line, &shelf) || keys.contains(shelf.key)) {
                read.problem = ShelfProblem::BadLine;
                read.badLine = number;
                read.shelves.clear();
                return read;
            }
            keys.insert(shelf.key);
            read.shelves.push_back(std::move(shelf));
        }
        at = end + 1;
    }
    return read;
}

QByteArray shelfFileContent(const std::vector<Shelf> &shelves) {
    QByteArray out = header;
    for (const Shelf &s : shelves)
        out += QStringLiteral("%1\t%2\t%3\t%4\t%5\t%6\n")
                   .arg(s.key)
                   .arg(s.shelvedAt)
                   .arg(s.until)
                   .arg(s.minutes)
                   .arg(cleanText(s.user, longestUserName), cleanText(s.reason, longestReason))
                   .toUtf8();
    return out;
}

ShelfRead readShelves(const QString &path) {
    ShelfRead read;
    QFile file;
#ifdef Q_OS_UNIX
    // Opened without following a link and without waiting for a pipe's writer; what it is, is
    // then asked of the very file opened.
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        const int e = errno;
        if (e == ENOENT)
            return read;
        read.problem = e == ELOOP ? ShelfProblem::SymbolicLink : ShelfProblem::Unreadable;
        read.error = qt_error_string(e);
        return read;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        read.problem = ShelfProblem::NotRegular;
        return read;
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        read.problem = ShelfProblem::Unreadable;
        read.error = file.errorString();
        return read;
    }
#else
    const QFileInfo info(path);
    if (info.isSymLink()) {
        read.problem = ShelfProblem::SymbolicLink;
        return read;
    }
    if (!info.exists())
        return read;
    if (!info.isFile()) {
        read.problem = ShelfProblem::NotRegular;
        return read;
    }
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly)) {
        read.problem = ShelfProblem::Unreadable;
        read.error = file.errorString();
        return read;
    }
#endif
    const QByteArray content = file.read(shelfFileLimit + 1);
    if (content.size() > shelfFileLimit) {
        read.problem = ShelfProblem::TooLarge;
        return read;
    }
    return parseShelves(content);
}

QString shelfProblemText(const ShelfRead &read, const QString &path) {
    switch (read.problem) {
    case ShelfProblem::None:
        break;
    case ShelfProblem::SymbolicLink:
        return QStringLiteral("%1 is a symbolic link, not read").arg(path);
    case ShelfProblem::NotRegular:
        return QStringLiteral("%1 is not a regular file, not read").arg(path);
    case ShelfProblem::Unreadable:
        return QStringLiteral("%1 cannot be read (%2)").arg(path, read.error);
    case ShelfProblem::TooLarge:
        return QStringLiteral("%1 is over %2 bytes, not read").arg(path).arg(shelfFileLimit);
    case ShelfProblem::BadLine:
        return QStringLiteral("%1: line %2 is not one the program writes")
            .arg(path)
            .arg(read.badLine);
    }
    return QString();
}

bool saveShelfChanges(const std::vector<ShelfChange> &changes, QString *error,
                      const QString &path) {
    if (changes.empty())
        return true;
    const auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath()))
        return fail(QStringLiteral("cannot create the folder %1").arg(info.absolutePath()));
    // Two programs in one folder: one read, change and rename at a time, so that neither drops
    // a shelf the other saved in the same moment. A lock its dead owner left is taken over.
    QLockFile lock(path + QStringLiteral(".lock"));
    if (!lock.tryLock(2000))
        return fail(lock.error() == QLockFile::LockFailedError
                        ? QStringLiteral("%1 is being saved by another program").arg(path)
                        : QStringLiteral("cannot write in the folder %1").arg(info.absolutePath()));
    const ShelfRead now = readShelves(path);
    switch (now.problem) {
    case ShelfProblem::SymbolicLink:
        return fail(QStringLiteral("%1 is a symbolic link; it is not followed").arg(path));
    case ShelfProblem::NotRegular:
        return fail(QStringLiteral("%1 is not a regular file").arg(path));
    case ShelfProblem::Unreadable:
        return fail(QStringLiteral("%1: %2").arg(path, now.error));
    default:
        break; // a damaged file is replaced by what holds
    }
    // Made read-only by its owner: kept as it is, whoever runs the program (root too).
    if (info.exists() && !(info.permissions() & QFileDevice::WriteOwner))
        return fail(QStringLiteral("%1 is read-only").arg(path));

    std::vector<Shelf> shelves = now.shelves;
    QStringList dropped; // beyond shelfLimit (programs in one folder shelving their own keys)
    for (const ShelfChange &c : changes) {
        shelves.erase(std::remove_if(shelves.begin(), shelves.end(),
                                     [&c](const Shelf &s) { return s.key == c.key; }),
                      shelves.end());
        if (c.shelf && validKey(c.key) && int(shelves.size()) < shelfLimit)
            shelves.push_back(*c.shelf);
        else if (c.shelf)
            dropped << c.key;
    }
    // Written beside and renamed over: a failed write keeps the shelves saved before.
    // Unbuffered, so that a failed write is seen by commit() and not lost in a final flush.
    QSaveFile file(path);
    file.setDirectWriteFallback(true);
    const QByteArray content = shelfFileContent(shelves);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) ||
        file.write(content) != content.size() || !file.commit())
        return fail(QStringLiteral("%1: %2").arg(path, file.errorString()));
    if (!dropped.isEmpty())
        return fail(QStringLiteral("%1 holds %2 shelves, the most it keeps; not saved: %3")
                        .arg(path)
                        .arg(shelfLimit)
                        .arg(dropped.join(QStringLiteral(", "))));
    return true;
}

} // namespace alarms
