#pragma once

#include "alarms/decisions.h"

#include <QByteArray>
#include <QString>

#include <vector>

// The shelves kept over a restart: "./config/shelves.gl" beside the language and view files,
// one shelf a line, tab-separated: key, shelved at, ends at (ms since 1970, UTC), minutes,
// user, reason; lines starting with '#' are remarks. The program writes it; a file that holds
// anything it would not write (a damaged or edited line, a key twice, odd characters, a time
// out of range) gives no shelves at all: a shelf silences an alarm, so in doubt none holds.
//
// Reading and writing are bounded (at most shelfFileLimit bytes, never a pipe, a device, a
// folder or a symbolic link) and touch nothing but their arguments and the file: they may run
// on any thread, and the saves one after another, in the order the changes were decided.
namespace alarms {

QString shelfFilePath(); // "./config/shelves.gl"

constexpr qint64 shelfFileLimit = 256 * 1024;
constexpr int shelfLimit = 256;
// Times a shelf may bear: ms since 1970 up to the end of the year 9999.
constexpr qint64 latestShelfTime = 253402300799999;

enum class ShelfProblem {
    None,
    SymbolicLink, // not followed
    NotRegular,   // a folder, a pipe, a device
    Unreadable,   // the system's reason in `error`
    TooLarge,     // over shelfFileLimit bytes
    BadLine,      // a line it would not write, at `badLine`
};

struct ShelfRead {
    std::vector<Shelf> shelves;
    ShelfProblem problem = ShelfProblem::None;
    int badLine = 0; // 1 for the first line
    QString error;
};

ShelfRead parseShelves(const QByteArray &content);
QByteArray shelfFileContent(const std::vector<Shelf> &shelves);

// A missing file is no problem: no shelves.
ShelfRead readShelves(const QString &path = shelfFilePath());
// Why the file at `path` gave no shelves, in English (standard error, the support bundle's
// notes); empty when nothing is wrong with it.
QString shelfProblemText(const ShelfRead &read, const QString &path = shelfFilePath());

// Applies the changes to what the file holds now (another program in the same folder may have
// written shelves of its own meanwhile) and replaces it atomically. A damaged file is replaced;
// a symbolic link, a pipe, a device, a folder or a read-only file is left as it is: false and
// why (English, for standard error and the status line). A shelf beyond shelfLimit is not
// saved, the others are: false too, the keys named.
bool saveShelfChanges(const std::vector<ShelfChange> &changes, QString *error,
                      const QString &path = shelfFilePath());

} // namespace alarms
