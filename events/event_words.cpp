#include "events/event_words.h"

#include "events/handling_rows.h"
#include "events/texts.h"
#include "protocol/device_state.h"

#include <algorithm>

namespace events {

namespace {

// A lamp or value of the status page: its key, its category in the history, the form's caption
// for it and, for the digital I/O, the group box it sits in (the same captions appear in both).
struct Flag {
    const char *key;
    bool alarm;
    const char *caption;
    const char *group = nullptr;
    int number = 0; // the driver channel's sensor: overTemp2 is "驱动温度报警 2"
};

const Flag systemFlags[] = {
    {"extEStop", true, QT_TRANSLATE_NOOP("Serial", "外部急停")},
    {"doorInterlock", true, QT_TRANSLATE_NOOP("Serial", "连锁机门")},
    {"systemFault", true, QT_TRANSLATE_NOOP("Serial", "系统异常")},
    {"chillerFault", true, QT_TRANSLATE_NOOP("Serial", "水冷机警报")},
    {"redLightOn", false, QT_TRANSLATE_NOOP("Serial", "指示光标")},
    {"laserReady", false, QT_TRANSLATE_NOOP("Serial", "光闸开启")},
    {"dcOn", false, QT_TRANSLATE_NOOP("Serial", "直流开启")},
    {"dinEStop2", false, QT_TRANSLATE_NOOP("Serial", "外部急停"),
     QT_TRANSLATE_NOOP("Serial", "数字量输入")},
    {"dinPwm", false, QT_TRANSLATE_NOOP("Serial", "PWM输入"),
     QT_TRANSLATE_NOOP("Serial", "数字量输入")},
    {"dinDcOn", false, QT_TRANSLATE_NOOP("Serial", "直流开启"),
     QT_TRANSLATE_NOOP("Serial", "数字量输入")},
    {"dinLaserOn", false, QT_TRANSLATE_NOOP("Serial", "光闸开启"),
     QT_TRANSLATE_NOOP("Serial", "数字量输入")},
    {"doutDcOn", false, QT_TRANSLATE_NOOP("Serial", "直流开启"),
     QT_TRANSLATE_NOOP("Serial", "数字量输出")},
    {"doutFault", false, QT_TRANSLATE_NOOP("Serial", "报警输出"),
     QT_TRANSLATE_NOOP("Serial", "数字量输出")},
};

const Flag moduleFlags[] = {
    {"qbhFault", true, QT_TRANSLATE_NOOP("Serial", "QBH报警")},
    {"fiberBreakFault", true, QT_TRANSLATE_NOOP("Serial", "光纤断裂报警")},
    {"waterInHiFault", true, QT_TRANSLATE_NOOP("Serial", "T3温度过高")},
    {"waterOutHiFault", true, QT_TRANSLATE_NOOP("Serial", "T4温度过高")},
    {"pdFault", true, QT_TRANSLATE_NOOP("Serial", "光感测警报")},
    {"beamOn", false, QT_TRANSLATE_NOOP("Serial", "激光输出")},
};

const Flag driverFlags[] = {
    {"overCurrent1", true, QT_TRANSLATE_NOOP("Serial", "驱动过流报警"), nullptr, 1},
    {"overCurrent2", true, QT_TRANSLATE_NOOP("Serial", "驱动过流报警"), nullptr, 2},
    {"overTemp1", true, QT_TRANSLATE_NOOP("Serial", "驱动温度报警"), nullptr, 1},
    {"overTemp2", true, QT_TRANSLATE_NOOP("Serial", "驱动温度报警"), nullptr, 2},
    {"overTemp3", true, QT_TRANSLATE_NOOP("Serial", "驱动温度报警"), nullptr, 3},
    {"overTemp4", true, QT_TRANSLATE_NOOP("Serial", "驱动温度报警"), nullptr, 4},
};

// A stored name and the words shown for it, in the context the words live in.
struct Word {
    const char *key;
    const char *context;
    const char *text;
};

const Word linkWords[] = {
    {"opened", "History", QT_TRANSLATE_NOOP("History", "已打开")},
    {"open_failed", "History", QT_TRANSLATE_NOOP("History", "打开失败")},
    {"closed", "History", QT_TRANSLATE_NOOP("History", "已关闭")},
    {"link_lost", "History", QT_TRANSLATE_NOOP("History", "链路中断")},
    {"device_gone", "History", QT_TRANSLATE_NOOP("History", "设备已拔出")},
    {"port_error", "History", QT_TRANSLATE_NOOP("History", "端口错误")},
    {"state_cleared", "History", QT_TRANSLATE_NOOP("History", "状态已清除")},
    {"ended_unexpectedly", "History", QT_TRANSLATE_NOOP("History", "程序意外结束")},
};

const Word commandWords[] = {
    {"clearAllFaults", "History", QT_TRANSLATE_NOOP("History", "清除所有故障")},
    {"dcSwitch", "History", QT_TRANSLATE_NOOP("History", "直流开关")},
    {"redLight", "Serial", QT_TRANSLATE_NOOP("Serial", "红光开关")},
    {"settingsReadBack", "History", QT_TRANSLATE_NOOP("History", "读回设置")},
    {"settingsWrite", "History", QT_TRANSLATE_NOOP("History", "写入设置")},
    {"parameterRequest", "History", QT_TRANSLATE_NOOP("History", "参数请求")},
};

const Word settingsWords[] = {
    {"readBack", "History", QT_TRANSLATE_NOOP("History", "设置已读回")},
    {"written", "History", QT_TRANSLATE_NOOP("History", "设置已写入")},
};

// The category words are the ones the Events tab's filter offers.
const Word categoryWords[] = {
    {"alarm", "Diagnostics", QT_TRANSLATE_NOOP("Diagnostics", "报警")},
    {"state", "Diagnostics", QT_TRANSLATE_NOOP("Diagnostics", "状态")},
    {"link", "Diagnostics", QT_TRANSLATE_NOOP("Diagnostics", "链路")},
    {"command", "Diagnostics", QT_TRANSLATE_NOOP("Diagnostics", "命令")},
    {"settings", "Diagnostics", QT_TRANSLATE_NOOP("Diagnostics", "设置")},
    {"clock", "Diagnostics", QT_TRANSLATE_NOOP("Diagnostics", "时钟")},
};

// What a jump of the wall clock reads as.
const Word clockValueWords[] = {
    {"forward", "History", QT_TRANSLATE_NOOP("History", "向前跳变")},
    {"back", "History", QT_TRANSLATE_NOOP("History", "向后跳变")},
};

// What a command or state value reads as.
const Word valueWords[] = {
    {"on", "History", QT_TRANSLATE_NOOP("History", "开")},
    {"off", "History", QT_TRANSLATE_NOOP("History", "关")},
    {"sent", "History", QT_TRANSLATE_NOOP("History", "已发送")},
    {"requested", "History", QT_TRANSLATE_NOOP("History", "已请求")},
};

const Word alarmValueWords[] = {
    {"on", "History", QT_TRANSLATE_NOOP("History", "出现")},
    {"off", "History", QT_TRANSLATE_NOOP("History", "消除")},
};

QString serialText(const char *caption) {
    return QCoreApplication::translate("Serial", caption);
}

template <size_t N> const Word *find(const Word (&words)[N], const QString &key) {
    for (const Word &w : words)
        if (key == QLatin1String(w.key))
            return &w;
    return nullptr;
}

template <size_t N> const Flag *find(const Flag (&flags)[N], const QString &key) {
    for (const Flag &f : flags)
        if (key == QLatin1String(f.key))
            return &f;
    return nullptr;
}

template <size_t N> QString wordFor(const Word (&words)[N], const QString &key) {
    const Word *w = find(words, key);
    return w ? QCoreApplication::translate(w->context, w->text) : key;
}

QString captionOf(const Flag &f) {
    const QString caption = serialText(f.caption);
    if (f.group)
        return Texts::tr("%1：%2").arg(serialText(f.group), caption);
    if (f.number > 0)
        return caption + QLatin1Char(' ') + QString::number(f.number);
    return caption;
}

// "12" from "12" (digits only), or -1.
int numberOf(const QString &digits) {
    bool ok = false;
    const int n = digits.toInt(&ok);
    return ok && !digits.isEmpty() && digits.front().isDigit() ? n : -1;
}

// The flag a key names and the module, or the board and channel, it carries (-1 where none).
struct ParsedKey {
    const Flag *flag = nullptr;
    int module = -1;
    int board = -1;
    int channel = -1;
};

ParsedKey parseKey(const QString &name) {
    ParsedKey k;
    const QStringList parts = name.split(QLatin1Char('.'));
    if (parts.size() == 1) {
        k.flag = find(systemFlags, name);
    } else if (parts.size() == 2 && parts[0].startsWith(QLatin1String("module"))) {
        k.module = numberOf(parts[0].mid(6));
        k.flag = k.module >= 0 ? find(moduleFlags, parts[1]) : nullptr;
    } else if (parts.size() == 3 && parts[0].startsWith(QLatin1String("board")) &&
               parts[1].startsWith(QLatin1String("channel"))) {
        k.board = numberOf(parts[0].mid(5));
        k.channel = numberOf(parts[1].mid(7));
        k.flag = k.board >= 0 && k.channel >= 0 ? find(driverFlags, parts[2]) : nullptr;
    }
    return k;
}

QString flagLabel(const QString &name) {
    const ParsedKey k = parseKey(name);
    if (!k.flag)
        return name;
    if (k.module >= 0)
        return Texts::tr("模块%1 %2").arg(k.module).arg(captionOf(*k.flag));
    if (k.board >= 0)
        return Texts::tr("驱动板%1 通道%2 %3").arg(k.board).arg(k.channel).arg(captionOf(*k.flag));
    return captionOf(*k.flag);
}

template <size_t N> QStringList keysOf(const Word (&words)[N]) {
    QStringList keys;
    for (const Word &w : words)
        keys << QLatin1String(w.key);
    return keys;
}

bool shows(const QString &shown, const QString &text) {
    return shown.contains(text, Qt::CaseInsensitive);
}

} // namespace

QString eventLabel(const QString &category, const QString &name) {
    if (category == QLatin1String("link"))
        return Texts::tr("串口");
    if (category == QLatin1String("command"))
        return wordFor(commandWords, name);
    if (category == QLatin1String("settings"))
        return wordFor(settingsWords, name);
    if (category == QLatin1String("clock"))
        return Texts::tr("系统时钟");
    return flagLabel(name);
}

QString eventValueText(const QString &category, const QString &name, const QString &value) {
    if (category == QLatin1String("alarm"))
        return wordFor(alarmValueWords, value);
    if (category == QLatin1String("link"))
        return find(linkWords, name) ? wordFor(linkWords, name) : value;
    if (category == QLatin1String("state") || category == QLatin1String("command"))
        return wordFor(valueWords, value);
    if (category == QLatin1String("clock"))
        return wordFor(clockValueWords, value);
    if (category == handlingCategory)
        return handlingValueText(value);
    return value;
}

QString categoryText(const QString &category) {
    return category == handlingCategory ? handlingCategoryText() : wordFor(categoryWords, category);
}

QString durationText(qint64 ms) {
    const qint64 s = std::max<qint64>(ms, 0) / 1000;
    const QLatin1Char zero('0');
    if (s < 60)
        return Texts::tr("%1 秒").arg(s);
    if (s < 3600)
        return Texts::tr("%1 分 %2 秒").arg(s / 60).arg(s % 60, 2, 10, zero);
    if (s < 86400)
        return Texts::tr("%1 小时 %2 分").arg(s / 3600).arg(s % 3600 / 60, 2, 10, zero);
    return Texts::tr("%1 天 %2 小时").arg(s / 86400).arg(s % 86400 / 3600);
}

QStringList flagNames() {
    QStringList names;
    for (const Flag &f : systemFlags)
        names << QLatin1String(f.key);
    for (int m = 0; m < protocol::moduleCount; ++m)
        for (const Flag &f : moduleFlags)
            names << QStringLiteral("module%1.").arg(m) + QLatin1String(f.key);
    for (int b = 0; b < protocol::driverBoardCount; ++b)
        for (int c = 0; c < protocol::driverChannelCount; ++c)
            for (const Flag &f : driverFlags)
                names << QStringLiteral("board%1.channel%2.").arg(b).arg(c) + QLatin1String(f.key);
    return names;
}

QStringList linkNames() {
    return keysOf(linkWords);
}

QStringList commandNames() {
    return keysOf(commandWords);
}

QStringList settingsNames() {
    return keysOf(settingsWords);
}

QVector<ShownKey> keysShownAs(const QString &text) {
    QVector<ShownKey> keys;
    if (text.isEmpty())
        return keys;
    for (const QString &name : flagNames()) {
        if (!shows(flagLabel(name), text))
            continue;
        const bool alarm = parseKey(name).flag->alarm;
        keys.append({alarm ? QStringLiteral("alarm") : QStringLiteral("state"), name, QString()});
        // What was done with it is named as the alarm is.
        if (alarm)
            keys.append({handlingCategory, name, QString()});
    }
    for (const QString &value : {firstOutValue, acknowledgedValue, shelvedValue, unshelvedValue,
                                 shelfEndedValue, endedWithRunValue})
        if (shows(handlingValueText(value), text))
            keys.append({handlingCategory, QString(), value});
    if (shows(eventLabel(QStringLiteral("link"), QString()), text))
        keys.append({QStringLiteral("link"), QString(), QString()});
    for (const Word &w : linkWords)
        if (shows(wordFor(linkWords, QLatin1String(w.key)), text))
            keys.append({QStringLiteral("link"), QLatin1String(w.key), QString()});
    for (const Word &w : commandWords)
        if (shows(wordFor(commandWords, QLatin1String(w.key)), text))
            keys.append({QStringLiteral("command"), QLatin1String(w.key), QString()});
    for (const Word &w : settingsWords)
        if (shows(wordFor(settingsWords, QLatin1String(w.key)), text))
            keys.append({QStringLiteral("settings"), QLatin1String(w.key), QString()});
    for (const Word &w : alarmValueWords)
        if (shows(wordFor(alarmValueWords, QLatin1String(w.key)), text))
            keys.append({QStringLiteral("alarm"), QString(), QLatin1String(w.key)});
    if (shows(eventLabel(QStringLiteral("clock"), QString()), text))
        keys.append({QStringLiteral("clock"), QString(), QString()});
    for (const Word &w : clockValueWords)
        if (shows(wordFor(clockValueWords, QLatin1String(w.key)), text))
            keys.append({QStringLiteral("clock"), QString(), QLatin1String(w.key)});
    for (const char *category : {"state", "command"})
        for (const Word &w : valueWords)
            if (shows(wordFor(valueWords, QLatin1String(w.key)), text))
                keys.append({QLatin1String(category), QString(), QLatin1String(w.key)});
    return keys;
}

} // namespace events
