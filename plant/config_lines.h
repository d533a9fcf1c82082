#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>

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

// What a value may look like when it leaves the program (a support bundle): `url` is a url, a
// key ending in `_file` names a file, every other key holds one word.
enum class ValueForm { Word, Path, Url };
ValueForm valueForm(const QString &key);

// A value copied out of the file: a known key that holds no secret, its value in its key's
// strict form. A word has no blank, a path only single blanks inside it; neither has '=', ';',
// '#', a quote, a control or format character or a character that was not UTF-8. A url is
// rebuilt from its parsed scheme, host and port; `leftOut` names the parts it had besides
// ("user part", "path", "query", "fragment"), which are never copied.
// Longer than any host, path or name a plant uses: a longer value is never copied.
constexpr int longestKeptValue = 1024;

struct KeptValue {
    QString text;
    QStringList leftOut;
};
// Nothing for a secret or unknown key, or a value not in its key's form: the line is then left
// out whole, never cut down to a part that looks safe. A path is kept only when it names
// something on this PC (looked up, never opened): a secret typed in a path's place
// (`key_password_file = the passphrase`) is a path to nothing.
std::optional<KeptValue> keptValue(const QString &key, const QString &value);

} // namespace plant
