#include "service/zip_writer.h"

#include <archive_entry.h>

namespace service {

ZipWriter::ZipWriter(const QString &path) : file(path), zip(archive_write_new()) {}

ZipWriter::~ZipWriter() {
    // An archive left mid-entry is closed with its output thrown away: libarchive ends the
    // entry's deflate stream only on a close, and a failed close would leak it. The
    // uncommitted QSaveFile then removes its temporary file.
    if (!closed) {
        discarding = true;
        archive_write_close(zip);
    }
    archive_write_free(zip);
}

bool ZipWriter::open() {
    if (!file.open(QIODevice::WriteOnly))
        return fail(file.fileName() + QStringLiteral(": ") + file.errorString());
    // Deflate, names in UTF-8, no padding after the last block; every entry's size is
    // given up front, so no Zip64 records are needed below 4 GiB: Windows opens it as it is.
    if (archive_write_set_format_zip(zip) != ARCHIVE_OK ||
        archive_write_set_options(zip, "zip:compression=deflate,zip:hdrcharset=UTF-8") !=
            ARCHIVE_OK ||
        archive_write_set_bytes_in_last_block(zip, 1) != ARCHIVE_OK ||
        archive_write_open(zip, this, nullptr, &ZipWriter::writeCallback, nullptr) != ARCHIVE_OK)
        return failArchive();
    return true;
}

bool ZipWriter::begin(const QString &name, qint64 size, qint64 modified) {
    archive_entry *entry = archive_entry_new();
    const QByteArray utf8 = name.toUtf8();
    archive_entry_set_pathname_utf8(entry, utf8.constData());
    archive_entry_set_filetype(entry, AE_IFREG);
    archive_entry_set_perm(entry, 0644);
    archive_entry_set_size(entry, size);
    archive_entry_set_mtime(entry, time_t(modified / 1000), 0);
    const int r = archive_write_header(zip, entry);
    archive_entry_free(entry);
    if (r != ARCHIVE_OK || discarding)
        return failArchive();
    names.append(name);
    return true;
}

bool ZipWriter::data(const char *bytes, qint64 size) {
    if (size > 0 && archive_write_data(zip, bytes, size_t(size)) != la_ssize_t(size))
        return failArchive();
    return !discarding;
}

bool ZipWriter::add(const QString &name, const QByteArray &bytes, qint64 modified) {
    return begin(name, bytes.size(), modified) && data(bytes.constData(), bytes.size());
}

bool ZipWriter::finish() {
    const int r = archive_write_close(zip);
    closed = true;
    if (r != ARCHIVE_OK || discarding)
        return failArchive();
    // QSaveFile keeps the last bytes in its buffer, and commit() renames the file into place
    // even when writing them out fails (a full disk): an empty archive would stand under the
    // chosen name. They are written out first, and nothing is committed when that fails.
    if (!file.flush() || file.error() != QFileDevice::NoError)
        return fail(file.errorString());
    if (!file.commit())
        return fail(file.errorString());
    return true;
}

la_ssize_t ZipWriter::writeCallback(archive *, void *self, const void *buffer, size_t length) {
    auto *w = static_cast<ZipWriter *>(self);
    if (!w->discarding &&
        w->file.write(static_cast<const char *>(buffer), qint64(length)) != qint64(length)) {
        w->fail(w->file.errorString());
        w->discarding = true;
    }
    return la_ssize_t(length);
}

bool ZipWriter::fail(const QString &why) {
    if (error.isEmpty())
        error = why;
    return false;
}

bool ZipWriter::failArchive() {
    const char *text = archive_error_string(zip);
    // A refused write callback leaves the reason with the file.
    return fail(file.error() != QFileDevice::NoError ? file.errorString()
                : text                               ? QString::fromLocal8Bit(text)
                                                     : QStringLiteral("archive error"));
}

} // namespace service
