#pragma once

#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <csignal>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

// A folder on a small disk that a test fills and frees: a tmpfs of its own in a private mount
// namespace (as root), or, where that cannot be had, a file-size limit of zero for this process
// (RLIMIT_FSIZE), under which no file grows, as on a full disk (only the system's words
// differ: "File too large" instead of "No space left on device").
class SmallDisk {
public:
    // First thing in main(), while the process has a single thread: the tmpfs is then seen by
    // nobody else and goes away with the process.
    static bool enterPrivateMounts() {
        return geteuid() == 0 && unshare(CLONE_NEWNS) == 0 &&
               mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
    }

    SmallDisk() {
        std::signal(SIGXFSZ, SIG_IGN);
        tmpfs = mount("laser-test-disk", QFile::encodeName(dir.path()).constData(), "tmpfs", 0,
                      "size=1536k,mode=0777") == 0;
    }
    ~SmallDisk() {
        free();
        if (tmpfs)
            umount2(QFile::encodeName(dir.path()).constData(), MNT_DETACH);
    }

    QString path() const { return dir.path(); }
    bool isTmpfs() const { return tmpfs; }
    QString fullReason() const {
        return tmpfs ? QStringLiteral("No space left on device") : QStringLiteral("File too large");
    }

    // Takes every byte that is left.
    void fill() {
        if (!tmpfs) {
            getrlimit(RLIMIT_FSIZE, &saved);
            rlimit none = saved;
            // Zero: a limit of one byte still lets the first byte of a file through, and a
            // write cut short without an error leaves Qt nothing to say but "Unknown error".
            none.rlim_cur = 0;
            limited = setrlimit(RLIMIT_FSIZE, &none) == 0;
            return;
        }
        QFile filler(dir.filePath(QStringLiteral("filler")));
        filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
        for (int size = 1 << 20; size > 0; size /= 2)
            while (filler.write(QByteArray(size, 'f')) == size) {
            }
    }
    void free() {
        if (limited)
            setrlimit(RLIMIT_FSIZE, &saved);
        limited = false;
        QFile::remove(dir.filePath(QStringLiteral("filler")));
    }

private:
    QTemporaryDir dir;
    bool tmpfs = false;
    bool limited = false;
    rlimit saved{};
};
