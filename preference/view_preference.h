#pragma once

#include <QByteArray>
#include <QString>

// The operator's view choices, kept in "./config/view.gl" beside the language file, one
// "key = value" line each:
//   notifications = on | off   desktop notifications of alarms and a lost link (on by default)
//   lamp_shapes = on | off      lamps drawn with a shape beside their colour (off by default)
// Reading never fails: a missing, unreadable or odd file gives the defaults for what it does
// not say.
namespace preference {

struct ViewChoices {
    bool notifications = true;
    bool lampShapes = false;
};

QString viewFilePath(); // "./config/view.gl"

// Only this much of the file is looked at; the file we write holds some 40 bytes.
constexpr qint64 viewFileReadLimit = 4096;

// The choices `content` gives: per key, the first line whose value is "on" or "off" (compared
// after QString::simplified, case-sensitive). LF or CRLF, a leading byte-order mark; anything
// else is skipped.
ViewChoices parseViewChoices(const QByteArray &content);
QByteArray viewFileContent(const ViewChoices &choices);

// Reads the file. `problem`, when given, says in English why the file (present but not a
// readable regular file, or longer than the limit) was not read in full; empty otherwise.
ViewChoices readViewChoices(QString *problem = nullptr);

// Replaces the file atomically (creating "config" if needed); false and why when it cannot, in
// the program's own words in the language installed (the file's name is not in them).
bool writeViewChoices(const ViewChoices &choices, QString *error);

} // namespace preference
