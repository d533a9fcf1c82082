#include "plant/config.h"

#include "plant/config_lines.h"
#include "plant/plant_id.h"
#include "plant/texts.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QUrl>

#include <algorithm>

namespace plant {

QString configPath() {
    return QStringLiteral("config/plant.ini");
}

QString Config::server() const {
    const QString name =
        host.contains(QLatin1Char(':')) ? QLatin1Char('[') + host + QLatin1Char(']') : host;
    return name + QLatin1Char(':') + QString::number(port);
}

namespace {

// Why `value` cannot be used as `key`, where the rule for ids refuses it; empty when it can.
// The prefix is one or more levels, each an id by that rule.
QString idError(const QString &key, const QString &value) {
    const bool prefix = key == QLatin1String("topic_prefix");
    const QString general = prefix ? Texts::tr("topic_prefix 须非空，且不含 +、# 或空的层级")
                                   : Texts::tr("%1 须非空，且不含 /、+ 或 #").arg(key);
    int before = 0; // characters of the levels before, with their '/'
    for (const QString &level : prefix ? value.split(QLatin1Char('/')) : QStringList{value}) {
        const IdCheck check = checkPlantId(level);
        const QString at =
            QStringLiteral("%1").arg(uint(check.character), 4, 16, QLatin1Char('0')).toUpper();
        const int position = before + check.position;
        before += level.toUcs4().size() + 1;
        switch (check.problem) {
        case IdProblem::None:
            continue;
        case IdProblem::Empty:
        case IdProblem::TopicCharacter:
            return general;
        case IdProblem::TooLong:
            return Texts::tr("%1 超过 %2 个字符").arg(key).arg(maxPlantIdCharacters);
        case IdProblem::Blank:
            return Texts::tr("%1 含有空白字符 U+%2（第 %3 个字符）").arg(key, at).arg(position);
        case IdProblem::Invisible:
            return Texts::tr("%1 含有本身不可见的字符 U+%2（第 %3 个字符）")
                .arg(key, at)
                .arg(position);
        case IdProblem::NotComposed:
            return Texts::tr("%1 不是 Unicode 的组合形式（NFC）").arg(key);
        case IdProblem::MixedScripts:
            return Texts::tr("%1 的一个词混用拉丁、希腊或西里尔字母 U+%2（第 %3 个字符）")
                .arg(key, at)
                .arg(position);
        }
    }
    return QString();
}

// Checks the url and fills the connection fields; returns an error text or an empty string.
QString applyUrl(const QString &url, Config &config) {
    const QUrl parsed(url, QUrl::StrictMode);
    if (!parsed.isValid() || parsed.host().isEmpty())
        return Texts::tr("url 不是有效的地址（应为 mqtt://host:1883 或 mqtts://host:8883）");
    const QString scheme = parsed.scheme().toLower();
    if (scheme != QLatin1String("mqtt") && scheme != QLatin1String("mqtts"))
        return Texts::tr("url 必须以 mqtt:// 或 mqtts:// 开头");
    if (!parsed.userInfo().isEmpty())
        return Texts::tr("url 不得含用户名或密码；请用 username 和 password 两个键");
    if (!parsed.path().isEmpty() && parsed.path() != QLatin1String("/"))
        return Texts::tr("url 不得含路径");
    if (parsed.hasQuery() || parsed.hasFragment())
        return Texts::tr("url 不得含查询或片段");
    config.tls = scheme == QLatin1String("mqtts");
    config.port = parsed.port(config.tls ? 8883 : 1883);
    if (config.port < 1 || config.port > 65535)
        return Texts::tr("url 的端口不在 1 到 65535 之间");
    config.host = parsed.host();
    config.serverUri =
        (config.tls ? QStringLiteral("ssl://") : QStringLiteral("tcp://")) + config.server();
    return QString();
}

// The number of one-character edits between two short texts.
int editDistance(const QString &a, const QString &b) {
    QVector<int> row(b.size() + 1);
    for (int j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (int i = 1; i <= a.size(); ++i) {
        int diagonal = row[0];
        row[0] = i;
        for (int j = 1; j <= b.size(); ++j) {
            const int above = row[j];
            row[j] = std::min(
                {above + 1, row[j - 1] + 1, diagonal + (a.at(i - 1) == b.at(j - 1) ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

// An unknown key is quoted back only when it is a known key misspelt (at most two edits away,
// `a` to `z` and `_` only): anything else may be a value typed in the wrong place (a password
// before a stray '=', a passphrase on a line of its own with an '=' in it). Returns the nearest
// known key, or an empty string.
QString nearestKey(const QString &key) {
    if (key.isEmpty() || key.size() > 40)
        return {};
    for (const QChar c : key)
        if (!((c >= QLatin1Char('a') && c <= QLatin1Char('z')) || c == QLatin1Char('_')))
            return {};
    QString nearest;
    int best = 3;
    for (const QString &known : knownKeys()) {
        const int distance = editDistance(key, known);
        if (distance < best) {
            best = distance;
            nearest = known;
        }
    }
    return nearest;
}

// The line of the first character that is not UTF-8 (or a NUL), or 0 when there is none; lines
// counted as configLines counts them.
int firstBadLine(const QString &text) {
    int line = 1;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isNull() || c == QChar::ReplacementCharacter)
            return line;
        if (c == QLatin1Char('\n') ||
            (c == QLatin1Char('\r') &&
             (i + 1 == text.size() || text.at(i + 1) != QLatin1Char('\n'))))
            ++line;
    }
    return 0;
}

} // namespace

ConfigResult parseConfig(const QByteArray &text, const QString &fileName) {
    ConfigResult result;
    Config &config = result.config;
    const auto fail = [&](int line, const QString &what) {
        result.error = line > 0
                           ? Texts::tr("%1 第%2行: %3").arg(fileName, QString::number(line), what)
                           : QStringLiteral("%1: %2").arg(fileName, what);
        return result;
    };

    // Every byte (Qt 5's fromUtf8 of a QByteArray stops at a NUL), so that a NUL is refused.
    const QString decoded = QString::fromUtf8(text.constData(), text.size());
    if (const int bad = firstBadLine(decoded))
        return fail(bad, Texts::tr("不是 UTF-8 文本"));

    bool sawSection = false;
    // The line of each key given, for the checks after the last line.
    QHash<QString, int> lineOf;
    QString url;
    for (const ConfigLine &line : configLines(decoded)) {
        const int number = line.number;
        if (line.kind == ConfigLine::Blank || line.kind == ConfigLine::Remark)
            continue;
        if (line.kind == ConfigLine::Section) {
            if (line.key != QLatin1String("mqtt"))
                return fail(number, Texts::tr("未知的节；唯一的节是 [mqtt]"));
            if (sawSection)
                return fail(number, Texts::tr("[mqtt] 出现了两次"));
            sawSection = true;
            continue;
        }
        if (line.kind == ConfigLine::UnclosedSection)
            return fail(number, Texts::tr("节标题缺少 ]"));
        if (line.kind == ConfigLine::NotAnEntry)
            return fail(number, Texts::tr("应为 键 = 值"));
        if (!sawSection)
            return fail(number, Texts::tr("[mqtt] 节之前有键"));
        const QString &key = line.key;
        const QString &value = line.value;
        const QString known =
            QStringList(knownKeys().begin(), knownKeys().end()).join(QStringLiteral(", "));
        if (!knownKeys().contains(key)) {
            // Naming the one key meant keeps the line short; the whole list only when none is near.
            const QString nearest = nearestKey(key);
            if (nearest.isEmpty())
                return fail(number, Texts::tr("未知的键（已知: %1）").arg(known));
            return fail(number, Texts::tr("未知的键 %1，是否为 %2？").arg(key, nearest));
        }
        if (lineOf.contains(key))
            return fail(number, Texts::tr("%1 给出了两次").arg(key));
        lineOf.insert(key, number);

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
        else if (key == QLatin1String("group_id"))
            config.groupId = value;
        else if (key == QLatin1String("primary_host_id"))
            config.primaryHostId = value;
        else if (key == QLatin1String("format")) {
            const QStringList formats{QStringLiteral("json"), QStringLiteral("sparkplug"),
                                      QStringLiteral("both")};
            if (!formats.contains(value))
                return fail(number, Texts::tr("format 须为 json、sparkplug 或 both"));
            config.format = Format(formats.indexOf(value));
        } else if (key == QLatin1String("protocol") || key.endsWith(QLatin1String("_file"))) {
            // The rest are files and the protocol version: none may be given empty.
            if (value.isEmpty())
                return fail(number, Texts::tr("%1 为空").arg(key));
            if (key == QLatin1String("protocol") && value != QLatin1String("5") &&
                value != QLatin1String("3.1.1"))
                return fail(number, Texts::tr("protocol 须为 5 或 3.1.1"));
            if (key == QLatin1String("protocol"))
                config.protocol = value == QLatin1String("5") ? Protocol::Mqtt5 : Protocol::Mqtt311;
            else if (key == QLatin1String("password_file"))
                config.passwordFile = value;
            else if (key == QLatin1String("cert_file"))
                config.certFile = value;
            else if (key == QLatin1String("key_file"))
                config.keyFile = value;
            else if (key == QLatin1String("key_password_file"))
                config.keyPasswordFile = value;
            else
                return fail(number, Texts::tr("未知的键（已知: %1）").arg(known));
        } else
            return fail(number, Texts::tr("未知的键（已知: %1）").arg(known));
    }
    config.fileName = fileName;
    config.lines = lineOf;

    if (!sawSection)
        return fail(0, Texts::tr("没有 [mqtt] 节"));
    if (url.isEmpty())
        return fail(lineOf.value(QStringLiteral("url")), Texts::tr("缺少 url"));
    const QString urlError = applyUrl(url, config);
    if (!urlError.isEmpty())
        return fail(lineOf.value(QStringLiteral("url")), urlError);
    if (!config.password.isEmpty() && config.username.isEmpty())
        return fail(lineOf.value(QStringLiteral("password")),
                    Texts::tr("给出了 password 却没有 username"));
    const auto given = [&](const char *key) { return lineOf.value(QLatin1String(key)); };
    if (given("password") && given("password_file"))
        return fail(std::max(given("password"), given("password_file")),
                    Texts::tr("password 和 password_file 只能给出一个"));
    if (given("password_file") && config.username.isEmpty())
        return fail(given("password_file"), Texts::tr("给出了 password_file 却没有 username"));
    if (given("cert_file") && !given("key_file"))
        return fail(given("cert_file"), Texts::tr("给出了 cert_file 却没有 key_file"));
    if (given("key_file") && !given("cert_file"))
        return fail(given("key_file"), Texts::tr("给出了 key_file 却没有 cert_file"));
    if (given("key_password_file") && !given("key_file"))
        return fail(given("key_password_file"),
                    Texts::tr("给出了 key_password_file 却没有 key_file"));
    if (given("cert_file") && !config.tls)
        return fail(given("cert_file"), Texts::tr("cert_file 需要 mqtts:// 的 url"));
    if (!config.caFile.isEmpty()) {
        const int line = lineOf.value(QStringLiteral("ca_file"));
        if (!config.tls)
            return fail(line, Texts::tr("ca_file 需要 mqtts:// 的 url"));
        // The system's reason, never the path: the line number says where it was written. Only
        // a missing or unreadable file is opened for the reason (a pipe would block the open).
        const QFileInfo info(config.caFile);
        if (!info.isFile() || !info.isReadable()) {
            QString reason = Texts::tr("不是普通文件");
            if (!info.exists() || info.isFile()) {
                QFile ca(config.caFile);
                if (!ca.open(QIODevice::ReadOnly))
                    reason = ca.errorString();
            }
            return fail(line, Texts::tr("ca_file 无法读取: %1").arg(reason));
        }
    }
    if (config.sparkplug() && !lineOf.contains(QStringLiteral("group_id")))
        return fail(given("format"), Texts::tr("format = sparkplug 或 both 需要 group_id"));
    const std::pair<QString, const QString *> ids[] = {
        {QStringLiteral("topic_prefix"), &config.topicPrefix},
        {QStringLiteral("laser_id"), &config.laserId},
        {QStringLiteral("group_id"), &config.groupId},
        {QStringLiteral("primary_host_id"), &config.primaryHostId}};
    for (const auto &id : ids) {
        // The id made from the host's name is checked where it is made.
        if (id.first != QLatin1String("topic_prefix") && !lineOf.contains(id.first))
            continue;
        const QString problem = idError(id.first, *id.second);
        if (!problem.isEmpty())
            return fail(lineOf.value(id.first), problem);
    }
    return result;
}

QString defaultLaserId(const QString &hostName, const QString &portName) {
    const QString host = hostName.isEmpty() ? QStringLiteral("host") : hostName;
    return plantIdFrom(portName.isEmpty() ? host : host + QLatin1Char('-') + portName);
}

} // namespace plant
