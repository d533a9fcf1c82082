#pragma once

#include <QString>

// The user's interface language, kept in a one-line text file relative to the working
// directory. The words are lower case and compared case-sensitively.
namespace preference {

extern const QString requestRead; // "read"
extern const QString chinese;     // "chinese"
extern const QString english;     // "english"

QString languageFilePath(); // "./config/language.gl"
QString configDirectory();  // "config"

// The first valid value in `content`: a line whose first "="-separated field is "language";
// its fields are examined in order and the first that equals "chinese" or "english" wins.
// Fields are compared after QString::simplified. Returns an empty string when no line gives
// a value. Accepts LF and CRLF line ends and a leading byte-order mark.
QString parseLanguage(const QString &content);

// "language = " + value: exactly one line, no terminator.
QByteArray fileContent(const QString &value);

// The catalogue for a language: "./language/lang_Chinese.qm", "./language/lang_English.qm",
// or empty for anything else.
QString catalogueFor(const QString &lang);

// Why a write of the preference file failed; each maps to one message box.
enum class WriteFailure { None, OpenFile, CreateDirectory, CreateFile };

// Replaces the content of an existing preference file atomically, so that a failed write
// keeps the old content; where "config" is not writable but the file is, the file is
// rewritten in place. Returns WriteFailure::OpenFile when the file cannot be written.
WriteFailure rewriteExisting(const QString &value);

// Creates "config" (one level) if needed and the file holding "language = chinese". Reports
// the first failure; after a failed directory the file is still attempted.
QList<WriteFailure> createDefault();

} // namespace preference
