#include "protocol/describe.h"

#include "protocol/commands.h"

#include <cmath>

namespace protocol {

namespace {

unsigned byteAt(const QByteArray &frame, int k) {
    return k < frame.size() ? static_cast<unsigned char>(frame.at(k)) : 0u;
}

bool bitOf(unsigned byte, int n) {
    return (byte >> n) & 1u;
}

int value14(const QByteArray &frame, int k) {
    return int(((byteAt(frame, k) & 0x7F) << 7) + (byteAt(frame, k + 1) & 0x7F));
}

bool exactLength(const QByteArray &frame, int length) {
    return frame.size() == length + 2 && (byteAt(frame, 1) & 0x1F) == unsigned(length);
}

// 2591 -> "25.91"
QString hundredthsText(int value) {
    QString text = QString::number(value / 100);
    text += QLatin1Char('.');
    const int rest = value % 100;
    if (rest < 10)
        text += QLatin1Char('0');
    text += QString::number(rest);
    return text;
}

QString printable(const QByteArray &frame, int first, int count) {
    QString text;
    for (int k = first; k < first + count && k < frame.size(); ++k) {
        const unsigned b = byteAt(frame, k);
        if (b >= 0x20 && b < 0x7F)
            text += QChar(b);
        else if (b != 0)
            text += QLatin1Char('?');
    }
    return text;
}

void appendFlag(QString &list, bool on, const char *name) {
    if (!on)
        return;
    if (!list.isEmpty())
        list += QLatin1String(", ");
    list += QLatin1String(name);
}

QString orNone(const QString &list) {
    return list.isEmpty() ? QStringLiteral("no flag set") : list;
}

QString wrongLength(const QString &name, const QByteArray &frame) {
    return name + QStringLiteral(": wrong length ") + QString::number(frame.size());
}

QString describeParameterValue(unsigned parameter, const QByteArray &frame, int n) {
    const QByteArray value = frame.mid(7, n);
    if (parameter == parameterSystemSettings && n == systemSettingsSize)
        return describeSettings(decodeSystemSettings(value.constData()));
    if (parameter == parameterCcbVersion && n == 6)
        return QStringLiteral("version ") + printable(frame, 7, 6);
    if (parameter == parameterDigitalInputs && n == 7) {
        QString list;
        appendFlag(list, bitOf(byteAt(frame, 7), 2), "e-stop 2");
        appendFlag(list, bitOf(byteAt(frame, 7), 5), "PWM");
        appendFlag(list, bitOf(byteAt(frame, 8), 2), "DC on");
        appendFlag(list, bitOf(byteAt(frame, 8), 3), "laser on");
        const int analog =
            int((((byteAt(frame, 10) & 0x1F) << 7) + (byteAt(frame, 11) & 0x7F)) >> 2);
        return QStringLiteral("inputs ") + orNone(list) + QStringLiteral(", analog ") +
               QString::number(analog);
    }
    if (parameter == parameterDigitalOutputs && n == 7) {
        QString list;
        appendFlag(list, bitOf(byteAt(frame, 7), 0), "DC on");
        appendFlag(list, bitOf(byteAt(frame, 7), 1), "fault");
        return QStringLiteral("outputs ") + orNone(list);
    }
    return QString::fromLatin1(value.toHex(' ')).toUpper();
}

// The parameter header shared by requests and replies; empty when it does not hold together.
QString describeParameter(const QByteArray &frame, bool sent) {
    const QString name = sent ? QStringLiteral("ParameterRequest") : QStringLiteral("Parameter");
    if (frame.size() < 9)
        return wrongLength(name, frame);
    const int lengthField = int(byteAt(frame, 1) & 0x1F);
    const int n = int((byteAt(frame, 5) >> 3) & 7);
    const unsigned op = (byteAt(frame, 2) >> 3) & 3;
    const unsigned target = byteAt(frame, 2) & 7;
    const unsigned parameter = ((byteAt(frame, 5) << 7) | (byteAt(frame, 6) & 0x7F)) & 0xFF;
    if (frame.size() - lengthField != 2 || lengthField - n != 7)
        return name + QStringLiteral(": header does not match length ") +
               QString::number(frame.size());
    QString text = name;
    text += op == operationRead    ? QStringLiteral(" read ")
            : op == operationWrite ? QStringLiteral(" write ")
            : op == operationReply ? QStringLiteral(" reply ")
                                   : QStringLiteral(" operation 3 ");
    text += QString::number(parameter);
    if (target != targetCcb)
        text += QStringLiteral(" target ") + QString::number(target);
    if (n > 0)
        text += QStringLiteral(": ") + describeParameterValue(parameter, frame, n);
    return text;
}

} // namespace

QString receivedCodeName(quint8 code) {
    switch (code) {
    case 0xA2:
        return QStringLiteral("ProductInfo");
    case 0xD2:
        return QStringLiteral("DriverBoard");
    case 0xE0:
        return QStringLiteral("Temperature");
    case 0xE2:
        return QStringLiteral("ModuleStatus");
    case 0xE4:
        return QStringLiteral("DewPoint");
    case 0xE5:
        return QStringLiteral("PwmInput");
    case 0xE6:
        return QStringLiteral("SystemStatus");
    case 0xEE:
        return QStringLiteral("Clock");
    case 0xEF:
        return QStringLiteral("Parameter");
    case 0x9A:
    case 0x9F:
    case 0xAE:
    case 0xDA:
    case 0xDC:
    case 0xDE:
        return QStringLiteral("Code ") + QString::number(code, 16).toUpper();
    default:
        return QStringLiteral("Unknown");
    }
}

QString sentCodeName(quint8 code) {
    switch (code) {
    case 0x99:
        return QStringLiteral("ClearAllFaults");
    case 0xB3:
        return QStringLiteral("DcSwitch");
    case 0xEF:
        return QStringLiteral("ParameterRequest");
    default:
        return QStringLiteral("Code ") + QString::number(code, 16).toUpper();
    }
}

QString describeReceivedFrame(const QByteArray &frame) {
    if (frame.isEmpty())
        return QStringLiteral("Empty");
    const quint8 code = static_cast<quint8>(frame.at(0));
    const QString name = receivedCodeName(code);
    switch (code) {
    case 0xA2:
        if (!exactLength(frame, 30))
            return wrongLength(name, frame);
        return name + QStringLiteral(" type ") + printable(frame, 2, 16) +
               QStringLiteral(", serial ") + printable(frame, 18, 12);
    case 0xD2: {
        if (!exactLength(frame, 29))
            return wrongLength(name, frame);
        const unsigned board = byteAt(frame, 28) & 0x7F;
        const unsigned slot = byteAt(frame, 27) & 0x0F;
        const unsigned bank = (byteAt(frame, 27) >> 4) & 3;
        if (board > 2 || slot > 3 || bank > 1)
            return name + QStringLiteral(": no such channel");
        const unsigned faults = byteAt(frame, 2);
        QString list;
        appendFlag(list, bitOf(faults, 4), "over-current 1");
        appendFlag(list, bitOf(faults, 3), "over-current 2");
        appendFlag(list, bitOf(faults, 2), "over-temperature 1");
        appendFlag(list, bitOf(faults, 1), "over-temperature 2");
        appendFlag(list, bitOf(faults, 0), "over-temperature 3");
        appendFlag(list, bitOf(byteAt(frame, 3), 0), "over-temperature 4");
        return name + QStringLiteral(" board ") + QString::number(board) +
               QStringLiteral(" channel ") + QString::number(bank * 4 + slot) +
               QStringLiteral(": ") + orNone(list) + QStringLiteral(", version ") +
               printable(frame, 19, 6);
    }
    case 0xE0: {
        const TemperatureReading t = readTemperature(frame);
        if (!t.valid)
            return frame.size() == 6 ? name + QStringLiteral(": malformed")
                                     : wrongLength(name, frame);
        // Named as on the status page: water in (channel 2) is T3, water out (channel 3) T4;
        // the other channels are counted the same way.
        return name + QStringLiteral(" T") + QString::number(t.channel + 1) + QLatin1Char(' ') +
               hundredthsText(t.hundredths) + QStringLiteral(" °C");
    }
    case 0xE2: {
        int index = 0;
        if (frame.size() >= 9) {
            index = int(byteAt(frame, 8) & 0x7F);
            if (index > 2)
                return name + QStringLiteral(": no module ") + QString::number(index);
        }
        QString list;
        appendFlag(list, (byteAt(frame, 2) & 0x0F) != 0, "PD fault");
        appendFlag(list, bitOf(byteAt(frame, 3), 6), "QBH fault");
        appendFlag(list, bitOf(byteAt(frame, 3), 5), "fiber break");
        appendFlag(list, bitOf(byteAt(frame, 3), 2), "water in high");
        appendFlag(list, bitOf(byteAt(frame, 3), 0), "water out high");
        appendFlag(list, bitOf(byteAt(frame, 5), 3), "beam on");
        return name + QStringLiteral(" module ") + QString::number(index) + QStringLiteral(": ") +
               orNone(list);
    }
    case 0xE4:
        if (!exactLength(frame, 8))
            return wrongLength(name, frame);
        return name + QLatin1Char(' ') + hundredthsText(value14(frame, 5)) + QStringLiteral(" °C");
    case 0xE5:
        if (!exactLength(frame, 10))
            return wrongLength(name, frame);
        return name + QStringLiteral(" duty ") + QString::number(byteAt(frame, 3) & 0x7F) +
               QStringLiteral(" %, frequency ") + QString::number(value14(frame, 4));
    case 0xE6: {
        QString list;
        appendFlag(list, bitOf(byteAt(frame, 4), 5), "DC on");
        appendFlag(list, bitOf(byteAt(frame, 4), 4), "laser ready");
        appendFlag(list, bitOf(byteAt(frame, 3), 6), "red light on");
        appendFlag(list, bitOf(byteAt(frame, 2), 2), "external e-stop");
        appendFlag(list, bitOf(byteAt(frame, 2), 4), "door interlock");
        appendFlag(list, bitOf(byteAt(frame, 2), 6), "system fault");
        appendFlag(list, bitOf(byteAt(frame, 3), 3), "chiller fault");
        return name + QStringLiteral(": ") + orNone(list);
    }
    case 0xEE: {
        if (!exactLength(frame, 14))
            return wrongLength(name, frame);
        const unsigned minute = byteAt(frame, 12) & 0x3F;
        return name + QLatin1Char(' ') + QString::number(2020 + (byteAt(frame, 8) & 0x7F)) +
               QLatin1Char('-') + QString::number(byteAt(frame, 9) & 0x0F) + QLatin1Char('-') +
               QString::number(byteAt(frame, 10) & 0x1F) + QLatin1Char(' ') +
               QString::number(byteAt(frame, 11) & 0x1F) + (minute < 10 ? ":0" : ":") +
               QString::number(minute);
    }
    case 0xEF:
        return describeParameter(frame, false);
    default:
        return name + QStringLiteral(", ") + QString::number(frame.size()) +
               QStringLiteral(" bytes");
    }
}

QString describeSentFrame(const QByteArray &frame) {
    if (frame.isEmpty())
        return QStringLiteral("Empty");
    const quint8 code = static_cast<quint8>(frame.at(0));
    switch (code) {
    case 0x99:
        return sentCodeName(code);
    case 0xB3:
        // The payload is the inverse of the switch.
        return sentCodeName(code) +
               (byteAt(frame, 2) == 0 ? QStringLiteral(" on") : QStringLiteral(" off"));
    case 0xEF:
        return describeParameter(frame, true);
    default:
        return sentCodeName(code) + QStringLiteral(", ") + QString::number(frame.size()) +
               QStringLiteral(" bytes");
    }
}

QString describeSettings(const SystemSettings &s) {
    static const char *const modes[] = {"automatic", "forced external", "forced internal",
                                        "mode 3"};
    QString text = QStringLiteral("mode ");
    text += QLatin1String(modes[s.opModeUsr & 3]);
    text += s.hppEnabled ? QStringLiteral(", HPP on") : QStringLiteral(", HPP off");
    text += s.pgmEnabled ? QStringLiteral(", PGM on") : QStringLiteral(", PGM off");
    text += QStringLiteral(", leakage ") + QString::number(s.pdLeakageLevel);
    QString disabled;
    appendFlag(disabled, s.faultDisableChiller, "chiller");
    appendFlag(disabled, s.faultDisableEStop1, "e-stop 1");
    appendFlag(disabled, s.faultDisableEStop2, "e-stop 2");
    appendFlag(disabled, s.faultDisableDew, "dew");
    appendFlag(disabled, s.faultDisableDoorInter, "door interlock");
    appendFlag(disabled, s.faultDisablePdLeakage, "PD leakage");
    appendFlag(disabled, s.faultDisablePd, "PD");
    appendFlag(disabled, s.faultDisableTh, "TH");
    appendFlag(disabled, s.faultDisableFiberInter, "fiber interlock");
    appendFlag(disabled, s.faultDisableFiberBreak, "fiber break");
    appendFlag(disabled, s.faultDisableDcPwr, "DC power");
    if (!disabled.isEmpty())
        text += QStringLiteral(", disabled: ") + disabled;
    QString options;
    appendFlag(options, s.aiPort, "AI port");
    appendFlag(options, s.redAuto, "red auto");
    appendFlag(options, s.aoPort, "AO port");
    appendFlag(options, s.laserOnUsrDisabled, "laser-on disabled");
    appendFlag(options, s.dcFaultHiActive, "DC fault high active");
    appendFlag(options, s.doorInterLoActive, "door interlock low active");
    appendFlag(options, s.doutLoActive, "outputs low active");
    appendFlag(options, s.pgmInit, "PGM init");
    appendFlag(options, s.redOnBeam, "red on beam");
    appendFlag(options, s.redOnExternal, "red on external");
    if (!options.isEmpty())
        text += QStringLiteral("; ") + options;
    return text;
}

TemperatureReading readTemperature(const QByteArray &frame) {
    TemperatureReading t;
    if (frame.isEmpty() || static_cast<quint8>(frame.at(0)) != 0xE0 || !exactLength(frame, 4) ||
        (byteAt(frame, 5) & 0x7F) != 0)
        return t;
    t.valid = true;
    t.channel = int(byteAt(frame, 4) & 7);
    t.hundredths = value14(frame, 2);
    return t;
}

double floatAsDecimal(float value) {
    if (!std::isfinite(value))
        return double(value);
    // Nine significant digits always read back; the first shorter form that does is the one.
    for (int digits = 1; digits < 9; ++digits) {
        const QByteArray text = QByteArray::number(double(value), 'g', digits);
        const double decimal = text.toDouble();
        if (float(decimal) == value)
            return decimal;
    }
    return QByteArray::number(double(value), 'g', 9).toDouble();
}

} // namespace protocol
