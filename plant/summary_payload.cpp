#include "plant/summary_payload.h"

#include "alarms/rules.h"
#include "plant/fleet_payloads.h"
#include "plant/json_fields.h"
#include "plant/plant_id.h"
#include "plant/visible_text.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace plant {

namespace {

const char *const spanKeys[summarySpans] = {"last_24h", "last_7d"};

QJsonObject periodObject(const SummaryPeriod &p) {
    QJsonArray alarms;
    for (const SummaryAlarm &a : p.alarms)
        alarms.append(QJsonObject{{QStringLiteral("key"), a.key},
                                  {QStringLiteral("rises"), a.rises},
                                  {QStringLiteral("active_ms"), a.activeMs},
                                  {QStringLiteral("chatters"), a.chatters},
                                  {QStringLiteral("first_outs"), a.firstOuts}});
    return QJsonObject{{QStringLiteral("from"), p.from},
                       {QStringLiteral("to"), p.to},
                       {QStringLiteral("rises"), p.rises},
                       {QStringLiteral("other_alarms"), p.otherAlarms},
                       {QStringLiteral("other_rises"), p.otherRises},
                       {QStringLiteral("alarms"), alarms}};
}

// A count or a time: a whole number from 0 to maxSummaryNumber, nothing else (no 1e300, no -0.5).
qint64 count(FieldReader &r, const QJsonObject &o, const char *key) {
    const QJsonValue v = r.field(o, key);
    const double d = v.toDouble(-1);
    if (!v.isUndefined() &&
        (!v.isDouble() || !(d >= 0) || d > double(maxSummaryNumber) || std::floor(d) != d)) {
        r.fail(Rejection::WrongType);
        return 0;
    }
    return qint64(d);
}

SummaryPeriod readPeriod(FieldReader &r, const QJsonObject &o) {
    SummaryPeriod p;
    p.from = count(r, o, "from");
    p.to = count(r, o, "to");
    p.rises = count(r, o, "rises");
    p.otherAlarms = count(r, o, "other_alarms");
    p.otherRises = count(r, o, "other_rises");
    const QJsonValue list = r.field(o, "alarms");
    if (!list.isUndefined() && (!list.isArray() || list.toArray().size() > maxSummaryAlarms))
        r.fail(Rejection::WrongType);
    const QJsonArray alarms = list.toArray();
    for (int i = 0; i < alarms.size() && r.ok(); ++i) {
        if (!alarms.at(i).isObject()) {
            r.fail(Rejection::WrongType);
            break;
        }
        const QJsonObject a = alarms.at(i).toObject();
        SummaryAlarm alarm;
        alarm.key = r.text(a, "key");
        alarm.rises = count(r, a, "rises");
        alarm.activeMs = count(r, a, "active_ms");
        alarm.chatters = count(r, a, "chatters");
        alarm.firstOuts = count(r, a, "first_outs");
        // A key as the history writes it; one laser names an alarm once (at most 20: no hash).
        bool twice = false;
        for (const SummaryAlarm &before : p.alarms)
            twice = twice || before.key == alarm.key;
        if (r.ok() && (twice || !alarms::validKey(alarm.key)))
            r.fail(Rejection::WrongType);
        p.alarms.push_back(std::move(alarm));
    }
    if (r.ok() && p.from > p.to)
        r.fail(Rejection::WrongType);
    return p;
}

} // namespace

SummaryPeriod summaryPeriod(const events::PeriodFigures &f) {
    SummaryPeriod p;
    p.from = std::max<qint64>(0, f.from);
    p.to = std::max<qint64>(p.from, f.to);
    p.rises = f.rises;
    // The figures come most rises first; a key that the reader would refuse (none of the
    // history's own) is summed with the rest rather than spoiling the whole summary.
    for (const events::AlarmFigures &a : f.alarms) {
        if (a.rises <= 0)
            continue;
        if (int(p.alarms.size()) < maxSummaryAlarms && alarms::validKey(a.key)) {
            p.alarms.push_back(SummaryAlarm{a.key, a.rises, std::max<qint64>(0, a.activeMs),
                                            a.chatters, a.firstOuts});
        } else {
            ++p.otherAlarms;
            p.otherRises += a.rises;
        }
    }
    return p;
}

QStringList topAlarms(const SummaryPeriod &period, int n) {
    QStringList keys;
    for (size_t i = 0; i < period.alarms.size() && keys.size() < n; ++i)
        keys << period.alarms[i].key;
    return keys;
}

QByteArray summaryPayload(const AlarmSummary &s, const QString &laserId) {
    QJsonObject o{{QStringLiteral("version"), summaryVersion},
                  {QStringLiteral("laser_id"), laserId},
                  {QStringLiteral("at"), s.at}};
    if (!s.instance.isEmpty())
        o.insert(QStringLiteral("instance"), s.instance);
    for (int span = 0; span < summarySpans; ++span)
        o.insert(QLatin1String(spanKeys[span]), periodObject(s.periods[size_t(span)]));
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

qint64 heldBytes(const AlarmSummary &s) {
    qint64 bytes = heldBytes(s.instance);
    for (const SummaryPeriod &p : s.periods) {
        bytes += qint64(p.alarms.capacity() * sizeof(SummaryAlarm));
        for (const SummaryAlarm &a : p.alarms)
            bytes += heldBytes(a.key);
    }
    return bytes;
}

Rejection parseSummary(const QByteArray &payload, const QString &laserId, AlarmSummary &s) {
    // Read only within the writer's own bound (with room): larger is no summary of ours.
    if (payload.size() > maxSummaryBytes)
        return Rejection::SummaryTooLarge;
    QJsonObject o;
    Rejection problem = parseObject(payload, o);
    if (problem != Rejection::None)
        return problem;
    FieldReader r(problem);
    // A newer host's summary may mean other things by the same names: not read at all.
    const qint64 version = count(r, o, "version");
    if (r.ok() && version > summaryVersion)
        return Rejection::NewerVersion;
    if (r.ok() && version < 1)
        r.fail(Rejection::WrongType);
    const QString id = r.text(o, "laser_id");
    s.at = r.time(o, "at", false);
    const QJsonValue instance = o.value(QLatin1String("instance"));
    s.instance = instance.toString();
    if (!instance.isUndefined() && !validPlantId(s.instance))
        r.fail(Rejection::WrongType);
    for (int span = 0; span < summarySpans && r.ok(); ++span)
        s.periods[size_t(span)] = readPeriod(r, r.object(o, spanKeys[span]));
    if (!r.ok())
        return problem;
    return id == laserId ? Rejection::None : Rejection::IdMismatch;
}

} // namespace plant
