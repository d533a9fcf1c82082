#include "service/settings_fields.h"

#include "service/texts.h"

namespace service {

using protocol::SystemSettings;

const QVector<SettingsField> &settingsFields() {
    static const QVector<SettingsField> fields = {
        {"faultDisableChiller", "屏蔽冷水机警报", SettingsField::Flag,
         &SystemSettings::faultDisableChiller},
        {"faultDisableEStop1", "屏蔽内部急停", SettingsField::Flag,
         &SystemSettings::faultDisableEStop1},
        {"faultDisableEStop2", "屏蔽外部急停", SettingsField::Flag,
         &SystemSettings::faultDisableEStop2},
        {"faultDisableDew", "屏蔽露点警报", SettingsField::Flag, &SystemSettings::faultDisableDew},
        {"faultDisableDoorInter", "屏蔽门位警报", SettingsField::Flag,
         &SystemSettings::faultDisableDoorInter},
        {"faultDisablePdLeakage", "屏蔽漏光警报", SettingsField::Flag,
         &SystemSettings::faultDisablePdLeakage},
        {"faultDisablePd", "屏蔽PD警报", SettingsField::Flag, &SystemSettings::faultDisablePd},
        {"faultDisableTh", "屏蔽温度警报", SettingsField::Flag, &SystemSettings::faultDisableTh},
        {"faultDisableFiberInter", "屏蔽QBH警报", SettingsField::Flag,
         &SystemSettings::faultDisableFiberInter},
        {"faultDisableFiberBreak", "屏蔽光纤断裂警报", SettingsField::Flag,
         &SystemSettings::faultDisableFiberBreak},
        {"faultDisableDcPwr", "屏蔽电源警报", SettingsField::Flag,
         &SystemSettings::faultDisableDcPwr},
        {"hppEnabled", "超调模式HPP", SettingsField::Flag, &SystemSettings::hppEnabled},
        {"pgmEnabled", "工艺程序PgmIO", SettingsField::Flag, &SystemSettings::pgmEnabled},
        {"aiPort", "输入模拟量埠(备用)", SettingsField::Flag, &SystemSettings::aiPort},
        {"redAuto", "红光自动", SettingsField::Flag, &SystemSettings::redAuto},
        {"aoPort", "输出模拟量埠(in PD)", SettingsField::Flag, &SystemSettings::aoPort},
        {"laserOnUsrDisabled", "内控光闸失效", SettingsField::Flag,
         &SystemSettings::laserOnUsrDisabled},
        {"dcFaultHiActive", "直流电源警报高准位", SettingsField::Flag,
         &SystemSettings::dcFaultHiActive},
        {"doorInterLoActive", "门位警报低准位", SettingsField::Flag,
         &SystemSettings::doorInterLoActive},
        {"doutLoActive", "数位输出低准位", SettingsField::Flag, &SystemSettings::doutLoActive},
        {"pgmInit", "自动启动(光闸控制)", SettingsField::Flag, &SystemSettings::pgmInit},
        {"redOnBeam", "红光自动下 依实际出光", SettingsField::Flag, &SystemSettings::redOnBeam},
        {"redOnExternal", "红光外控", SettingsField::Flag, &SystemSettings::redOnExternal},
        // The spin box: 0 to 4050 in steps of 50 (the caption's own range starts at 50).
        {"pdLeakageLevel", "光感测漏光上限值 Pd1 50..4050", SettingsField::Level, nullptr, 0, 4050,
         50},
        // The combo box's three items; mode 3 has none.
        {"opModeUsr", "控制模式", SettingsField::Mode, nullptr, 0, 2, 1},
    };
    return fields;
}

const SettingsField *findSettingsField(const QString &name) {
    for (const SettingsField &f : settingsFields())
        if (name == QLatin1String(f.name))
            return &f;
    return nullptr;
}

const QStringList &operatingModeNames() {
    static const QStringList names = {QString::fromUtf8("自动模式(依外部接线)"),
                                      QString::fromUtf8("强制外控"), QString::fromUtf8("强制内控")};
    return names;
}

bool pageAllows(const SettingsField &field, int value) {
    return value >= field.minimum && value <= field.maximum &&
           (value - field.minimum) % field.step == 0;
}

QString beyondPage(const SystemSettings &settings) {
    for (const SettingsField &f : settingsFields()) {
        const int value = fieldValue(f, settings);
        if (pageAllows(f, value))
            continue;
        QStringList allowed;
        if (f.kind == SettingsField::Mode)
            for (int mode = f.minimum; mode <= f.maximum; ++mode)
                allowed << QString::number(mode) + QLatin1Char(' ') +
                               operatingModeNames().value(mode);
        else
            allowed << Texts::tr("%1..%2, 步长 %3").arg(f.minimum).arg(f.maximum).arg(f.step);
        return Texts::tr("\"%1\" (%2) 为 %3, 设定页只能给出 %4")
            .arg(fieldCaption(f), QLatin1String(f.name))
            .arg(value)
            .arg(allowed.join(QStringLiteral(", ")));
    }
    return QString();
}

QString fieldCaption(const SettingsField &field) {
    return QCoreApplication::translate("Serial", field.caption);
}

int fieldValue(const SettingsField &field, const SystemSettings &s) {
    switch (field.kind) {
    case SettingsField::Flag:
        return s.*field.flag ? 1 : 0;
    case SettingsField::Level:
        return s.pdLeakageLevel;
    case SettingsField::Mode:
        return s.opModeUsr;
    }
    return 0;
}

QString fieldText(const SettingsField &field, const SystemSettings &s) {
    const int value = fieldValue(field, s);
    switch (field.kind) {
    case SettingsField::Flag:
        return value ? Texts::tr("是") : Texts::tr("否");
    case SettingsField::Level:
        return QString::number(value);
    case SettingsField::Mode:
        break;
    }
    // The mode names are the combo box's plain texts; mode 3 has none.
    return value >= 0 && value < operatingModeNames().size()
               ? QString::number(value) + QLatin1Char(' ') + operatingModeNames().at(value)
               : QString::number(value);
}

QVector<FieldDifference> differences(const SystemSettings &file, const SystemSettings &device) {
    QVector<FieldDifference> out;
    for (const SettingsField &f : settingsFields())
        if (fieldValue(f, file) != fieldValue(f, device))
            out.append({&f, fieldText(f, file), fieldText(f, device)});
    return out;
}

QString valueHex(const QByteArray &value) {
    return QString::fromLatin1(value.toHex(' ').toUpper());
}

QByteArray valueFromHex(const QString &text) {
    QString digits = text;
    digits.remove(QLatin1Char(' '));
    if (digits.size() != 2 * protocol::systemSettingsSize)
        return QByteArray();
    for (const QChar c : digits)
        if (!((c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
              (c >= QLatin1Char('a') && c <= QLatin1Char('f')) ||
              (c >= QLatin1Char('A') && c <= QLatin1Char('F'))))
            return QByteArray();
    return QByteArray::fromHex(digits.toLatin1());
}

} // namespace service
