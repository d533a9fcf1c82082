#include "plant/config_lines.h"

#include <QFileInfo>
#include <QUrl>

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
        // Sparkplug B: json, sparkplug or both; the group's and the primary host's ids.
        QStringLiteral("format"),
        QStringLiteral("group_id"),
        QStringLiteral("primary_host_id"),
    };
    return keys;
}

bool isSecretKey(const QString &key) {
    return key == QLatin1String("password");
}

ValueForm valueForm(const QString &key) {
    if (key == QLatin1String("url"))
        return ValueForm::Url;
    return key.endsWith(QLatin1String("_file")) ? ValueForm::Path : ValueForm::Word;
}

namespace {

// A character a value may hold when it is copied: nothing that ends a value or starts a remark
// elsewhere, nothing invisible and nothing that turns text around.
bool plainCharacter(QChar c) {
    switch (c.category()) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_Surrogate:
    case QChar::Other_PrivateUse:
    case QChar::Other_NotAssigned:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return false;
    default:
        break;
    }
    return c != QChar::ReplacementCharacter && !QStringLiteral("=;#\"'`").contains(c);
}

bool strictWord(const QString &value) {
    for (const QChar c : value)
        if (c.isSpace() || !plainCharacter(c))
            return false;
    return true;
}

// A path may hold single blanks inside it ("C:\Program Files\..."), no other space.
bool strictPath(const QString &value) {
    for (int i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c == QLatin1Char(' ')) {
            if (i == 0 || i + 1 == value.size() || value.at(i + 1) == QLatin1Char(' '))
                return false;
        } else if (c.isSpace() || !plainCharacter(c)) {
            return false;
        }
    }
    return true;
}

bool hostCharacters(const QString &host, bool ipv6) {
    for (const QChar c : host) {
        const char l = c.toLatin1();
        const bool digit = l >= '0' && l <= '9';
        const bool ok = ipv6 ? digit || (l >= 'a' && l <= 'f') || l == ':' || l == '.'
                             : digit || (l >= 'a' && l <= 'z') || l == '.' || l == '-' || l == '_';
        if (!ok)
            return false;
    }
    return true;
}

std::optional<KeptValue> keptUrl(const QString &value) {
    const QUrl url(value, QUrl::StrictMode);
    if (!url.isValid())
        return std::nullopt;
    const QString scheme = url.scheme().toLower();
    static const QStringList schemes = {QStringLiteral("mqtt"), QStringLiteral("mqtts"),
                                        QStringLiteral("tcp"),  QStringLiteral("ssl"),
                                        QStringLiteral("ws"),   QStringLiteral("wss")};
    if (!schemes.contains(scheme))
        return std::nullopt;
    const QString host = url.host(QUrl::FullyEncoded).toLower();
    const bool ipv6 = host.contains(QLatin1Char(':'));
    if (host.isEmpty() || !hostCharacters(host, ipv6))
        return std::nullopt;
    KeptValue kept;
    kept.text =
        scheme + QStringLiteral("://") + (ipv6 ? QLatin1Char('[') + host + QLatin1Char(']') : host);
    if (url.port() >= 0)
        kept.text += QLatin1Char(':') + QString::number(url.port());
    if (url.authority(QUrl::FullyEncoded).contains(QLatin1Char('@')))
        kept.leftOut << QStringLiteral("user part");
    if (!url.path().isEmpty() && url.path() != QLatin1String("/"))
        kept.leftOut << QStringLiteral("path");
    if (url.hasQuery())
        kept.leftOut << QStringLiteral("query");
    if (url.hasFragment())
        kept.leftOut << QStringLiteral("fragment");
    return kept;
}

} // namespace

std::optional<KeptValue> keptValue(const QString &key, const QString &value) {
    if (!knownKeys().contains(key) || isSecretKey(key) || value.size() > longestKeptValue)
        return std::nullopt;
    if (value.isEmpty())
        return KeptValue();
    switch (valueForm(key)) {
    case ValueForm::Url:
        return keptUrl(value);
    case ValueForm::Path:
        if (!strictPath(value) || !QFileInfo::exists(value))
            return std::nullopt;
        break;
    case ValueForm::Word:
        if (!strictWord(value))
            return std::nullopt;
        break;
    }
    KeptValue kept;
    kept.text = value;
    return kept;
}

} // namespace plant
