#pragma once

#include "protocol/system_settings.h"

#include <QString>
#include <QVector>

// The 25 fields of the CCB's settings value, each with the caption the settings page shows
// beside it: the one list that profiles, comparisons and the support bundle walk.
namespace service {

struct SettingsField {
    enum Kind { Flag, Level, Mode };
    const char *name;    // the field's name in code and in profile files, e.g. "faultDisablePd"
    const char *caption; // the page's text (source text of context "Serial")
    Kind kind;
    bool protocol::SystemSettings::*flag; // Flag only
};

// Page order: the alarm masks, the other flags, the leakage limit, the mode.
const QVector<SettingsField> &settingsFields();
const SettingsField *findSettingsField(const QString &name);

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
