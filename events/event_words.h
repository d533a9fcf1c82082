#pragma once

#include <QString>
#include <QStringList>
#include <QVector>
#include <QtGlobal>

// The rows of the events table in the operator's words, in the current language. The stored
// keys never change (files, scripts and the plant's peers read them); these are only what is
// shown. A lamp or value is called what the status page calls it: the form's own caption
// (context "Serial"), with the module, or the driver board and channel, where the key has one.
namespace events {

// "水冷机警报", "模块1 QBH报警", "驱动板0 通道3 驱动温度报警 2", "串口" for the link's rows,
// "系统时钟" for a jump of the clock, the command for a command; a key it does not know, as it
// is.
QString eventLabel(const QString &category, const QString &name);
// 出现 / 消除 for an alarm, 开 / 关 for a state, the event for a link row (its value is empty),
// 已发送 for a command, 向前跳变 / 向后跳变 for the clock, 首出 / 已确认 / 已搁置 ... for what was
// done with an alarm (handlingValueText); any other value as it is (a settings description, a
// number).
QString eventValueText(const QString &category, const QString &name, const QString &value);
// 报警, 状态, 链路, 命令, 设置, 时钟, 报警处理; an unknown category as it is.
QString categoryText(const QString &category);
// How long something has lasted: "45 秒", "2 分 05 秒", "1 小时 02 分", "3 天 4 小时".
QString durationText(qint64 ms);

// Every alarm and state key the history writes ("chillerFault", "module1.qbhFault",
// "board0.channel3.overTemp2", "dinPwm"), and the link, command and settings names.
QStringList flagNames();
QStringList linkNames();
QStringList commandNames();
QStringList settingsNames();

// What a search text finds among the shown words: rows of `category` whose `name` (when not
// empty) and `value` (when not empty) are these. A filter matches a row that any of them
// matches, besides the stored key, value and detail themselves.
struct ShownKey {
    QString category;
    QString name;
    QString value;
};
QVector<ShownKey> keysShownAs(const QString &text);

} // namespace events
