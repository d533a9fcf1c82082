#include "fleet/kept_line.h"

#include "fleet/texts.h"

namespace fleet {

QStringList keptLineParts(const Fleet &fleet) {
    static const char *const reasons[plant::rejectionKinds] = {
        "",
        QT_TRANSLATE_NOOP("Fleet", "大于64 KiB"),
        QT_TRANSLATE_NOOP("Fleet", "主题不符"),
        QT_TRANSLATE_NOOP("Fleet", "激光器标识含异常字符"),
        QT_TRANSLATE_NOOP("Fleet", "空消息"),
        QT_TRANSLATE_NOOP("Fleet", "不是JSON"),
        QT_TRANSLATE_NOOP("Fleet", "缺少字段"),
        QT_TRANSLATE_NOOP("Fleet", "字段类型错误"),
        QT_TRANSLATE_NOOP("Fleet", "laser_id与主题不符"),
        QT_TRANSLATE_NOOP("Fleet", "版本较新"),
        QT_TRANSLATE_NOOP("Fleet", "报警统计大于16 KiB"),
    };
    QStringList parts;
    if (fleet.rejectedTotal() > 0) {
        QStringList why;
        for (int i = 1; i < plant::rejectionKinds; ++i)
            if (fleet.rejected()[static_cast<size_t>(i)] > 0)
                why << QStringLiteral("%1 %2")
                           .arg(Texts::tr(reasons[i]))
                           .arg(fleet.rejected()[static_cast<size_t>(i)]);
        parts << Texts::tr("已忽略 %1 条消息（%2）")
                     .arg(fleet.rejectedTotal())
                     .arg(why.join(Texts::tr("，")));
    }
    if (fleet.overLaserCap() > 0)
        parts << Texts::tr("激光器已达上限 %1 台：%2 条消息未采用")
                     .arg(fleet.limits().maxLasers)
                     .arg(fleet.overLaserCap());
    if (fleet.madeRoom() > 0)
        parts << Texts::tr("激光器已达上限 %1 台：%2 台离线最久的已移除")
                     .arg(fleet.limits().maxLasers)
                     .arg(fleet.madeRoom());
    if (fleet.forgotten() > 0)
        parts << Texts::tr("离线超过 %1 天：%2 台激光器已移除")
                     .arg(fleet.limits().forgetOfflineMs / (24 * 3600 * 1000))
                     .arg(fleet.forgotten());
    if (fleet.alarmsIgnored() > 0)
        parts << Texts::tr("每条状态至多显示 %1 个未知报警：%2 个未显示")
                     .arg(plant::maxUnknownAlarms)
                     .arg(fleet.alarmsIgnored());
    if (fleet.payloadsNotKept() > 0)
        parts << Texts::tr("内存上限 %1 MiB：%2 条状态内容未保留")
                     .arg(fleet.limits().stateBytes / (1024 * 1024))
                     .arg(fleet.payloadsNotKept());
    if (fleet.summariesNotKept() > 0)
        parts << Texts::tr("%1 条报警统计属于未保留的激光器").arg(fleet.summariesNotKept());
    if (fleet.overrun() > 0)
        parts << Texts::tr("来不及处理：%1 条消息丢弃").arg(fleet.overrun());
    if (fleet.alarmEntriesDropped() > 0)
        parts << Texts::tr("报警列表已达上限 %1 条：最早的 %2 条已删去")
                     .arg(fleet.limits().maxAlarmEntries)
                     .arg(fleet.alarmEntriesDropped());
    if (fleet.eventsDropped() > 0)
        parts << Texts::tr("每台激光器保留最新 %1 条事件（至多 %2 KiB）：%3 条较早的已删去")
                     .arg(fleet.limits().maxEventsPerLaser)
                     .arg(fleet.limits().maxEventBytesPerLaser / 1024)
                     .arg(fleet.eventsDropped());
    return parts;
}

} // namespace fleet
