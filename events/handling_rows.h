#pragma once

#include "events/records.h"

#include <QString>
#include <QtGlobal>

// The history rows of the alarm handling (alarms/ decides them), category "handling": the alarm's
// own rise and clear stay the "alarm" rows "on" and "off" that every flag gives. docs/history.md
// lists them; whatever writes, reads or shows them (the alarm handling, the alarm report, the
// plant link, the Events tab, the fleet) goes by these names, readShelvedDetail() and the words.
namespace events {

// A shelf lasts this long: the one bound the alarm handling, its file and the rows' readers keep.
constexpr int shortestShelfMinutes = 15;
constexpr int longestShelfMinutes = 8 * 60;

extern const QString handlingCategory; // "handling"
// The values; the name of every row is the alarm's key.
extern const QString firstOutValue;     // "first_out": the alarm was first out of its episode
extern const QString acknowledgedValue; // "acknowledged", detail: the user name
extern const QString shelvedValue;      // "shelved", detail: "60 min; user; reason"
extern const QString unshelvedValue;    // "unshelved", detail: the user name
extern const QString shelfEndedValue;   // "shelf_ended", detail: "" or "while_closed"
extern const QString endedWithRunValue; // "ended_with_run": unacknowledged at a crash
extern const QString whileClosedDetail; // "while_closed"

Event handlingRow(qint64 at, const QString &key, const QString &value,
                  const QString &detail = QString());

// The detail of a shelved row: "<minutes> min; <user>; <reason>" (';' in the user name is
// written ','; the reason is the rest of the line and may hold anything).
QString shelvedDetail(int minutes, const QString &user, const QString &reason);
// A detail with minutes outside the shelf's bounds is not one.
struct ShelvedDetail {
    bool valid = false;
    int minutes = 0;
    QString user;
    QString reason;
};
ShelvedDetail readShelvedDetail(const QString &detail);

// 报警处理 for the category; 首出, 已确认, 已搁置, 已取消搁置, 搁置结束, 随程序意外结束 for the
// values; any other value as it is.
QString handlingCategoryText();
QString handlingValueText(const QString &value);

} // namespace events
