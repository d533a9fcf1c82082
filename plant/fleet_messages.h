#pragma once

#include "events/records.h"
#include "plant/plant_id.h"
#include "plant/summary_payload.h"
#include "plant/visible_text.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

#include <array>

namespace plant {

// Reading what any publisher on the plant's broker may have written under PREFIX/ID/online,
// status and events. Everything here is a pure function of the bytes: it never trusts them,
// and a message it cannot use comes back as a reason, to be counted.

// The largest payload the fleet reads; anything longer is refused unread, counted as too large.
// A broker that is told the fleet's maximum packet size never sends more than this and its
// topic.
constexpr int maxPayloadBytes = 64 * 1024;
// A laser id is valid by the plant's rule for ids (plant_id.h), as the host checks its own.
constexpr int maxLaserIdLength = maxPlantIdCharacters;
// Event texts longer than these are cut.
constexpr int maxEventText = 64;
constexpr int maxEventDetail = 256;
// A status names at most this many active alarms of keys the fleet does not know (a newer
// publisher's); further ones are counted as ignored. The known keys are a fixed set.
constexpr int maxUnknownAlarms = 8;
constexpr int maxAlarmKeyLength = 64;
// The port text is cut to this.
constexpr int maxPortText = 64;
// Times on the wire are ms since 1970 up to the end of the year 9999; any other number is no
// time (and is never converted to an integer).
constexpr qint64 latestTime = 253402300799999;
bool timeInRange(double ms);
// Temperatures in °C outside this range make no physical sense: shown as invalid.
constexpr double lowestTemperature = -100;
constexpr double highestTemperature = 200;
bool temperatureInRange(double celsius);

enum class Rejection {
    None,
    TooLarge,     // more than 64 KiB
    BadTopic,     // not PREFIX/ID/online, status or events
    OddLaserId,   // not a valid plant id (plant/plant_id.h): a blank, an invisible character...
    EmptyPayload, // an event with nothing in it, an empty status or flag not retained (MQTT 5)
    NotJson,      // not a JSON object (online: not true or false)
    MissingField,
    WrongType,       // a field of the wrong JSON type or out of range
    IdMismatch,      // the status names another laser than its topic
    NewerVersion,    // an alarm summary of a newer version than this program reads
    SummaryTooLarge, // an alarm summary over maxSummaryBytes (16 KiB)
};
constexpr int rejectionKinds = 11;

enum class Kind { Online, Status, Event, Summary };

// A status lists at most this many alarm keys that wait for an acknowledgement at the laser (the
// host knows some 230 alarms); the fleet keeps the first maxUnacknowledgedKept of them.
constexpr int maxUnacknowledgedListed = 512;
constexpr int maxUnacknowledgedKept = 32;

// What a status says, as far as the fleet's table needs it: a compact summary beside the payload
// as it came, which is read again only to show the laser in full.
struct LaserStatus {
    qint64 at = 0; // the publisher's clock, ms since 1970
    // Active alarms of known keys, one bit each (events::alarmBit).
    quint64 knownAlarms = 0;
    // Active alarms of other keys, in the payload's order, at most maxUnknownAlarms.
    QStringList otherAlarms;
    int alarmsIgnored = 0; // active alarms of other keys beyond those
    bool dcOn = false;
    bool laserReady = false;
    bool beamOn = false; // any module
    // NaN where the payload has null; infinity where the number makes no physical sense.
    double waterIn = 0;
    double waterOut = 0;
    double dewPoint = 0;
    QString port;     // visible, cut to maxPortText
    QString instance; // the host's token of its start; empty from an older host
    // The history keys of the alarms unacknowledged at the laser (doorInterlock), at most
    // maxUnacknowledgedKept, and how many it listed; -1 from an older host that does not say.
    QStringList unacknowledged;
    int unacknowledgedCount = -1;
    bool portOpen = false;
    qint64 lastFrameAt = 0; // 0: no frame yet
    // The whole payload as it came (checked, at most 64 KiB), read again only to show it.
    QByteArray payload;

    bool hasAlarms() const { return knownAlarms != 0 || !otherAlarms.isEmpty(); }
    // Every active alarm key: the known ones in their order, then the others.
    QStringList alarmKeys() const;
    // Sets a key active: a known key by its bit, another if there is room, else counted.
    void addAlarm(const QString &key);
};

struct FleetMessage {
    Kind kind = Kind::Online;
    QString laserId;
    // The broker's stored copy, sent when the fleet subscribed: its time may be long past.
    bool retained = false;
    // Online and Status: an empty retained payload, which is how a retained message is deleted.
    bool cleared = false;
    bool online = false; // Kind::Online
    // Kind::Online: the host's token of its start (MQTT 5 only), empty without one.
    QString instance;
    LaserStatus status;   // Kind::Status
    events::Event event;  // Kind::Event, its texts visible and cut
    AlarmSummary summary; // Kind::Summary
    // Kind::Event: sent late, from the host's history after an outage.
    bool late = false;
    // The fleet's own clock (ms since 1970) when the message came from the broker; 0 unknown.
    qint64 receivedAt = 0;
};

// What a message holds in memory, its payload and texts included: every queue and state of
// the fleet counts its messages by this.
qint64 heldBytes(const FleetMessage &message);
qint64 heldBytes(const QString &text);
qint64 heldBytes(const events::Event &event);

struct ParseResult {
    Rejection rejection = Rejection::None;
    FleetMessage message;
};

// The filters the fleet subscribes to under `prefix`: online, status, events, alarm_summary.
QStringList fleetFilters(const QString &prefix);

// One message from the broker. `prefix` is the topic prefix of the settings ("laser").
// `fullSize` is the payload's size where only its beginning was copied (-1: `payload` is all).
// `retained` is the message's flag. Under MQTT 3.1.1 the broker sets it on its stored copies
// only and an empty message deletes whatever its flag. With `asPublished` (an MQTT 5 subscription
// with "retain as published") it is the publisher's: only a retained empty message deletes, and
// whether a retained one is the broker's stored copy is for the caller to tell. `instance` is the
// message's user property "instance" (MQTT 5), the token of its host's start on an online flag.
ParseResult parseFleetMessage(const QString &prefix, const QByteArray &topic,
                              const QByteArray &payload, bool retained, qint64 fullSize = -1,
                              bool asPublished = false, const QString &instance = QString());

// What arrived from the broker since the last batch: the messages that can be used, in order,
// and how many were not, by reason (index: Rejection) and because they came faster than the
// window took them.
struct FleetBatch {
    QVector<FleetMessage> messages;
    std::array<quint64, rejectionKinds> rejected{};
    quint64 overrun = 0;
    qint64 bytes = 0; // heldBytes of the messages
};

} // namespace plant

Q_DECLARE_METATYPE(plant::FleetBatch)
