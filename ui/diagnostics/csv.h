#pragma once

#include <QString>
#include <QStringList>

class QAbstractItemModel;

// Comma-separated values as spreadsheets read them: a field with a comma, a double quote, a
// line break or leading/trailing blanks is quoted, its quotes doubled; lines end in CRLF.
namespace diagnostics {

QString csvField(const QString &field);
QString csvLine(const QStringList &fields);
// The header and every row the model holds (display texts), in its order.
QString modelToCsv(const QAbstractItemModel &model);
// Writes `text` as UTF-8; false with the reason when the file cannot be written.
bool writeTextFile(const QString &path, const QString &text, QString *error);

} // namespace diagnostics
