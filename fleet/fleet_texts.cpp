#include "fleet/fleet_texts.h"

#include "fleet/texts.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QTimeZone>

#include <cmath>

namespace fleet {

QString serialCaption(const char *source) {
    QString text = QCoreApplication::translate("Serial", source).trimmed();
    while (text.endsWith(QLatin1Char(':')) || text.endsWith(QChar(0xff1a)))
        text.chop(1);
    return text;
}

QString clockText(qint64 msSince1970, qint64 now) {
    // The system's zone, read once: a conversion through the C library's local time looks at the
    // zone file again each time, and a filtered table of 4,000 lasers converts on every refresh.
    static const QTimeZone zone = QTimeZone::systemTimeZone();
    const QDateTime at = QDateTime::fromMSecsSinceEpoch(msSince1970, zone);
    if (at.date() == QDateTime::fromMSecsSinceEpoch(now, zone).date())
        return at.toString(QStringLiteral("HH:mm:ss"));
    return at.toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

QString ageText(qint64 ms) {
    const qint64 s = std::max<qint64>(0, ms) / 1000;
    if (s < 120)
        return Texts::tr("%1 秒").arg(s);
    if (s < 2 * 3600)
        return Texts::tr("%1 分").arg(s / 60);
    if (s < 2 * 86400)
        return Texts::tr("%1 小时").arg(s / 3600);
    return Texts::tr("%1 天").arg(s / 86400);
}

QString numberText(double value) {
    if (std::isinf(value))
        return Texts::tr("无效");
    if (!std::isfinite(value))
        return QStringLiteral("—");
    if (value == 0)
        return QStringLiteral("0"); // -0 too
    return QString::number(value, 'g', 6);
}

QString onOffText(bool on) {
    return on ? Texts::tr("开") : Texts::tr("关");
}

} // namespace fleet
