#pragma once

#include "history/records.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

#include <array>

namespace plant {

// Reading what any publisher on the plant's broker may have written under PREFIX/ID/online,
// status and events. Everything here is a pure function of the bytes: it never trusts them,
// and a message it cannot use comes back as a reason, to be counted.

constexpr int maxPayloadBytes = 64 * 1024;
constexpr int maxLaserIdLength = 128;
// Event texts longer than these are cut.
constexpr int maxEventText = 64;
constexpr int maxEventDetail = 256;

enum class Rejection {
    None,
    TooLarge,     // more than 64 KiB
    BadTopic,     // not PREFIX/ID/online, status or events
    OddLaserId,   // control, invisible or direction characters, or too long
    EmptyPayload, // a retained message being deleted, or nothing at all
    NotJson,      // not a JSON object (online: not true or false)
    MissingField,
    WrongType,  // a field of the wrong JSON type or out of range
    IdMismatch, // the status names another laser than its topic
};
constexpr int rejectionKinds = 9;

enum class Kind { Online, Status, Event };

// What a status says, as far as the fleet's table needs it.
struct LaserStatus {
    qint64 at = 0;      // the publisher's clock, ms since 1970
    QStringList alarms; // active alarm keys, in payload order ("chiller_fault", "module1.pd_fault")
    bool dcOn = false;
    bool laserReady = false;
    bool beamOn = false; // any module
    double waterIn = 0;  // NaN where the payload has null
    double waterOut = 0;
    double dewPoint = 0;
    QString port;
    bool portOpen = false;
    qint64 lastFrameAt = 0; // 0: no frame yet
    // The whole payload as it came (checked, at most 64 KiB), read again only to show it: a
    // few bytes a laser instead of a parsed object.
    QByteArray payload;
};

struct FleetMessage {
    Kind kind = Kind::Online;
    QString laserId;
    bool retained = false;
    bool online = false;  // Kind::Online
    LaserStatus status;   // Kind::Status
    history::Event event; // Kind::Event
};

struct ParseResult {
    Rejection rejection = Rejection::None;
    FleetMessage message;
};

// The three filters the fleet subscribes to under `prefix`.
QStringList fleetFilters(const QString &prefix);

// One message from the broker. `prefix` is the topic prefix of the settings ("laser").
ParseResult parseFleetMessage(const QString &prefix, const QByteArray &topic,
                              const QByteArray &payload, bool retained);

// What arrived from the broker since the last batch: the messages that can be used, in order,
// and how many were not, by reason (index: Rejection) and because they came faster than the
// window took them.
struct FleetBatch {
    QVector<FleetMessage> messages;
    std::array<quint64, rejectionKinds> rejected{};
    quint64 overrun = 0;
};

} // namespace plant

Q_DECLARE_METATYPE(plant::FleetBatch)
