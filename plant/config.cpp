#include "plant/config.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QUrl>

namespace plant {

QString configPath() {
    return QStringLiteral("config/plant.ini");
}

namespace {

bool validTopicPart(const QString &text, bool allowSlash) {
    if (text.isEmpty())
        return false;
    for (const QChar c : text) {
        if (c == QLatin1Char('+') || c == QLatin1Char('#') || c.unicode() < 0x20 ||
            c.unicode() == 0x7f)
            return false;
        if (c == QLatin1Char('/') && !allowSlash)
            return false;
    }
    // No empty topic levels: a prefix "a//b" or "/a" would split the plant's topic tree.
    if (allowSlash && (text.startsWith(QLatin1Char('/')) || text.endsWith(QLatin1Char('/')) ||
                       text.contains(QStringLiteral("//"))))
        return false;
    return true;
}

// Checks the url and fills the connection fields; returns an error text or an empty string.
QString applyUrl(const QString &url, Config &config) {
    const QUrl parsed(url, QUrl::StrictMode);
    if (!parsed.isValid() || parsed.host().isEmpty())
        return QStringLiteral("url is not a valid address (expected mqtt://host:1883 or "
                              "mqtts://host:8883)");
    const QString scheme = parsed.scheme().toLower();
    if (scheme != QLatin1String("mqtt") && scheme != QLatin1String("mqtts"))
        return QStringLiteral("url must start with mqtt:// or mqtts://");
    if (!parsed.userInfo().isEmpty())
        return QStringLiteral("url must not hold a user name or password; use the username and "
                              "password keys");
    if (!parsed.path().isEmpty() && parsed.path() != QLatin1String("/"))
        return QStringLiteral("url must not have a path");
    if (parsed.hasQuery() || parsed.hasFragment())
        return QStringLiteral("url must not have a query or fragment");
    config.tls = scheme == QLatin1String("mqtts");
    config.port = parsed.port(config.tls ? 8883 : 1883);
    if (config.port < 1 || config.port > 65535)
        return QStringLiteral("url has a port outside 1 to 65535");
    config.host = parsed.host();
    // IPv6 literals go back in brackets.
    const QString host = config.host.contains(QLatin1Char(':'))
                             ? QLatin1Char('[') + config.host + QLatin1Char(']')
                             : config.host;
    config.serverUri = (config.tls ? QStringLiteral("ssl://") : QStringLiteral("tcp://")) + host +
                       QLatin1Char(':') + QString::number(config.port);
    return QString();
}

QString unquoted(const QString &value) {
    if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"')))
        return value.mid(1, value.size() - 2);
    return value;
}

} // namespace

ConfigResult parseConfig(const QByteArray &text, const QString &fileName) {
    ConfigResult result;
    Config &config = result.config;
    const auto fail = [&](int line, const QString &what) {
        result.error = line > 0 ? QStringLiteral("%1 line %2: %3").arg(fileName).arg(line).arg(what)
                                : QStringLiteral("%1: %2").arg(fileName, what);
        return result;
    };

    const QString decoded = QString::fromUtf8(text);
    if (decoded.contains(QChar::ReplacementCharacter) || text.contains('\0'))
        return fail(0, QStringLiteral("not UTF-8 text"));

    const QStringList lines = decoded.split(QLatin1Char('\n'));
    QString section;
    bool sawSection = false;
    QStringList seen;
    QString url;
    for (int i = 0; i < lines.size(); ++i) {
        const int number = i + 1;
        const QString line = lines.at(i).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')) ||
            line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            if (!line.endsWith(QLatin1Char(']')))
                return fail(number, QStringLiteral("section header without closing ]"));
            section = line.mid(1, line.size() - 2).trimmed();
            if (section != QLatin1String("mqtt"))
                return fail(number, QStringLiteral("unknown section; the only one is [mqtt]"));
            if (sawSection)
                return fail(number, QStringLiteral("[mqtt] appears twice"));
            sawSection = true;
            continue;
        }
        const int equals = line.indexOf(QLatin1Char('='));
        if (equals <= 0)
            return fail(number, QStringLiteral("expected key = value"));
        if (!sawSection)
            return fail(number, QStringLiteral("key before the [mqtt] section"));
        const QString key = line.left(equals).trimmed();
        const QString value = unquoted(line.mid(equals + 1).trimmed());
        if (seen.contains(key))
            return fail(number, QStringLiteral("%1 is given twice").arg(key));
        seen << key;

        if (key == QLatin1String("url"))
            url = value;
        else if (key == QLatin1String("username"))
            config.username = value;
        else if (key == QLatin1String("password"))
            config.password = value;
        else if (key == QLatin1String("ca_file"))
            config.caFile = value;
        else if (key == QLatin1String("topic_prefix"))
            config.topicPrefix = value;
        else if (key == QLatin1String("laser_id"))
            config.laserId = value;
        else
            return fail(number, QStringLiteral("unknown key %1 (known: url, username, password, "
                                               "ca_file, topic_prefix, laser_id)")
                                    .arg(key.left(40)));
    }

    if (!sawSection)
        return fail(0, QStringLiteral("no [mqtt] section"));
    if (url.isEmpty())
        return fail(0, QStringLiteral("url is missing"));
    const QString urlError = applyUrl(url, config);
    if (!urlError.isEmpty())
        return fail(0, urlError);
    if (!config.password.isEmpty() && config.username.isEmpty())
        return fail(0, QStringLiteral("password given without username"));
    if (!config.caFile.isEmpty()) {
        if (!config.tls)
            return fail(0, QStringLiteral("ca_file needs an mqtts:// url"));
        if (!QFileInfo(config.caFile).isReadable())
            return fail(0, QStringLiteral("ca_file %1 cannot be read").arg(config.caFile));
    }
    if (!validTopicPart(config.topicPrefix, true))
        return fail(0, QStringLiteral("topic_prefix must be non-empty, without +, # or empty "
                                      "levels"));
    if (seen.contains(QStringLiteral("laser_id")) && !validTopicPart(config.laserId, false))
        return fail(0, QStringLiteral("laser_id must be non-empty, without /, + or #"));
    return result;
}

ConfigResult loadConfig(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ConfigResult result;
        result.error = QStringLiteral("%1: cannot be read").arg(path);
        return result;
    }
    // A settings file is a few lines; anything far larger is not one.
    const QByteArray text = file.read(64 * 1024 + 1);
    if (text.size() > 64 * 1024) {
        ConfigResult result;
        result.error = QStringLiteral("%1: too large for a settings file").arg(path);
        return result;
    }
    return parseConfig(text, path);
}

QString topicLevel(const QString &text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const bool bad = c == QLatin1Char('/') || c == QLatin1Char('+') || c == QLatin1Char('#') ||
                         c.unicode() < 0x20 || c.unicode() == 0x7f || c.isSpace();
        out += bad ? QLatin1Char('_') : c;
    }
    return out;
}

QString defaultLaserId(const QString &hostName, const QString &portName) {
    const QString host = hostName.isEmpty() ? QStringLiteral("host") : hostName;
    return topicLevel(portName.isEmpty() ? host : host + QLatin1Char('-') + portName);
}

} // namespace plant
