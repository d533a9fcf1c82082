#pragma once

#include <QString>

#include <array>

namespace events {

// The alarm keys of the status payload and the captions the status page gives them. The
// captions are the source texts of the window's form (context "Serial"), so every program that
// names an alarm uses the operator's own words in the chosen language.
struct AlarmName {
    const char *key;
    const char *caption;
};

// The "alarms" object, in the order of the payload.
extern const std::array<AlarmName, 7> systemAlarms;
// The alarm flags of each entry of "modules".
extern const std::array<AlarmName, 5> moduleAlarms;

// "module1.pd_fault" for a module alarm; system alarms keep their key.
QString moduleAlarmKey(int module, const char *key);

// Every known key has a bit of its own in a 64-bit set: the system alarms first, then the
// module alarms of modules 0 to 7 (knownAlarmBits in all). Looked up by hash, not by a pass
// over the tables.
constexpr int maxAlarmModules = 8;
constexpr int knownAlarmBits =
    7 + maxAlarmModules * 5; // systemAlarms.size() + maxAlarmModules * moduleAlarms.size()
// The bit of a known key, or -1.
int alarmBit(const QString &key);
// The key of a bit ("chiller_fault", "module1.pd_fault").
QString alarmKeyOfBit(int bit);

// The caption of a key in the current language: "chiller_fault" gives 水冷机警报 (Chiller alarm),
// "module1.pd_fault" the photodiode caption with the module's number. A key of no table (a
// newer publisher's) is shown as it is.
QString alarmCaption(const QString &key);

} // namespace events
