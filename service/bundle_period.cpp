#include "service/bundle_period.h"

namespace service {

std::optional<Period> periodFromArgument(const QString &argument) {
    if (argument == QLatin1String("1h"))
        return Period::LastHour;
    if (argument == QLatin1String("1d"))
        return Period::LastDay;
    if (argument == QLatin1String("7d"))
        return Period::LastWeek;
    if (argument == QLatin1String("all"))
        return Period::All;
    return std::nullopt;
}

QString periodName(Period period) {
    switch (period) {
    case Period::LastHour:
        return QStringLiteral("last hour");
    case Period::LastDay:
        return QStringLiteral("last day");
    case Period::LastWeek:
        return QStringLiteral("last week");
    case Period::All:
        break;
    }
    return QStringLiteral("all");
}

qint64 periodStart(Period period, qint64 now) {
    constexpr qint64 hour = 3600 * 1000;
    switch (period) {
    case Period::LastHour:
        return now - hour;
    case Period::LastDay:
        return now - 24 * hour;
    case Period::LastWeek:
        return now - 7 * 24 * hour;
    case Period::All:
        break;
    }
    return 0;
}

} // namespace service
