#pragma once

#include <QString>
#include <QStringList>

// Comma-separated values as spreadsheets read them: a field with a comma, a double quote, a
// line break or leading/trailing blanks is quoted, its quotes doubled; lines end in CRLF.
// The one place that writes CSV cells: the diagnostics window and the support bundle use it.
namespace history {

QString csvField(const QString &field);
QString csvLine(const QStringList &fields);
// Writes `text` as UTF-8; false with the reason when the file cannot be written.
bool writeTextFile(const QString &path, const QString &text, QString *error);

} // namespace history
