#pragma once

#include <QString>
#include <QVector>

namespace plant {

// One line of config/plant.ini as the one reader of that file sees it. Whatever reads the file
// (the plant link, the fleet view, the support bundle's copy of it) starts from these lines, so
// no second, looser reading can disagree about where a line ends or what its key is.
struct ConfigLine {
    enum Kind {
        Blank,
        Remark,          // starts with ';' or '#'
        Section,         // [name]; `key` holds the name
        Entry,           // key = value; `value` trimmed and unquoted
        UnclosedSection, // starts with '[' but does not end with ']'
        NotAnEntry,      // anything else: no '=', or nothing before it
    };
    int number = 0; // 1-based
    Kind kind = Blank;
    QString key;
    QString value;
};

// Splits on every line end a person's editor writes ("\r\n", "\n" and a lone "\r"); a leading
// byte-order mark is not part of the first line.
QVector<ConfigLine> configLines(const QString &text);

// The keys of the [mqtt] section, and which of them hold a secret. A secret never leaves the
// program: not in a message, a status line, a log line or a support bundle.
const QVector<QString> &knownKeys();
bool isSecretKey(const QString &key);

} // namespace plant
