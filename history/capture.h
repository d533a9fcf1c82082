#pragma once

#include "history/capture_line.h"

#include <QFile>
#include <QString>
#include <QtGlobal>

#include <memory>

class QLockFile;

// The capture files of the port, in the form of history/capture_line.h: their names, the file
// that takes the lines, its lock and the cap on the folder.
namespace history {

// "capture-20261207-143745-ttyUSB0.txt" for the port and the time (UTC).
QString captureFileName(const QString &port, qint64 at);

// The capture files of one program in `dir`: a new file at each start() and whenever the
// current one would grow past `fileLimit`; before each new file the oldest capture files of
// the folder are deleted until all of them, with the new one full, stay within `totalLimit`.
// The open file carries a lock (a QLockFile beside it, ".<name>.lock"), and the cap never
// deletes a file whose lock another running program holds: what it has to keep over the cap is
// counted (keptOverCap()). A lock left by a program that died is known by more than its process
// id (which a program started after a power cut may have again): nobody holds the system's lock
// on the file any more (Qt's QLockFile keeps one for as long as it holds the lock). Never opens a
// file that exists already, so two programs never share one.
//
// Lines are written whole, straight to the system (no buffer of its own): a line the disk
// refuses is cut off again, so a file can only end in a torn line when the program dies in the
// middle of a write. After a failure the file is closed and the chunks that follow are counted
// as lost; from `retryMs` later a new file is tried at each chunk, and the first line of that
// file says how many bytes were lost and why.
class CaptureFiles {
public:
    CaptureFiles(const QString &dir, qint64 fileLimit, qint64 totalLimit, qint64 retryMs = 3000);
    ~CaptureFiles();
    CaptureFiles(const CaptureFiles &) = delete;
    CaptureFiles &operator=(const CaptureFiles &) = delete;

    // Capturing for `port` from `at` on, in a new file. False with the reason when it cannot be
    // made (the capture is in trouble then, see above).
    bool start(const QString &port, qint64 at, QString *error);
    // Writes one chunk, starting the next file first when needed. False with the reason when
    // the disk refuses or the capture is in trouble.
    bool append(const CaptureChunk &chunk, QString *error);
    // A remark line; `lostBytes`: bytes it reports missing, counted as lost when the line
    // cannot be written either (the next file's first line then says them).
    bool appendRemark(const QByteArray &text, qint64 at, QString *error, quint64 lostBytes = 0);
    void stop();

    bool isOpen() const { return file.isOpen(); }
    // A write or a new file has failed, and no file has taken a line since.
    bool inTrouble() const { return !reason.isEmpty(); }
    // Bytes of chunks not written since the trouble began, and what began it.
    quint64 lostBytes() const { return lost; }
    QString troubleReason() const { return reason; }
    // The bytes lost in the trouble that ended last.
    quint64 lostBeforeRecovery() const { return recoveredLoss; }
    QString currentPath() const { return file.fileName(); }
    // Bytes over the cap that the last new file had to leave in place (other programs' files).
    qint64 keptOverCap() const { return overCap; }

    // Whether a running program writes a capture of `port` in `dir` now (its lock is held),
    // the file `except` (this program's own) left out.
    static bool isCapturing(const QString &dir, const QString &port, const QString &except);

private:
    bool openNext(qint64 at, QString *error);
    bool writeLine(const QByteArray &line, quint64 payload, qint64 at, QString *error);
    bool writeWhole(const QByteArray &line, QString *error);
    void closeFile();
    bool resume(QString *error);
    void fail(quint64 payload, qint64 at, const QString &error);
    void enforceCap();

    QString dir;
    qint64 fileLimit;
    qint64 totalLimit;
    qint64 retryMs;
    QString port;
    QFile file;
    std::unique_ptr<QLockFile> lock;
    qint64 written = 0;
    bool capturing = false;
    quint64 lost = 0;
    quint64 recoveredLoss = 0;
    QString reason;
    qint64 nextTry = 0;
    qint64 overCap = 0;
};

} // namespace history
