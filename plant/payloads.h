#pragma once

#include "events/records.h"
#include "protocol/device_state.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>

namespace plant {

// The serial link as the status payload reports it.
struct LinkInfo {
    QString portName;
    bool open = false;
    // ms since 1970, UTC, of the last complete frame; 0 while none has arrived.
    qint64 lastFrameAt = 0;
    // The link-lost box is open: the CCB fell silent, the port is closed once the box goes.
    bool lost = false;
};

// No temperature received at full precision yet.
events::Sample noReadings();

// What the status page shows, plus the link. Compared to decide whether to publish again. The
// water temperatures are taken from `readings` (as received, to 0.01 °C) where it has them,
// else the page's whole degrees. `unacknowledged`: the history keys of the alarms that wait for an
// acknowledgement at the laser.
QJsonObject statusObject(const protocol::DeviceState &state, const LinkInfo &link,
                         const events::Sample &readings = noReadings(),
                         const QStringList &unacknowledged = QStringList());
// The retained status message: the object above with the laser id, when it was made and, where
// given, the token of this start of the program (another host publishing under the same id has
// another one).
QByteArray statusPayload(const QJsonObject &status, const QString &laserId, qint64 at,
                         const QString &instance = QString());
// One events-table row.
QByteArray eventPayload(const events::Event &event);
// The same with its row id (`id`, a consumer's key to drop a repeat), and `late` true when it is
// sent from the history after an outage.
QByteArray eventPayload(const events::StoredEvent &stored);
// One temperature sample; a value that has not arrived yet is null.
QByteArray samplePayload(const events::Sample &sample);

} // namespace plant
