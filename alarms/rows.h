#pragma once

#include "events/records.h"

#include <QString>
#include <QtGlobal>

// The history rows of the alarm handling, category "handling" (the alarm's own rise and clear
// stay the "alarm" rows "on" and "off" that every flag gives). docs/history.md lists them; the
// alarm report and the plant link read them through these names and readShelvedDetail().
namespace alarms {

extern const QString handlingCategory; // "handling"
// The values; the name of every row is the alarm's key.
extern const QString firstOutValue;     // "first_out": the alarm was first out of its episode
extern const QString acknowledgedValue; // "acknowledged", detail: the user name
extern const QString shelvedValue;      // "shelved", detail: "60 min; user; reason"
extern const QString unshelvedValue;    // "unshelved", detail: the user name
extern const QString shelfEndedValue;   // "shelf_ended", detail: "" or "while_closed"
extern const QString endedWithRunValue; // "ended_with_run": unacknowledged at a crash
extern const QString whileClosedDetail; // "while_closed"

events::Event handlingRow(qint64 at, const QString &key, const QString &value,
                          const QString &detail = QString());

// The detail of a shelved row: "<minutes> min; <user>; <reason>" (';' in the user name is
// written ','; the reason is the rest of the line and may hold anything).
QString shelvedDetail(int minutes, const QString &user, const QString &reason);
struct ShelvedDetail {
    bool valid = false;
    int minutes = 0;
    QString user;
    QString reason;
};
ShelvedDetail readShelvedDetail(const QString &detail);

} // namespace alarms
