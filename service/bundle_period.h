#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

// The period a support bundle covers, as the window and the command line name it.
namespace service {

enum class Period { LastHour, LastDay, LastWeek, All };
// "1h", "1d", "7d", "all"
std::optional<Period> periodFromArgument(const QString &argument);
// "last hour", ... (about.txt)
QString periodName(Period period);
// The first ms (since 1970) the period covers; 0 for All.
qint64 periodStart(Period period, qint64 now);

} // namespace service
