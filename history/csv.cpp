#include "history/csv.h"

#include <QDateTime>
#include <QSaveFile>

namespace history {

bool looksLikeFormula(const QString &text) {
    if (text.isEmpty())
        return false;
    const QChar first = text.front();
    return first == QLatin1Char('=') || first == QLatin1Char('+') || first == QLatin1Char('-') ||
           first == QLatin1Char('@') || first == QLatin1Char('\t') || first == QLatin1Char('\r');
}

QString csvField(const QString &text) {
    const QString field = looksLikeFormula(text) ? QLatin1Char('\'') + text : text;
    const bool quote = field.contains(QLatin1Char(',')) || field.contains(QLatin1Char('"')) ||
                       field.contains(QLatin1Char('\n')) || field.contains(QLatin1Char('\r')) ||
                       (!field.isEmpty() && (field.front().isSpace() || field.back().isSpace()));
    if (!quote)
        return field;
    QString out = field;
    out.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + out + QLatin1Char('"');
}

QString csvRecord(const QStringList &cells) {
    return cells.join(QLatin1Char(',')) + QLatin1String("\r\n");
}

QString csvLine(const QStringList &fields) {
    QStringList quoted;
    quoted.reserve(fields.size());
    for (const QString &f : fields)
        quoted.append(csvField(f));
    return csvRecord(quoted);
}

bool writeTextFile(const QString &path, const QString &text, QString *error) {
    QSaveFile file(path);
    const QByteArray bytes = text.toUtf8();
    // Written out before commit(), which would rename a file whose last bytes could not be
    // written (a full disk) into place all the same, over the file that was there.
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush() ||
        file.error() != QFileDevice::NoError || !file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

QString csvTime(qint64 at) {
    const QDateTime local = QDateTime::fromMSecsSinceEpoch(at);
    return local.toOffsetFromUtc(local.offsetFromUtc()).toString(Qt::ISODateWithMs);
}

} // namespace history
