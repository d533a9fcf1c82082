#include "service/redact.h"

#include "plant/config_lines.h"
#include "preference/language_preference.h"

#include <QStringList>

namespace service {

RebuiltConfig rebuiltPlantConfig(const QByteArray &bytes) {
    QByteArray text = bytes;
    const bool cut = text.size() > plantConfigReadLimit;
    if (cut) {
        // The line the limit falls in goes with the rest: a part of it could look like a value.
        text.truncate(plantConfigReadLimit);
        text.truncate(qMax(text.lastIndexOf('\n'), text.lastIndexOf('\r')) + 1);
    }
    RebuiltConfig out;
    QStringList lines;
    QStringList remarks;
    // Every byte decoded (Qt 5's fromUtf8 of a QByteArray stops at a NUL): a NUL is then a
    // control character in its line, which is left out, and the lines after it are counted.
    const QString decoded = QString::fromUtf8(text.constData(), text.size());
    for (const plant::ConfigLine &line : plant::configLines(decoded)) {
        std::optional<plant::KeptValue> kept;
        if (line.kind == plant::ConfigLine::Entry)
            kept = plant::keptValue(line.key, line.value);
        if (line.kind == plant::ConfigLine::Blank) {
            lines << QString();
        } else if (line.kind == plant::ConfigLine::Section && line.key == QLatin1String("mqtt")) {
            lines << QStringLiteral("[mqtt]");
        } else if (kept) {
            lines << (kept->text.isEmpty() ? line.key + QStringLiteral(" =")
                                           : line.key + QStringLiteral(" = ") + kept->text);
            if (!kept->leftOut.isEmpty())
                remarks << QStringLiteral("# line %1: the %2 of the url left out")
                               .arg(line.number)
                               .arg(kept->leftOut.join(QStringLiteral(", ")));
        } else {
            lines << QStringLiteral("# line %1 left out").arg(line.number);
            out.leftOut << line.number;
        }
    }
    // A file ending in a line end has no last line of its own.
    if (!lines.isEmpty() && lines.constLast().isEmpty() &&
        (text.endsWith('\n') || text.endsWith('\r') || text.isEmpty()))
        lines.removeLast();
    if (cut)
        remarks << QStringLiteral("# the file goes on beyond %1 bytes: the rest left out")
                       .arg(plantConfigReadLimit);
    remarks << QStringLiteral("# rebuilt for a support bundle from known keys that hold no "
                              "secret: %1 of %2 lines left out")
                   .arg(out.leftOut.size())
                   .arg(lines.size());
    out.text = (lines + remarks).join(QLatin1Char('\n')).toUtf8() + '\n';
    return out;
}

QByteArray rebuiltLanguageFile(const QByteArray &bytes) {
    const QString language =
        preference::parseLanguage(QString::fromUtf8(bytes.left(plantConfigReadLimit)));
    return language.isEmpty()
               ? QByteArrayLiteral("# rebuilt for a support bundle: the file gives no language\n")
               : preference::fileContent(language) + '\n';
}

} // namespace service
