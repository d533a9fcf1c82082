#include "events/clock_rows.h"

#include <QDateTime>
#include <QStringList>

namespace events {

namespace {

const QString format = QStringLiteral("yyyy-MM-dd HH:mm:ss");
const QString utc = QStringLiteral(" UTC");
const QString arrow = QStringLiteral(" -> ");

QString utcText(qint64 ms) {
    return QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC).toString(format) + utc;
}

std::optional<qint64> readUtc(const QString &text) {
    if (!text.endsWith(utc))
        return std::nullopt;
    QDateTime t = QDateTime::fromString(text.chopped(utc.size()), format);
    if (!t.isValid())
        return std::nullopt;
    t.setTimeSpec(Qt::UTC);
    return t.toMSecsSinceEpoch();
}

} // namespace

Event clockJumpRow(qint64 from, qint64 to) {
    return {to, QStringLiteral("clock"), QStringLiteral("jump"),
            to > from ? QStringLiteral("forward") : QStringLiteral("back"),
            utcText(from) + arrow + utcText(to)};
}

std::optional<ClockJumpRow> readClockJumpRow(const Event &row) {
    const QStringList parts = row.detail.split(arrow);
    if (row.category != QLatin1String("clock") || parts.size() != 2)
        return std::nullopt;
    const std::optional<qint64> from = readUtc(parts[0]);
    const std::optional<qint64> to = readUtc(parts[1]);
    if (!from || !to)
        return std::nullopt;
    // The detail is to the second; the row's own time is the exact one.
    return ClockJumpRow{*from + (row.at - *to), row.at};
}

} // namespace events
