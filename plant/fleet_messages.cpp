#include "plant/fleet_messages.h"

#include "plant/alarm_names.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>

#include <nlohmann/json.hpp>

#include <cmath>
#include <limits>
#include <set>
#include <string>
#include <vector>

namespace plant {

namespace {

constexpr int maxModules = 8;
// Whole milliseconds a double holds exactly.
constexpr double largestTime = 9007199254740992.0;

// Characters that have no business in a laser id: controls, invisible and direction marks
// (which could make one id look like another), and what stands for broken UTF-8.
bool oddCharacter(char32_t c) {
    return c < 0x20 || (c >= 0x7f && c <= 0x9f) || (c >= 0x200b && c <= 0x200f) ||
           (c >= 0x202a && c <= 0x202e) || (c >= 0x2060 && c <= 0x2069) || c == 0xfeff ||
           c == 0xfffd || (c >= 0xfff9 && c <= 0xfffb);
}

bool validLaserId(const QString &id) {
    if (id.isEmpty() || id.size() > maxLaserIdLength || id.trimmed() != id)
        return false;
    for (const char32_t c : id.toUcs4())
        if (oddCharacter(c))
            return false;
    return true;
}

// Reads fields of one JSON object; the first problem sticks.
class Reader {
public:
    explicit Reader(Rejection &problem) : problem(problem) {}

    QJsonValue field(const QJsonObject &o, const char *key) {
        const QJsonValue v = o.value(QLatin1String(key));
        if (v.isUndefined())
            fail(Rejection::MissingField);
        return v;
    }
    bool flag(const QJsonObject &o, const char *key) {
        const QJsonValue v = field(o, key);
        if (!v.isUndefined() && !v.isBool())
            fail(Rejection::WrongType);
        return v.toBool();
    }
    QString text(const QJsonObject &o, const char *key) {
        const QJsonValue v = field(o, key);
        if (!v.isUndefined() && !v.isString())
            fail(Rejection::WrongType);
        return v.toString();
    }
    QJsonObject object(const QJsonObject &o, const char *key) {
        const QJsonValue v = field(o, key);
        if (!v.isUndefined() && !v.isObject())
            fail(Rejection::WrongType);
        return v.toObject();
    }
    // Any number, whatever its precision; null gives NaN.
    double numberOrNull(const QJsonObject &o, const char *key) {
        const QJsonValue v = field(o, key);
        if (v.isNull())
            return std::numeric_limits<double>::quiet_NaN();
        if (!v.isUndefined() && !v.isDouble())
            fail(Rejection::WrongType);
        return v.toDouble();
    }
    // ms since 1970; null gives 0 when allowed.
    qint64 time(const QJsonObject &o, const char *key, bool nullable) {
        const QJsonValue v = field(o, key);
        if (v.isUndefined())
            return 0;
        if (nullable && v.isNull())
            return 0;
        const double t = v.toDouble(-1);
        if (!v.isDouble() || !(t >= 0 && t <= largestTime)) {
            fail(Rejection::WrongType);
            return 0;
        }
        return static_cast<qint64>(t);
    }
    void fail(Rejection why) {
        if (problem == Rejection::None)
            problem = why;
    }
    bool ok() const { return problem == Rejection::None; }

private:
    Rejection &problem;
};

// Finds a name given twice in one object. Such a text has no one meaning, and Qt 5's reader
// loses memory on it when the first value is an object or an array, so it never gets there.
class DuplicateKeys : public nlohmann::json_sax<nlohmann::json> {
public:
    bool found = false;
    bool null() override { return true; }
    bool boolean(bool) override { return true; }
    bool number_integer(number_integer_t) override { return true; }
    bool number_unsigned(number_unsigned_t) override { return true; }
    bool number_float(number_float_t, const string_t &) override { return true; }
    bool string(string_t &) override { return true; }
    bool binary(binary_t &) override { return true; }
    bool start_object(std::size_t) override {
        names.emplace_back();
        return true;
    }
    bool key(string_t &name) override {
        found = !names.back().insert(name).second;
        return !found;
    }
    bool end_object() override {
        names.pop_back();
        return true;
    }
    bool start_array(std::size_t) override {
        names.emplace_back(); // arrays have no names; keeps the stack in step
        return true;
    }
    bool end_array() override {
        names.pop_back();
        return true;
    }
    bool parse_error(std::size_t, const std::string &,
                     const nlohmann::detail::exception &) override {
        return false;
    }

private:
    std::vector<std::set<std::string>> names;
};

Rejection parseObject(const QByteArray &payload, QJsonObject &out) {
    if (payload.trimmed().isEmpty())
        return Rejection::EmptyPayload;
    DuplicateKeys check;
    if (!nlohmann::json::sax_parse(payload.constData(), payload.constData() + payload.size(),
                                   &check, nlohmann::json::input_format_t::json, false))
        return Rejection::NotJson;
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(payload, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return Rejection::NotJson;
    out = doc.object();
    return Rejection::None;
}

Rejection parseStatus(const QByteArray &payload, const QString &laserId, LaserStatus &s) {
    QJsonObject o;
    Rejection problem = parseObject(payload, o);
    if (problem != Rejection::None)
        return problem;
    Reader r(problem);

    const QString id = r.text(o, "laser_id");
    s.at = r.time(o, "at", false);

    const QJsonObject alarms = r.object(o, "alarms");
    for (const AlarmName &a : systemAlarms)
        if (r.flag(alarms, a.key))
            s.alarms << QLatin1String(a.key);
    // A newer publisher's alarms are shown by their key.
    for (auto it = alarms.begin(); it != alarms.end(); ++it) {
        bool known = false;
        for (const AlarmName &a : systemAlarms)
            known = known || it.key() == QLatin1String(a.key);
        if (known)
            continue;
        if (!it.value().isBool() || !validLaserId(it.key()) || it.key().size() > 64)
            r.fail(Rejection::WrongType);
        else if (it.value().toBool())
            s.alarms << it.key();
    }

    const QJsonObject states = r.object(o, "states");
    s.dcOn = r.flag(states, "dc_on");
    s.laserReady = r.flag(states, "laser_ready");

    const QJsonValue modules = r.field(o, "modules");
    if (!modules.isUndefined() && (!modules.isArray() || modules.toArray().size() > maxModules))
        r.fail(Rejection::WrongType);
    const QJsonArray moduleList = modules.toArray();
    for (int m = 0; m < moduleList.size() && r.ok(); ++m) {
        if (!moduleList.at(m).isObject()) {
            r.fail(Rejection::WrongType);
            break;
        }
        const QJsonObject module = moduleList.at(m).toObject();
        for (const AlarmName &a : moduleAlarms)
            if (r.flag(module, a.key))
                s.alarms << moduleAlarmKey(m, a.key);
        s.beamOn = r.flag(module, "beam_on") || s.beamOn;
    }

    const QJsonObject temperatures = r.object(o, "temperatures");
    s.waterIn = r.numberOrNull(temperatures, "water_in");
    s.waterOut = r.numberOrNull(temperatures, "water_out");
    s.dewPoint = r.numberOrNull(temperatures, "dew_point");

    const QJsonObject link = r.object(o, "link");
    s.port = r.text(link, "port");
    s.portOpen = r.flag(link, "open");
    s.lastFrameAt = r.time(link, "last_frame_at", true);

    // The rest is shown as it is, but must have its shape.
    for (const char *section : {"inputs", "outputs", "versions", "product"}) {
        const QJsonValue v = o.value(QLatin1String(section));
        if (!v.isUndefined() && !v.isObject())
            r.fail(Rejection::WrongType);
    }
    if (!r.ok())
        return problem;
    if (id != laserId)
        return Rejection::IdMismatch;
    s.payload = payload;
    return Rejection::None;
}

Rejection parseEvent(const QByteArray &payload, history::Event &e) {
    QJsonObject o;
    Rejection problem = parseObject(payload, o);
    if (problem != Rejection::None)
        return problem;
    Reader r(problem);
    e.at = r.time(o, "at", false);
    e.category = r.text(o, "category");
    e.name = r.text(o, "name");
    e.value = r.text(o, "value");
    const QJsonValue detail = o.value(QLatin1String("detail"));
    if (!detail.isUndefined() && !detail.isString())
        r.fail(Rejection::WrongType);
    e.detail = detail.toString();
    // Kept for the window's whole run: each text within what a real event needs.
    e.category.truncate(maxEventText);
    e.name.truncate(maxEventText);
    e.value.truncate(maxEventText);
    e.detail.truncate(maxEventDetail);
    return problem;
}

Rejection parseOnline(const QByteArray &payload, bool &online) {
    const QByteArray word = payload.trimmed();
    if (word.isEmpty())
        return Rejection::EmptyPayload;
    if (word == "true" || word == "false") {
        online = word == "true";
        return Rejection::None;
    }
    return Rejection::NotJson;
}

} // namespace

QStringList fleetFilters(const QString &prefix) {
    return {prefix + QStringLiteral("/+/online"), prefix + QStringLiteral("/+/status"),
            prefix + QStringLiteral("/+/events")};
}

ParseResult parseFleetMessage(const QString &prefix, const QByteArray &topic,
                              const QByteArray &payload, bool retained) {
    ParseResult result;
    FleetMessage &m = result.message;
    m.retained = retained;
    const auto reject = [&result](Rejection why) {
        result.rejection = why;
        return result;
    };

    const QByteArray head = prefix.toUtf8() + '/';
    if (!topic.startsWith(head))
        return reject(Rejection::BadTopic);
    const QList<QByteArray> levels = topic.mid(head.size()).split('/');
    if (levels.size() != 2)
        return reject(Rejection::BadTopic);
    const QByteArray &kind = levels.at(1);
    if (kind == "online")
        m.kind = Kind::Online;
    else if (kind == "status")
        m.kind = Kind::Status;
    else if (kind == "events")
        m.kind = Kind::Event;
    else
        return reject(Rejection::BadTopic);
    m.laserId = QString::fromUtf8(levels.at(0));
    if (!validLaserId(m.laserId))
        return reject(Rejection::OddLaserId);
    if (payload.size() > maxPayloadBytes)
        return reject(Rejection::TooLarge);

    switch (m.kind) {
    case Kind::Online:
        return reject(parseOnline(payload, m.online));
    case Kind::Status:
        return reject(parseStatus(payload, m.laserId, m.status));
    case Kind::Event:
        return reject(parseEvent(payload, m.event));
    }
    return result;
}

} // namespace plant
