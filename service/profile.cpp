#include "service/profile.h"

#include "plant/visible_text.h"
#include "service/settings_fields.h"
#include "service/texts.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QSaveFile>
#include <QSet>
#include <QVector>

#include <limits>

namespace service {

namespace {

const QString formatName = QStringLiteral("laser-host ccb settings");

// The text fields every profile carries, with their members.
struct TextKey {
    const char *key;
    QString SettingsProfile::*member;
};
const TextKey textKeys[] = {
    {"product_type", &SettingsProfile::productType},
    {"serial_number", &SettingsProfile::serialNumber},
    {"ccb_version", &SettingsProfile::ccbVersion},
    {"port", &SettingsProfile::port},
};

ProfileLoad refused(const QString &why) {
    ProfileLoad r;
    r.error = why;
    return r;
}

QString utcText(qint64 ms) {
    return QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC).toString(Qt::ISODateWithMs);
}

// Checks one entry of "fields" against the raw value; empty when it is well formed.
QString checkField(const QJsonValue &entry, const protocol::SystemSettings &raw, QStringList *seen,
                   QStringList *disagreements) {
    if (!entry.isObject())
        return Texts::tr("\"fields\" 中有一项不是对象");
    const QJsonObject o = entry.toObject();
    const QString name = o.value(QStringLiteral("name")).toString();
    const SettingsField *field = findSettingsField(name);
    if (!field)
        return Texts::tr("未知字段 \"%1\"").arg(visibleText(name));
    if (seen->contains(name))
        return Texts::tr("字段 \"%1\" 出现两次").arg(name);
    seen->append(name);
    const QJsonValue v = o.value(QStringLiteral("value"));
    int given = 0;
    if (field->kind == SettingsField::Flag) {
        if (!v.isBool())
            return Texts::tr("字段 \"%1\" 的值应为 true 或 false").arg(name);
        given = v.toBool() ? 1 : 0;
    } else {
        const double d = v.toDouble(-1);
        // The range before the cast: a number beyond int (1e300) has no int to compare with.
        if (!v.isDouble() || !(d >= 0 && d <= double(std::numeric_limits<int>::max())) ||
            d != double(int(d)))
            return Texts::tr("字段 \"%1\" 的值应为非负整数").arg(name);
        given = int(d);
    }
    const int actual = fieldValue(*field, raw);
    if (given != actual)
        disagreements->append(fieldCaption(*field) + QStringLiteral(": ") +
                              Texts::tr("文件写着 %1, 原始值为 %2")
                                  .arg(field->kind == SettingsField::Flag
                                           ? (given ? Texts::tr("是") : Texts::tr("否"))
                                           : QString::number(given),
                                       fieldText(*field, raw)));
    return QString();
}

} // namespace

QString visibleText(const QString &text, int most) {
    // One rule for text shown as what it is, in both programs.
    const QString shown = plant::visibleText(text, most);
    return text.size() > most ? shown + QStringLiteral("...") : shown;
}

QString repeatedJsonKey(const QByteArray &text) {
    // One set of keys per open object; an array's level holds none.
    struct Level {
        bool object;
        bool expectKey;
        QSet<QByteArray> keys;
    };
    QVector<Level> levels;
    for (int i = 0; i < text.size(); ++i) {
        const char c = text.at(i);
        if (c == '{' || c == '[') {
            levels.append({c == '{', c == '{', {}});
        } else if (c == '}' || c == ']') {
            if (!levels.isEmpty())
                levels.removeLast();
        } else if (c == ',' && !levels.isEmpty()) {
            levels.last().expectKey = levels.last().object;
        } else if (c == '"') {
            const int start = i;
            for (++i; i < text.size() && text.at(i) != '"'; ++i)
                if (text.at(i) == '\\')
                    ++i;
            if (levels.isEmpty() || !levels.last().expectKey)
                continue;
            levels.last().expectKey = false;
            QByteArray key = text.mid(start + 1, i - start - 1);
            // A key written with escapes is compared as the text they stand for.
            if (key.contains('\\'))
                key =
                    QJsonDocument::fromJson("[\"" + key + "\"]").array().at(0).toString().toUtf8();
            if (levels.last().keys.contains(key))
                return QString::fromUtf8(key);
            levels.last().keys.insert(key);
        }
    }
    return QString();
}

protocol::SystemSettings SettingsProfile::settings() const {
    return value.size() == protocol::systemSettingsSize
               ? protocol::decodeSystemSettings(value.constData())
               : protocol::SystemSettings();
}

QByteArray profileJson(const SettingsProfile &p) {
    const protocol::SystemSettings decoded = p.settings();
    QJsonArray fields;
    for (const SettingsField &f : settingsFields()) {
        QJsonObject o;
        o.insert(QStringLiteral("name"), QLatin1String(f.name));
        // The caption as the page's source text: files of one laser diff alike whatever
        // language they were saved in.
        o.insert(QStringLiteral("caption"), QString::fromUtf8(f.caption));
        if (f.kind == SettingsField::Flag)
            o.insert(QStringLiteral("value"), fieldValue(f, decoded) != 0);
        else
            o.insert(QStringLiteral("value"), fieldValue(f, decoded));
        fields.append(o);
    }
    QJsonObject root;
    root.insert(QStringLiteral("format"), formatName);
    root.insert(QStringLiteral("version"), SettingsProfile::formatVersion);
    root.insert(QStringLiteral("value"), valueHex(p.value));
    root.insert(QStringLiteral("saved_at"), utcText(p.savedAt));
    for (const TextKey &k : textKeys)
        root.insert(QLatin1String(k.key), p.*k.member);
    root.insert(QStringLiteral("fields"), fields);
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

ProfileLoad parseProfile(const QByteArray &text) {
    if (text.size() > SettingsProfile::maxFileBytes)
        return refused(
            Texts::tr("文件过大 (超过 %1 字节), 不是设定文件").arg(SettingsProfile::maxFileBytes));
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(text, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return refused(Texts::tr("不是有效的 JSON (第 %1 字节: %2)")
                           .arg(parseError.offset)
                           .arg(parseError.errorString()));
    if (!doc.isObject())
        return refused(Texts::tr("不是设定文件: 顶层不是对象"));
    const QString repeated = repeatedJsonKey(text);
    if (!repeated.isEmpty())
        return refused(Texts::tr("键 %1 在同一个对象中出现了两次").arg(visibleText(repeated)));
    const QJsonObject root = doc.object();
    if (root.value(QStringLiteral("format")).toString() != formatName)
        return refused(Texts::tr("不是设定文件: 缺少 \"format\" 或其值不对"));
    const QJsonValue version = root.value(QStringLiteral("version"));
    if (!version.isDouble() || version.toDouble() != double(version.toInt()) || version.toInt() < 1)
        return refused(Texts::tr("\"version\" 缺失或无效"));
    if (version.toInt() > SettingsProfile::formatVersion)
        return refused(Texts::tr("文件格式版本 %1 较新, 本程序只能读取版本 %2")
                           .arg(version.toInt())
                           .arg(SettingsProfile::formatVersion));

    ProfileLoad r;
    const QJsonValue value = root.value(QStringLiteral("value"));
    if (!value.isString())
        return refused(Texts::tr("缺少字段 \"%1\"").arg(QStringLiteral("value")));
    r.profile.value = valueFromHex(value.toString());
    if (r.profile.value.isEmpty())
        return refused(Texts::tr("\"value\" 无法解码: 应为 7 个十六进制字节"));
    for (const char byte : r.profile.value)
        if (byte & 0x80)
            return refused(Texts::tr("\"value\" 无法解码: 字节的第 7 位必须为 0"));
    // Only what the page's own controls could give is ever written to the laser.
    const QString beyond = beyondPage(r.profile.settings());
    if (!beyond.isEmpty())
        return refused(beyond);
    // Every field zero is what the page holds before any read-back, not a laser's settings; a
    // leakage limit of 0 is one the spin box shows but below the 50..4050 its caption names.
    if (r.profile.settings() == protocol::SystemSettings())
        r.caution = Texts::tr("文件中的所有字段都为零: 没有屏蔽任何警报, 漏光上限为 0 (低于 "
                              "50..4050)。这是读回之前的空值, 不像激光器的设定。");
    else if (r.profile.settings().pdLeakageLevel == 0)
        r.caution = Texts::tr("文件中的漏光上限为 0, 低于设定页标注的 50..4050。");

    for (const TextKey &k : textKeys) {
        const QJsonValue v = root.value(QLatin1String(k.key));
        if (!v.isString())
            return refused(Texts::tr("缺少文本字段 \"%1\"").arg(QLatin1String(k.key)));
        r.profile.*k.member = v.toString();
    }
    const QDateTime saved =
        QDateTime::fromString(root.value(QStringLiteral("saved_at")).toString(), Qt::ISODateWithMs);
    if (!saved.isValid())
        return refused(Texts::tr("\"saved_at\" 缺失或不是时间"));
    r.profile.savedAt = saved.toMSecsSinceEpoch();

    const QJsonValue fields = root.value(QStringLiteral("fields"));
    if (!fields.isArray())
        return refused(Texts::tr("缺少字段 \"%1\"").arg(QStringLiteral("fields")));
    const protocol::SystemSettings raw = r.profile.settings();
    QStringList seen;
    for (const QJsonValue &entry : fields.toArray()) {
        const QString why = checkField(entry, raw, &seen, &r.disagreements);
        if (!why.isEmpty())
            return refused(why);
    }
    for (const SettingsField &f : settingsFields())
        if (!seen.contains(QLatin1String(f.name)))
            return refused(Texts::tr("\"fields\" 缺少 \"%1\"").arg(QLatin1String(f.name)));
    r.ok = true;
    return r;
}

ProfileLoad loadProfile(const QString &path) {
    // A plain file only: opening a pipe waits, holding this thread, for something to write.
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return refused(Texts::tr("%1 不是普通文件").arg(path));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return refused(Texts::tr("无法打开 %1: %2").arg(path, file.errorString()));
    // One byte more than allowed tells a file that is too large without reading all of it.
    return parseProfile(file.read(SettingsProfile::maxFileBytes + 1));
}

bool saveProfile(const QString &path, const SettingsProfile &profile, QString *error) {
    QSaveFile file(path);
    const QByteArray json = profileJson(profile);
    // Written out before commit(), which would rename a file whose last bytes could not be
    // written (a full disk) into place all the same.
    if (file.open(QIODevice::WriteOnly) && file.write(json) == json.size() && file.flush() &&
        file.error() == QFileDevice::NoError && file.commit())
        return true;
    if (error)
        *error = file.errorString();
    return false;
}

} // namespace service
