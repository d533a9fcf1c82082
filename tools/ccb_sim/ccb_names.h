#pragma once

#include <QString>
#include <QStringList>

// The simulated CCB's alarms and status messages, and the words a scenario names them by.
namespace ccbsim {

// Everything a scenario can raise or clear. The names are the scenario command words.
enum class Alarm {
    EStop,        // external emergency stop (system status)
    Door,         // door interlock (system status)
    Fault,        // system fault, also raised by any other alarm
    Chiller,      // chiller fault (system status)
    Qbh,          // QBH / fibre interlock (module status)
    FiberBreak,   // fibre break (module status)
    WaterInHigh,  // T3 too high (module status)
    WaterOutHigh, // T4 too high (module status)
    Pd,           // photodiode fault (module status)
    OverCurrent,  // driver board over-current
    OverTemp,     // driver board over-temperature
};
constexpr int alarmCount = 11;

QString alarmName(Alarm alarm);
// Accepts the names of alarmName and a few spoken variants ("e-stop", "t3", "fibre").
bool alarmFromName(const QString &name, Alarm *alarm);
QStringList alarmNames();

// The status messages of one round, in the order they are sent.
enum class Message {
    SystemStatus, // 0xE6
    ModuleStatus, // 0xE2
    TempIn,       // 0xE0 channel 2
    TempOut,      // 0xE0 channel 3
    DewPoint,     // 0xE4
    PwmInput,     // 0xE5
    Clock,        // 0xEE
    ProductInfo,  // 0xA2
    DriverBoard,  // 0xD2
    ParamVersion, // 0xEF parameter 4
    ParamInputs,  // 0xEF parameter 32
    ParamOutputs, // 0xEF parameter 33
};
constexpr int messageCount = 12;
QString messageName(Message message);
bool messageFromName(const QString &name, Message *message);

} // namespace ccbsim
