#include "service/bundle_paths.h"

#include "service/texts.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace service {

CaptureFiles captureFiles(const QString &log, qint64 since) {
    CaptureFiles found;
    // Every kind of entry, so that what is left out can be said.
    for (const QFileInfo &info : QDir(log).entryInfoList(
             {QStringLiteral("capture-*.txt")},
             QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name)) {
        if (info.isFile() && !info.isSymLink()) {
            if (since == 0 || info.lastModified().toMSecsSinceEpoch() >= since)
                found.files.append(info);
        } else if (++found.leftOut <= 20) {
            found.leftOutNames << QString::fromLatin1(QUrl::toPercentEncoding(info.fileName())) +
                                      (info.isSymLink() ? QStringLiteral(" (a symbolic link, not "
                                                                         "followed)")
                                                        : QStringLiteral(" (not a plain file)"));
        }
    }
    return found;
}

bool openPlainFile(QFile &file, QString *why) {
#ifdef Q_OS_UNIX
    // Looked at through the open file itself: a name swapped for a link or a pipe since the
    // folder was listed is found here too.
    const int fd = ::open(QFile::encodeName(file.fileName()).constData(),
                          O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        *why = errno == ELOOP ? QStringLiteral("a symbolic link, not followed")
                              : QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_nlink > 1) {
        *why = S_ISREG(st.st_mode) ? QStringLiteral("a second name of a file (a hard link), "
                                                    "not followed")
                                   : QStringLiteral("not a plain file");
        ::close(fd);
        return false;
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        *why = file.errorString();
        ::close(fd);
        return false;
    }
    return true;
#else
    const QFileInfo info(file.fileName());
    if (info.isSymLink() || !info.isFile()) {
        *why = info.isSymLink() ? QStringLiteral("a link, not followed")
                                : QStringLiteral("not a plain file");
        return false;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        *why = file.errorString();
        return false;
    }
    return true;
#endif
}

QStringList archiveNames(const QString &outputPath) {
    // As QSaveFile::open resolves it.
    QFileInfo info(outputPath);
    QStringList names = {info.absoluteFilePath()};
    int depth = 128;
    while (--depth && info.isSymLink()) {
        info.setFile(info.symLinkTarget());
        names << info.absoluteFilePath();
    }
    if (depth == 0)
        names << names.first();
    return names;
}

namespace {

QString resolved(const QString &path) {
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

} // namespace

bool isInFolder(const QString &path, const QString &folder) {
#ifdef Q_OS_WIN
    constexpr Qt::CaseSensitivity sensitivity = Qt::CaseInsensitive;
#else
    constexpr Qt::CaseSensitivity sensitivity = Qt::CaseSensitive;
#endif
    const QString dir = resolved(folder);
    // The name itself may not exist yet: the folder it would be made in decides.
    const QString parent = resolved(QFileInfo(path).absolutePath());
    return parent.compare(dir, sensitivity) == 0 ||
           parent.startsWith(dir + QLatin1Char('/'), sensitivity);
}

QString ownFolderTarget(const QString &outputPath, const QString &logDir,
                        const QString &configDir) {
    for (const QString &name : archiveNames(outputPath))
        if (isInFolder(name, logDir) || isInFolder(name, configDir))
            return Texts::tr("%1 在程序自己的 log 或 config 文件夹中; 请另选一个位置")
                .arg(QDir::toNativeSeparators(outputPath));
    return QString();
}

} // namespace service
