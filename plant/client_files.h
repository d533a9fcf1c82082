#pragma once

#include <QByteArray>
#include <QString>

namespace plant {

// The files config/plant.ini names (a password, a certificate, a key, a passphrase): read
// whole but bounded, never waiting on a pipe or a device.

// Reads a plain file of at most `limit` bytes into `bytes`. Returns empty, or why not in the
// current language (the system's reason for a missing or unreadable file). A folder, a pipe or
// a device is refused without being opened for reading.
QString readSmallFile(const QString &path, qint64 limit, QByteArray *bytes);

// Empty when `path` is a plain file that can be opened for reading, or why not, found without
// waiting on a pipe or a device.
QString plainFileProblem(const QString &path);

// The first line of a file a person wrote: without a leading byte-order mark and without its
// line end, whichever an editor wrote ("\r\n", "\n", a lone "\r" or none).
QByteArray firstLine(const QByteArray &bytes);

// Whether users other than the owner may read the file, where the system tells that from the
// file's mode; false where it does not (access lists, e.g. on Windows).
bool readableByOthers(const QString &path);

} // namespace plant
