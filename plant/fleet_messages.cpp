#include "plant/fleet_messages.h"

#include "events/alarm_names.h"

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

constexpr int maxModules = events::maxAlarmModules;

// Hidden when shown as it is: it steers, joins, breaks or is not there at all.
bool hidden(uint c) {
    switch (QChar::category(c)) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_Surrogate:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    default:
        return false;
    }
}

// Characters that have no business in a laser id or a key shown as it is: every one that
// visibleText() would write as <U+XXXX> (controls, invisible and direction marks, which could
// make one id look like another, line separators), and what stands for broken UTF-8.
bool oddCharacter(char32_t c) {
    return hidden(c) || c < 0x20 || (c >= 0x7f && c <= 0x9f) || (c >= 0x200b && c <= 0x200f) ||
           (c >= 0x202a && c <= 0x202e) || (c >= 0x2060 && c <= 0x2069) || c == 0xfeff ||
           c == 0xfffd || (c >= 0xfff9 && c <= 0xfffb);
}

// Read once per key of a status, of which there may be thousands: nothing is copied.
bool validKey(const QString &id, int maxLength) {
    if (id.isEmpty() || id.size() > maxLength || id.front().isSpace() || id.back().isSpace())
        return false;
    for (int i = 0; i < id.size(); ++i) {
        const QChar unit = id.at(i);
        if (unit.isLowSurrogate())
            return false; // a second half without its first
        if (unit.isHighSurrogate()) {
            if (i + 1 >= id.size() || !id.at(i + 1).isLowSurrogate())
                return false;
            if (oddCharacter(QChar::surrogateToUcs4(unit, id.at(++i))))
                return false;
        } else if (oddCharacter(unit.unicode())) {
            return false;
        }
    }
    return true;
}

bool validLaserId(const QString &id) {
    return validKey(id, maxLaserIdLength);
}

// The first `n` UTF-16 units of `text`, never ending in the first half of a pair.
QString cut(const QString &text, int n) {
    if (text.size() <= n)
        return text;
    if (n > 0 && text.at(n - 1).isHighSurrogate())
        --n;
    return text.left(n);
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
    // A temperature, whatever its precision; null gives NaN, a number beyond physical sense
    // infinity (shown as invalid).
    double temperature(const QJsonObject &o, const char *key) {
        const QJsonValue v = field(o, key);
        if (v.isNull())
            return std::numeric_limits<double>::quiet_NaN();
        if (!v.isUndefined() && !v.isDouble())
            fail(Rejection::WrongType);
        const double t = v.toDouble();
        return temperatureInRange(t) ? t : std::numeric_limits<double>::infinity();
    }
    // ms since 1970; null gives 0 when allowed.
    qint64 time(const QJsonObject &o, const char *key, bool nullable) {
        const QJsonValue v = field(o, key);
        if (v.isUndefined())
            return 0;
        if (nullable && v.isNull())
            return 0;
        const double t = v.toDouble(-1);
        if (!v.isDouble() || !timeInRange(t)) {
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
    for (const events::AlarmName &a : events::systemAlarms)
        if (r.flag(alarms, a.key))
            s.addAlarm(QLatin1String(a.key));
    // A newer publisher's alarms are shown by their key, a few of them: the others are counted.
    // Each key is looked up once, by hash.
    for (auto it = alarms.begin(); it != alarms.end() && r.ok(); ++it) {
        const QString key = it.key();
        const int bit = events::alarmBit(key);
        if (bit >= 0 && bit < int(events::systemAlarms.size()))
            continue; // read above
        if (!it.value().isBool() || !validKey(key, maxAlarmKeyLength))
            r.fail(Rejection::WrongType);
        else if (it.value().toBool())
            s.addAlarm(key);
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
        for (const events::AlarmName &a : events::moduleAlarms)
            if (r.flag(module, a.key))
                s.addAlarm(events::moduleAlarmKey(m, a.key));
        s.beamOn = r.flag(module, "beam_on") || s.beamOn;
    }

    const QJsonObject temperatures = r.object(o, "temperatures");
    s.waterIn = r.temperature(temperatures, "water_in");
    s.waterOut = r.temperature(temperatures, "water_out");
    s.dewPoint = r.temperature(temperatures, "dew_point");

    const QJsonObject link = r.object(o, "link");
    s.port = visibleText(r.text(link, "port"), maxPortText);
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

Rejection parseEvent(const QByteArray &payload, events::Event &e) {
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
    // Kept for the window's whole run: each text within what a real event needs, and shown as
    // what it is.
    e.category = visibleText(e.category, maxEventText);
    e.name = visibleText(e.name, maxEventText);
    e.value = visibleText(e.value, maxEventText);
    e.detail = visibleText(e.detail, maxEventDetail);
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

bool timeInRange(double ms) {
    return ms >= 0 && ms <= double(latestTime);
}

bool temperatureInRange(double celsius) {
    return celsius >= lowestTemperature && celsius <= highestTemperature;
}

QString visibleText(const QString &text) {
    QString out;
    out.reserve(text.size());
    bool changed = false;
    for (int i = 0; i < text.size(); ++i) {
        const QChar unit = text.at(i);
        const bool pair =
            unit.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
        const uint c = pair ? QChar::surrogateToUcs4(unit, text.at(i + 1)) : unit.unicode();
        if (hidden(c)) {
            out += QStringLiteral("<U+%1>").arg(c, 4, 16, QLatin1Char('0')).toUpper();
            changed = true;
        } else {
            out += unit;
            if (pair)
                out += text.at(i + 1);
        }
        if (pair)
            ++i;
    }
    return changed ? out : text;
}

QString visibleText(const QString &text, int maxLength) {
    return visibleText(cut(text, maxLength));
}

QStringList LaserStatus::alarmKeys() const {
    QStringList keys;
    for (int bit = 0; bit < events::knownAlarmBits; ++bit)
        if (knownAlarms & (quint64(1) << bit))
            keys << events::alarmKeyOfBit(bit);
    return keys + otherAlarms;
}

void LaserStatus::addAlarm(const QString &key) {
    const int bit = events::alarmBit(key);
    if (bit >= 0)
        knownAlarms |= quint64(1) << bit;
    else if (otherAlarms.contains(key))
        return;
    else if (otherAlarms.size() < maxUnknownAlarms)
        otherAlarms << key;
    else
        ++alarmsIgnored;
}

qint64 heldBytes(const QString &text) {
    // A shared empty text holds nothing of its own; else its header and UTF-16 units.
    return text.isEmpty() ? 0 : 32 + 2 * qint64(text.capacity());
}

qint64 heldBytes(const events::Event &event) {
    return qint64(sizeof(events::Event)) + heldBytes(event.category) + heldBytes(event.name) +
           heldBytes(event.value) + heldBytes(event.detail);
}

qint64 heldBytes(const FleetMessage &m) {
    qint64 bytes = qint64(sizeof(FleetMessage)) + heldBytes(m.laserId);
    switch (m.kind) {
    case Kind::Online:
        break;
    case Kind::Status:
        bytes += heldBytes(m.status.port) +
                 (m.status.payload.isEmpty() ? 0 : 32 + m.status.payload.capacity());
        for (const QString &key : m.status.otherAlarms)
            bytes += 8 + heldBytes(key);
        break;
    case Kind::Event:
        bytes += heldBytes(m.event) - qint64(sizeof(events::Event));
        break;
    }
    return bytes;
}

QStringList fleetFilters(const QString &prefix) {
    return {prefix + QStringLiteral("/+/online"), prefix + QStringLiteral("/+/status"),
            prefix + QStringLiteral("/+/events")};
}

ParseResult parseFleetMessage(const QString &prefix, const QByteArray &topic,
                              const QByteArray &payload, bool retained, qint64 fullSize) {
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
    if (payload.size() > maxPayloadBytes || fullSize > maxPayloadBytes)
        return reject(Rejection::TooLarge);
    // Deleting a retained message publishes an empty one: the laser's status or flag is gone.
    if (payload.isEmpty() && fullSize <= 0 && m.kind != Kind::Event) {
        m.cleared = true;
        return result;
    }

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
