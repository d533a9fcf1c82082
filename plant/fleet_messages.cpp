#include "plant/fleet_messages.h"

#include "events/alarm_names.h"
#include "plant/fleet_payloads.h"
#include "plant/plant_id.h"

namespace plant {

bool timeInRange(double ms) {
    return ms >= 0 && ms <= double(latestTime);
}

bool temperatureInRange(double celsius) {
    return celsius >= lowestTemperature && celsius <= highestTemperature;
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
    qint64 bytes = qint64(sizeof(FleetMessage)) + heldBytes(m.laserId) + heldBytes(m.instance);
    switch (m.kind) {
    case Kind::Online:
        break;
    case Kind::Status:
        bytes += heldBytes(m.status.port) + heldBytes(m.status.instance) +
                 (m.status.payload.isEmpty() ? 0 : 32 + m.status.payload.capacity());
        for (const QString &key : m.status.otherAlarms + m.status.unacknowledged)
            bytes += 8 + heldBytes(key);
        break;
    case Kind::Summary:
        bytes += heldBytes(m.summary);
        break;
    case Kind::Event:
        bytes += heldBytes(m.event) - qint64(sizeof(events::Event));
        break;
    }
    return bytes;
}

QStringList fleetFilters(const QString &prefix) {
    return {prefix + QStringLiteral("/+/online"), prefix + QStringLiteral("/+/status"),
            prefix + QStringLiteral("/+/events"), prefix + QStringLiteral("/+/alarm_summary")};
}

ParseResult parseFleetMessage(const QString &prefix, const QByteArray &topic,
                              const QByteArray &payload, bool retained, qint64 fullSize,
                              bool asPublished, const QString &instance) {
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
    else if (kind == "alarm_summary")
        m.kind = Kind::Summary;
    else
        return reject(Rejection::BadTopic);
    m.laserId = QString::fromUtf8(levels.at(0));
    if (!validPlantId(m.laserId))
        return reject(Rejection::OddLaserId);
    if (payload.size() > maxPayloadBytes || fullSize > maxPayloadBytes)
        return reject(Rejection::TooLarge);
    // Deleting a retained message publishes an empty one: the laser's status or flag is gone.
    // An empty one not retained deletes nothing on the broker, and nothing here either.
    if (payload.isEmpty() && fullSize <= 0 && m.kind != Kind::Event) {
        if (asPublished && !retained)
            return reject(Rejection::EmptyPayload);
        m.cleared = true;
        return result;
    }

    switch (m.kind) {
    case Kind::Online:
        // A property of another kind than the host's token is no token: the flag still counts.
        m.instance = validPlantId(instance) ? instance : QString();
        return reject(parseOnline(payload, m.online));
    case Kind::Status:
        return reject(parseStatus(payload, m.laserId, m.status));
    case Kind::Event:
        return reject(parseEvent(payload, m.event, &m.late));
    case Kind::Summary:
        return reject(parseSummary(payload, m.laserId, m.summary));
    }
    return result;
}

} // namespace plant
