#pragma once

#include <QFile>
#include <QFileInfoList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

// Which files of log/ the support bundle takes, and where its archive lands. A name in log/ is
// no more than a name: a symbolic link (to /etc/shadow, to config/plant.ini), a second name of
// a file elsewhere, a pipe or a device is never read, and the archive never lands in log/ or
// config/, whatever links its own name goes through.
namespace service {

struct CaptureFiles {
    QFileInfoList files; // plain capture files last written within the period, in name order
    // Every other entry named as a capture file: how many, and "name (why)" of the first 20.
    int leftOut = 0;
    QStringList leftOutNames;
};
// The entries of `log` named capture-*.txt; `since` 0 takes all.
CaptureFiles captureFiles(const QString &log, qint64 since);

// Opens a plain file of its own for reading without following a link, never waiting on a pipe:
// false, with `why`, for anything else (a link, a second name of a file, a pipe, a device).
bool openPlainFile(QFile &file, QString *why);

// The names an archive written to `outputPath` goes through, absolute, the last the file it
// ends up as: QSaveFile follows links, a dangling one included, up to 128 deep (a deeper chain
// or a loop: it replaces the name itself).
QStringList archiveNames(const QString &outputPath);

// Whether `path` lies in `folder` or below it, their links followed.
bool isInFolder(const QString &path, const QString &folder);

// Why nothing may be written to `outputPath` (translated), or empty: written as QSaveFile
// writes (see archiveNames), it would land in `logDir` or `configDir`, or go through a link
// there. No export replaces a file of the program's own, present or yet to come (the history,
// its write-ahead log, a capture, a settings file), nor one a link among them leads to.
QString ownFolderTarget(const QString &outputPath, const QString &logDir, const QString &configDir);

} // namespace service
