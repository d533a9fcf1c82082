#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <csignal>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

// A folder on a small disk that a test fills and frees: a tmpfs of its own in a private mount
// namespace (as root), or, where that cannot be had, a file-size limit of one byte for this
// process (RLIMIT_FSIZE), under which no file can grow, much as on a full disk (only the reason
// differs: "File too large" instead of "No space left on device").
class SmallDisk {
public:
    // First thing in main(), while the process has a single thread: a mount namespace of its
    // own, so the tmpfs is seen by nobody else and goes away with the process.
    static bool enterPrivateMounts() {
        return geteuid() == 0 && unshare(CLONE_NEWNS) == 0 &&
               mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
    }

    explicit SmallDisk(const QByteArray &size = "1536k") {
        std::signal(SIGXFSZ, SIG_IGN);
        const QByteArray options = "size=" + size + ",mode=0777";
        tmpfs = mount("laser-test-disk", QFile::encodeName(dir.path()).constData(), "tmpfs", 0,
                      options.constData()) == 0;
    }
    ~SmallDisk() {
        free();
        if (tmpfs)
            umount2(QFile::encodeName(dir.path()).constData(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk &) = delete;
    SmallDisk &operator=(const SmallDisk &) = delete;

    QString path() const { return dir.path(); }
    bool isTmpfs() const { return tmpfs; }
    // What a full disk makes the system say.
    QString fullReason() const {
        return tmpfs ? QStringLiteral("No space left on device") : QStringLiteral("File too large");
    }

    // Takes every byte that is left.
    void fill() {
        if (!tmpfs) {
            getrlimit(RLIMIT_FSIZE, &saved);
            rlimit none = saved;
            none.rlim_cur = 1;
            limited = setrlimit(RLIMIT_FSIZE, &none) == 0;
            return;
        }
        QFile filler(fillerPath());
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
            return;
        const QByteArray block(4096, 'f');
        while (filler.write(block) == block.size()) {
        }
        for (int i = 0; i < 4096 && filler.write("f", 1) == 1; ++i) {
        }
    }
    void free() {
        if (limited)
            setrlimit(RLIMIT_FSIZE, &saved);
        limited = false;
        if (tmpfs)
            QFile::remove(fillerPath());
    }

private:
    QString fillerPath() const { return dir.filePath(QStringLiteral("filler")); }

    QTemporaryDir dir;
    bool tmpfs = false;
    bool limited = false;
    rlimit saved{};
};
