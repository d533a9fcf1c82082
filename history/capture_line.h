#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

class QIODevice;

// The line of a capture file: every chunk read from or written to the port, one line each:
//   2026-12-07T14:37:45.123Z RX 80 03 00 33 7B
// Lines starting with '#' are remarks (e.g. bytes lost to a full queue or a full disk).
namespace history {

struct CaptureChunk {
    qint64 at = 0; // ms since 1970, UTC
    bool sent = false;
    QByteArray bytes;
};

// One line, newline included.
QByteArray captureLine(const CaptureChunk &chunk);
// Reads one line (with or without its newline) in exactly the form captureLine() writes: UTC
// time with milliseconds and 'Z', RX or TX, upper-case hex pairs. False for remarks, empty and
// malformed lines; for a malformed one `reason` says what is wrong.
bool parseCaptureLine(const QByteArray &line, CaptureChunk *chunk, QString *reason = nullptr);

// A capture file read back: the chunks of every well-formed line, and what was skipped.
// Remarks and empty lines are not skipped lines. A last line without its newline was cut off
// when the file was being written and is skipped, however it reads.
struct CaptureReading {
    QList<CaptureChunk> chunks;
    int skipped = 0;
    int firstSkippedLine = 0; // 1-based; 0 when nothing was skipped
    QString firstSkippedReason;
    // Every skipped line, as "line N: reason", for a report as it goes.
    QStringList skippedLines;
};
CaptureReading readCapture(QIODevice &file);

} // namespace history
