#include "plant/client_files.h"

#include "plant/texts.h"

#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace plant {

QString readSmallFile(const QString &path, qint64 limit, QByteArray *bytes) {
    bytes->clear();
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return Texts::tr("不是普通文件");
    if (info.exists() && info.size() > limit)
        return Texts::tr("太大（超过 %1 KiB）").arg(limit / 1024);
    QFile file(path);
#ifdef Q_OS_UNIX
    // The file may have been replaced by a pipe since the look above: opened without waiting for
    // a writer and refused unless it is a plain file.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return qt_error_string(errno);
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return Texts::tr("不是普通文件");
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return file.errorString();
    }
#else
    if (!file.open(QIODevice::ReadOnly))
        return file.errorString();
#endif
    *bytes = file.read(limit + 1);
    if (bytes->size() > limit) {
        bytes->clear();
        return Texts::tr("太大（超过 %1 KiB）").arg(limit / 1024);
    }
    return QString();
}

QString plainFileProblem(const QString &path) {
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return qt_error_string(errno);
    struct stat st;
    const bool plain = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    ::close(fd);
    return plain ? QString() : Texts::tr("不是普通文件");
#else
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return Texts::tr("不是普通文件");
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString() : file.errorString();
#endif
}

QByteArray firstLine(const QByteArray &bytes) {
    int start = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    int end = start;
    while (end < bytes.size() && bytes.at(end) != '\n' && bytes.at(end) != '\r')
        ++end;
    return bytes.mid(start, end - start);
}

bool readableByOthers(const QString &path) {
#ifdef Q_OS_UNIX
    const QFileInfo info(path);
    return info.exists() &&
           (info.permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther)) != 0;
#else
    // Access lists decide there, and the mode Qt reports does not show them: nothing is said.
    Q_UNUSED(path);
    return false;
#endif
}

} // namespace plant
