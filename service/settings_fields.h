#pragma once

#include "protocol/system_settings.h"

#include <QString>
#include <QStringList>
#include <QVector>

// The 25 fields of the CCB's settings value, each with the caption the settings page shows
// beside it and the values its control there can show: the one list that profiles, comparisons,
// the support bundle and the page's own controls (the spin box's range and step, the combo box's
// items) walk.
namespace service {

struct SettingsField {
    enum Kind { Flag, Level, Mode };
    const char *name;    // the field's name in code and in profile files, e.g. "faultDisablePd"
    const char *caption; // the page's text (source text of context "Serial")
    Kind kind;
    bool protocol::SystemSettings::*flag; // Flag only
    // The values of the page's control: minimum, maximum, and the step between them.
    int minimum = 0;
    int maximum = 1;
    int step = 1;
};

// Page order: the alarm masks, the other flags, the leakage limit, the mode.
const QVector<SettingsField> &settingsFields();
const SettingsField *findSettingsField(const QString &name);

// The operating modes as the page's combo box lists them, in index order (plain texts).
const QStringList &operatingModeNames();
// Whether the page's control for `field` can show `value`.
bool pageAllows(const SettingsField &field, int value);
// The first field, in page order, whose value no control of the page can show (a leakage limit
// above 4050, mode 3), named with its value and what the page allows (translated):
// `"控制模式" (opModeUsr) 为 3, 设定页只能给出 0 自动模式(依外部接线), 1 强制外控, 2 强制内控`.
// Empty when every field is one the page could give.
QString beyondPage(const protocol::SystemSettings &settings);

// The caption in the language in use.
QString fieldCaption(const SettingsField &field);
// A flag as true/false, the level in its units, the mode as its number.
int fieldValue(const SettingsField &field, const protocol::SystemSettings &settings);
// For people: "是"/"否" for flags, "300" for the level, "1 强制外控" for the mode.
QString fieldText(const SettingsField &field, const protocol::SystemSettings &settings);

struct FieldDifference {
    const SettingsField *field;
    QString inFile;
    QString onDevice;
};
// The fields whose values differ, in page order; empty when the two values agree.
QVector<FieldDifference> differences(const protocol::SystemSettings &file,
                                     const protocol::SystemSettings &device);

// Seven value bytes as "00 1A 02 ..." and back; fromHex gives empty for anything else than
// seven bytes of two hex digits each (blanks between them allowed).
QString valueHex(const QByteArray &value);
QByteArray valueFromHex(const QString &text);

} // namespace service
