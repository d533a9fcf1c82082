#include "events/alarm_names.h"

#include <QCoreApplication>
#include <QHash>

namespace events {

const std::array<AlarmName, 7> systemAlarms{{
    {"external_estop", QT_TRANSLATE_NOOP("Serial", "外部急停")},
    {"door_interlock", QT_TRANSLATE_NOOP("Serial", "连锁机门")},
    {"system_fault", QT_TRANSLATE_NOOP("Serial", "系统异常")},
    {"chiller_fault", QT_TRANSLATE_NOOP("Serial", "水冷机警报")},
    {"water_temperature", QT_TRANSLATE_NOOP("Serial", "温度报警")},
    {"driver_over_current", QT_TRANSLATE_NOOP("Serial", "驱动过流报警")},
    {"driver_over_temperature", QT_TRANSLATE_NOOP("Serial", "驱动温度报警")},
}};

const std::array<AlarmName, 5> moduleAlarms{{
    {"pd_fault", QT_TRANSLATE_NOOP("Serial", "光感测警报")},
    {"qbh_fault", QT_TRANSLATE_NOOP("Serial", "QBH报警")},
    {"fiber_break_fault", QT_TRANSLATE_NOOP("Serial", "光纤断裂报警")},
    {"water_in_high", QT_TRANSLATE_NOOP("Serial", "T3温度过高")},
    {"water_out_high", QT_TRANSLATE_NOOP("Serial", "T4温度过高")},
}};

QString moduleAlarmKey(int module, const char *key) {
    return QStringLiteral("module%1.").arg(module) + QLatin1String(key);
}

static_assert(knownAlarmBits ==
                  int(systemAlarms.size()) + maxAlarmModules * int(moduleAlarms.size()),
              "one bit per known key");
static_assert(knownAlarmBits <= 64, "the known keys fit a 64-bit set");

namespace {

const QHash<QString, int> &bitsByKey() {
    static const QHash<QString, int> bits = [] {
        QHash<QString, int> b;
        for (int bit = 0; bit < knownAlarmBits; ++bit)
            b.insert(alarmKeyOfBit(bit), bit);
        return b;
    }();
    return bits;
}

} // namespace

int alarmBit(const QString &key) {
    return bitsByKey().value(key, -1);
}

QString alarmKeyOfBit(int bit) {
    const int system = int(systemAlarms.size());
    if (bit < system)
        return QLatin1String(systemAlarms[size_t(bit)].key);
    const int m = (bit - system) / int(moduleAlarms.size());
    return moduleAlarmKey(m, moduleAlarms[size_t((bit - system) % int(moduleAlarms.size()))].key);
}

QString alarmCaption(const QString &key) {
    for (const AlarmName &a : systemAlarms)
        if (key == QLatin1String(a.key))
            return QCoreApplication::translate("Serial", a.caption);
    const int dot = key.indexOf(QLatin1Char('.'));
    if (key.startsWith(QLatin1String("module")) && dot > 6) {
        bool ok = false;
        const int module = key.mid(6, dot - 6).toInt(&ok);
        const QString flag = key.mid(dot + 1);
        for (const AlarmName &a : moduleAlarms)
            if (ok && flag == QLatin1String(a.key))
                return QCoreApplication::translate("Fleet", "%1（模块%2）")
                    .arg(QCoreApplication::translate("Serial", a.caption))
                    .arg(module);
    }
    return key;
}

} // namespace events
