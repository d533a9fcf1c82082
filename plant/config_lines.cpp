#include "plant/config_lines.h"

namespace plant {

namespace {

QString unquoted(const QString &value) {
    if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"')))
        return value.mid(1, value.size() - 2);
    return value;
}

ConfigLine readLine(const QString &raw, int number) {
    ConfigLine line;
    line.number = number;
    const QString text = raw.trimmed();
    if (text.isEmpty())
        return line;
    if (text.startsWith(QLatin1Char(';')) || text.startsWith(QLatin1Char('#'))) {
        line.kind = ConfigLine::Remark;
        return line;
    }
    if (text.startsWith(QLatin1Char('['))) {
        line.kind =
            text.endsWith(QLatin1Char(']')) ? ConfigLine::Section : ConfigLine::UnclosedSection;
        if (line.kind == ConfigLine::Section)
            line.key = text.mid(1, text.size() - 2).trimmed();
        return line;
    }
    const int equals = text.indexOf(QLatin1Char('='));
    if (equals <= 0) {
        line.kind = ConfigLine::NotAnEntry;
        return line;
    }
    line.kind = ConfigLine::Entry;
    line.key = text.left(equals).trimmed();
    line.value = unquoted(text.mid(equals + 1).trimmed());
    return line;
}

} // namespace

QVector<ConfigLine> configLines(const QString &text) {
    QVector<ConfigLine> lines;
    int start = text.startsWith(QChar(0xFEFF)) ? 1 : 0;
    int number = 1;
    while (start <= text.size()) {
        int end = start;
        while (end < text.size() && text.at(end) != QLatin1Char('\n') &&
               text.at(end) != QLatin1Char('\r'))
            ++end;
        lines.append(readLine(text.mid(start, end - start), number++));
        if (end >= text.size())
            break;
        // "\r\n" is one line end.
        start = end + (text.at(end) == QLatin1Char('\r') && end + 1 < text.size() &&
                               text.at(end + 1) == QLatin1Char('\n')
                           ? 2
                           : 1);
    }
    return lines;
}

const QVector<QString> &knownKeys() {
    static const QVector<QString> keys = {
        QStringLiteral("url"),
        QStringLiteral("username"),
        QStringLiteral("password"),
        QStringLiteral("ca_file"),
        QStringLiteral("topic_prefix"),
        QStringLiteral("laser_id"),
        // Paths and a version: the files they name hold secrets, the values do not.
        QStringLiteral("cert_file"),
        QStringLiteral("key_file"),
        QStringLiteral("key_password_file"),
        QStringLiteral("password_file"),
        QStringLiteral("protocol"),
    };
    return keys;
}

bool isSecretKey(const QString &key) {
    return key == QLatin1String("password");
}

} // namespace plant
