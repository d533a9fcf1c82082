#pragma once

#include <QString>
#include <QStringList>

// Comma-separated values as spreadsheets read them: a field with a comma, a double quote, a
// line break or leading/trailing blanks is quoted, its quotes doubled; lines end in CRLF.
// Text that a spreadsheet would run as a formula (it begins with =, +, -, @, a tab or a
// carriage return) gets a leading ', so a name or a detail from the device stays text.
// The one place that writes CSV cells: the diagnostics window and the support bundle use it.
namespace history {

bool looksLikeFormula(const QString &text);
// One text cell: formula-safe and quoted as needed.
QString csvField(const QString &field);
// A line of text cells.
QString csvLine(const QStringList &fields);
// A line of cells made already: text through csvField, numbers the program wrote itself
// (a temperature, a time in ms) as they are, so that they stay numbers.
QString csvRecord(const QStringList &cells);
// Writes `text` as UTF-8; false with the reason when the file cannot be written.
bool writeTextFile(const QString &path, const QString &text, QString *error);
// A time (ms since 1970) as a CSV cell: ISO 8601 in local time with its offset from UTC,
// "2026-10-25T02:30:00.000+02:00" ("Z" where local time is UTC), so that the hour passed twice
// when the clocks go back reads as two different hours, and a reader elsewhere gets the instant.
QString csvTime(qint64 at);

} // namespace history
