#include "tools/ccb_sim/ccb_names.h"

namespace ccbsim {

namespace {

struct AlarmWord {
    Alarm alarm;
    const char *name;
};
// First name of each alarm is the one shown; the rest are accepted spellings.
const AlarmWord alarmWords[] = {
    {Alarm::EStop, "estop"},
    {Alarm::EStop, "e-stop"},
    {Alarm::EStop, "emergency"},
    {Alarm::Door, "door"},
    {Alarm::Door, "interlock"},
    {Alarm::Fault, "fault"},
    {Alarm::Chiller, "chiller"},
    {Alarm::Qbh, "qbh"},
    {Alarm::FiberBreak, "fiberbreak"},
    {Alarm::FiberBreak, "fibrebreak"},
    {Alarm::FiberBreak, "fiber"},
    {Alarm::FiberBreak, "fibre"},
    {Alarm::WaterInHigh, "waterin"},
    {Alarm::WaterInHigh, "t3"},
    {Alarm::WaterOutHigh, "waterout"},
    {Alarm::WaterOutHigh, "t4"},
    {Alarm::Pd, "pd"},
    {Alarm::OverCurrent, "overcurrent"},
    {Alarm::OverCurrent, "oc"},
    {Alarm::OverTemp, "overtemp"},
    {Alarm::OverTemp, "ot"},
};

const char *const messageWords[messageCount] = {
    "e6", "e2", "tempin", "tempout", "e4", "e5", "ee", "a2", "d2", "param4", "param32", "param33",
};

} // namespace

QString alarmName(Alarm alarm) {
    for (const AlarmWord &w : alarmWords)
        if (w.alarm == alarm)
            return QString::fromLatin1(w.name);
    return QString();
}

bool alarmFromName(const QString &name, Alarm *alarm) {
    const QString wanted = name.toLower();
    for (const AlarmWord &w : alarmWords) {
        if (wanted == QLatin1String(w.name)) {
            *alarm = w.alarm;
            return true;
        }
    }
    return false;
}

QStringList alarmNames() {
    QStringList names;
    for (int i = 0; i < alarmCount; ++i)
        names << alarmName(Alarm(i));
    return names;
}

QString messageName(Message message) {
    return QString::fromLatin1(messageWords[int(message)]);
}

bool messageFromName(const QString &name, Message *message) {
    const QString wanted = name.toLower();
    for (int i = 0; i < messageCount; ++i) {
        if (wanted == QLatin1String(messageWords[i])) {
            *message = Message(i);
            return true;
        }
    }
    return false;
}

} // namespace ccbsim
