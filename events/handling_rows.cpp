#include "events/handling_rows.h"

#include "events/texts.h"

namespace events {

const QString handlingCategory = QStringLiteral("handling");
const QString firstOutValue = QStringLiteral("first_out");
const QString acknowledgedValue = QStringLiteral("acknowledged");
const QString shelvedValue = QStringLiteral("shelved");
const QString unshelvedValue = QStringLiteral("unshelved");
const QString shelfEndedValue = QStringLiteral("shelf_ended");
const QString endedWithRunValue = QStringLiteral("ended_with_run");
const QString whileClosedDetail = QStringLiteral("while_closed");

Event handlingRow(qint64 at, const QString &key, const QString &value, const QString &detail) {
    return Event{at, handlingCategory, key, value, detail};
}

QString shelvedDetail(int minutes, const QString &user, const QString &reason) {
    QString who = user;
    who.replace(QLatin1Char(';'), QLatin1Char(','));
    return QStringLiteral("%1 min; %2; %3").arg(minutes).arg(who, reason);
}

ShelvedDetail readShelvedDetail(const QString &detail) {
    ShelvedDetail d;
    const int unit = detail.indexOf(QLatin1String(" min; "));
    const int user = unit < 0 ? -1 : detail.indexOf(QLatin1String("; "), unit + 6);
    if (user < 0)
        return d;
    bool ok = false;
    const QString digits = detail.left(unit);
    d.minutes = digits.size() <= 3 ? digits.toInt(&ok) : 0;
    if (!ok || !digits.front().isDigit() || d.minutes < shortestShelfMinutes ||
        d.minutes > longestShelfMinutes)
        return ShelvedDetail();
    d.user = detail.mid(unit + 6, user - unit - 6);
    d.reason = detail.mid(user + 2);
    d.valid = true;
    return d;
}

QString handlingCategoryText() {
    return Texts::tr("报警处理");
}

QString handlingValueText(const QString &value) {
    if (value == firstOutValue)
        return Texts::tr("首出");
    if (value == acknowledgedValue)
        return Texts::tr("已确认");
    if (value == shelvedValue)
        return Texts::tr("已搁置");
    if (value == unshelvedValue)
        return Texts::tr("已取消搁置");
    if (value == shelfEndedValue)
        return Texts::tr("搁置结束");
    if (value == endedWithRunValue)
        return Texts::tr("随程序意外结束");
    return value;
}

} // namespace events
