#include "plant/fleet_payloads.h"

#include "alarms/rules.h"
#include "events/alarm_names.h"
#include "plant/json_fields.h"
#include "plant/plant_id.h"
#include "plant/visible_text.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QSet>

namespace plant {

namespace {

constexpr int maxModules = events::maxAlarmModules;

} // namespace

Rejection parseStatus(const QByteArray &payload, const QString &laserId, LaserStatus &s) {
    QJsonObject o;
    Rejection problem = parseObject(payload, o);
    if (problem != Rejection::None)
        return problem;
    FieldReader r(problem);

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

    // A newer host's token of its start: an id by the plant's rule, where given.
    const QJsonValue instance = o.value(QLatin1String("instance"));
    s.instance = instance.toString();
    if (!instance.isUndefined() && !validPlantId(s.instance))
        r.fail(Rejection::WrongType);

    // The alarms waiting for an acknowledgement at the laser (history keys), where a host says.
    const QJsonValue unacknowledged = o.value(QLatin1String("unacknowledged"));
    if (!unacknowledged.isUndefined()) {
        const QJsonArray keys = unacknowledged.toArray();
        if (!unacknowledged.isArray() || keys.size() > maxUnacknowledgedListed)
            r.fail(Rejection::WrongType);
        // A key listed twice would count one alarm twice in the laser's row: refused, by hash.
        QSet<QString> listed;
        for (int k = 0; k < keys.size() && r.ok(); ++k) {
            const QString key = keys.at(k).toString();
            if (!keys.at(k).isString() || !alarms::validKey(key) || listed.contains(key))
                r.fail(Rejection::WrongType);
            else if (s.unacknowledged.size() < maxUnacknowledgedKept)
                s.unacknowledged << key;
            listed.insert(key);
        }
        s.unacknowledgedCount = r.ok() ? keys.size() : -1;
    }

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

Rejection parseEvent(const QByteArray &payload, events::Event &e, bool *late) {
    QJsonObject o;
    Rejection problem = parseObject(payload, o);
    if (problem != Rejection::None)
        return problem;
    FieldReader r(problem);
    e.at = r.time(o, "at", false);
    e.category = r.text(o, "category");
    e.name = r.text(o, "name");
    e.value = r.text(o, "value");
    const QJsonValue detail = o.value(QLatin1String("detail"));
    if (!detail.isUndefined() && !detail.isString())
        r.fail(Rejection::WrongType);
    e.detail = detail.toString();
    const QJsonValue lateField = o.value(QLatin1String("late"));
    if (!lateField.isUndefined() && !lateField.isBool())
        r.fail(Rejection::WrongType);
    if (late)
        *late = lateField.toBool();
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

} // namespace plant
