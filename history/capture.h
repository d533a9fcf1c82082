#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QtGlobal>

// Capture files: every chunk read from or written to the port, one line each:
//   2026-12-07T14:37:45.123Z RX 80 03 00 33 7B
// Lines starting with '#' are remarks (e.g. bytes lost to a full queue).
namespace history {

struct CaptureChunk {
    qint64 at = 0; // ms since 1970, UTC
    bool sent = false;
    QByteArray bytes;
};

// One line, newline included.
QByteArray captureLine(const CaptureChunk &chunk);
// Reads one line (with or without its newline). False for remarks, empty and malformed lines.
bool parseCaptureLine(const QByteArray &line, CaptureChunk *chunk);

// "capture-20261207-143745-ttyUSB0.txt" for the port and the time (UTC).
QString captureFileName(const QString &port, qint64 at);

// The capture files of one program in `dir`: a new file at each start() and whenever the
// current one would grow past `fileLimit`; before each new file the oldest capture files of
// the folder (any program's) are deleted until all of them, with the new one full, stay within
// `totalLimit`. Never opens a file that exists already, so two programs never share one.
class CaptureFiles {
public:
    CaptureFiles(const QString &dir, qint64 fileLimit, qint64 totalLimit);
    ~CaptureFiles();

    // False (with the reason) when the file cannot be made; later appends then do nothing.
    bool start(const QString &port, qint64 at, QString *error);
    // Writes one chunk, starting the next file first when needed. False with the reason when
    // the disk refuses; the file is closed then and appends do nothing until the next start().
    bool append(const CaptureChunk &chunk, QString *error);
    bool appendRemark(const QByteArray &text, QString *error);
    // Pushes written lines to the disk (once a second).
    bool flush(QString *error);
    void stop();

    bool isOpen() const { return file.isOpen(); }
    QString currentPath() const { return file.fileName(); }

private:
    bool openNext(qint64 at, QString *error);
    bool writeLine(const QByteArray &line, qint64 at, QString *error);
    void enforceCap();

    QString dir;
    qint64 fileLimit;
    qint64 totalLimit;
    QString port;
    QFile file;
    qint64 written = 0;
};

} // namespace history
