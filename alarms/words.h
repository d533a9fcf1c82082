#pragma once

#include "alarms/decisions.h"
#include "alarms/handling.h"
#include "alarms/rules.h"
#include "alarms/shelf_file.h"

#include <QString>

// The alarm handling in the operator's words, in the language installed when asked. Alarm names
// are the event words' (the status page's captions); a key no table knows reads as it is.
namespace alarms {

QString alarmName(const QString &key);
QString stateText(State state);
// "首出: 连锁机门" / "First out: Door interlock", "报警泛滥：10 分钟内 11 次报警", ...
QString noticeText(const Notice &notice);
// What no data is: the port closed, the link lost, waiting for the first frame; empty while
// live.
QString linkText(Link link);
QString floodText(qint64 rises);
// Why an alarm cannot be shelved; empty when it can.
QString shelvingText(Shelving why);
QString shelveResultText(ShelveResult result);

// The shelf file as the status line says it: empty when there is nothing to say.
QString shelfReadText(const ShelfRead &read);
QString restoreText(const RestoreReport &report);

} // namespace alarms
