#pragma once

#include <QByteArray>
#include <QSaveFile>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <archive.h>

namespace service {

// A zip archive written by libarchive through QSaveFile, so that only a complete one gets the
// chosen name.
class ZipWriter {
public:
    explicit ZipWriter(const QString &path);
    ~ZipWriter();
    ZipWriter(const ZipWriter &) = delete;
    ZipWriter &operator=(const ZipWriter &) = delete;

    bool open();
    // One entry of `size` bytes; its data follows through data().
    bool begin(const QString &name, qint64 size, qint64 modified);
    bool data(const char *bytes, qint64 size);
    bool add(const QString &name, const QByteArray &bytes, qint64 modified);
    bool finish();

    QString error;
    QStringList names;

private:
    // A refused write is kept as the archive's error and the rest is thrown away: libarchive
    // that sees a failed write ends in a state where it no longer frees its deflate stream.
    static la_ssize_t writeCallback(archive *, void *self, const void *buffer, size_t length);
    bool fail(const QString &why);
    bool failArchive();

    QSaveFile file;
    archive *zip;
    bool closed = false;
    bool discarding = false;
};

} // namespace service
