#include "protocol/messages.h"

#include "protocol/commands.h"

namespace protocol {

namespace {

unsigned byteAt(const QByteArray &frame, int k) {
    return static_cast<unsigned char>(frame.at(k));
}

// For the two messages of any length: a byte the frame does not reach reads as 0, so every
// flag taken from it is false.
unsigned presentByte(const QByteArray &frame, int k) {
    return k < frame.size() ? byteAt(frame, k) : 0u;
}

bool bitOf(unsigned byte, int n) {
    return (byte >> n) & 1u;
}

// Fixed-length messages: only the low five bits of the length byte count, and the frame must be
// exactly that long plus the code and length bytes.
bool hasExactLength(const QByteArray &frame, int length) {
    return frame.size() == length + 2 && (byteAt(frame, 1) & 0x1F) == unsigned(length);
}

quint16 value14(const QByteArray &frame, int k) {
    return static_cast<quint16>(((byteAt(frame, k) & 0x7F) << 7) + (byteAt(frame, k + 1) & 0x7F));
}

// Each non-zero byte becomes one character; zero padding disappears wherever it stands.
QString paddedText(const QByteArray &frame, int first, int count) {
    QString text;
    text.reserve(count);
    for (int k = first; k < first + count; ++k)
        if (const unsigned b = byteAt(frame, k))
            text.append(QChar(b));
    return text;
}

// Every byte becomes one character, zero bytes included.
QString rawText(const QByteArray &frame, int first, int count) {
    QString text(count, QChar(0));
    for (int i = 0; i < count; ++i)
        text[i] = QChar(byteAt(frame, first + i));
    return text;
}

} // namespace

void parseProductInfoReply(const QByteArray &frame, DeviceState &state) {
    if (!hasExactLength(frame, 30))
        return;
    state.productType = paddedText(frame, 2, 16);
    state.serialNumber = paddedText(frame, 18, 12);
}

void parseDriverBoardReply(const QByteArray &frame, DeviceState &state) {
    if (!hasExactLength(frame, 29))
        return;
    const unsigned board = byteAt(frame, 28) & 0x7F;
    const unsigned slot = byteAt(frame, 27) & 0x0F;
    const unsigned bank = (byteAt(frame, 27) >> 4) & 3;
    if (board >= unsigned(driverBoardCount) || slot > 3 || bank > 1)
        return;
    const unsigned channel = bank * 4 + slot;
    DriverChannel &c = state.driverChannel[board][channel];
    const unsigned faults = byteAt(frame, 2);
    c.overCurrent1 = bitOf(faults, 4);
    c.overCurrent2 = bitOf(faults, 3);
    c.overTemp1 = bitOf(faults, 2);
    c.overTemp2 = bitOf(faults, 1);
    c.overTemp3 = bitOf(faults, 0);
    c.overTemp4 = bitOf(byteAt(frame, 3), 0);
    state.driverBoardVersion[board][channel] = rawText(frame, 19, 6);
}

void parseTemperatureReply(const QByteArray &frame, DeviceState &state) {
    // No check bytes in this message: offsets 4 and 5 hold the channel and a zero byte.
    if (!hasExactLength(frame, 4) || (byteAt(frame, 5) & 0x7F) != 0)
        return;
    const qint32 degrees = value14(frame, 2) / 100;
    switch (byteAt(frame, 4) & 7) {
    case 2:
        state.tempWaterIn = degrees;
        break;
    case 3:
        state.tempWaterOut = degrees;
        break;
    default:
        break;
    }
}

void parseModuleStatusReply(const QByteArray &frame, DeviceState &state) {
    int index = 0;
    if (frame.size() >= 9) {
        index = int(byteAt(frame, 8) & 0x7F);
        if (index >= moduleCount)
            return;
    }
    state.displayModule = static_cast<qint8>(index);
    ModuleStatus &m = state.moduleStatus[index];
    const unsigned alarms = presentByte(frame, 3);
    m.pdFault = (presentByte(frame, 2) & 0x0F) != 0;
    m.qbhFault = bitOf(alarms, 6);
    m.fiberBreakFault = bitOf(alarms, 5);
    m.waterInHiFault = bitOf(alarms, 2);
    m.waterOutHiFault = bitOf(alarms, 0);
    m.beamOn = bitOf(presentByte(frame, 5), 3);
}

void parseDewPointReply(const QByteArray &frame, DeviceState &state) {
    if (!hasExactLength(frame, 8))
        return;
    state.dewPointTemp = static_cast<float>(value14(frame, 5)) / 100.0f;
}

void parsePwmInputReply(const QByteArray &frame, DeviceState &state) {
    if (!hasExactLength(frame, 10))
        return;
    state.pwmDuty = static_cast<quint8>(byteAt(frame, 3) & 0x7F);
    state.pwmFreq = value14(frame, 4);
}

void parseSystemStatusReply(const QByteArray &frame, DeviceState &state) {
    const unsigned b2 = presentByte(frame, 2);
    const unsigned b3 = presentByte(frame, 3);
    const unsigned b4 = presentByte(frame, 4);
    state.extEStop = bitOf(b2, 2);
    state.doorInterlock = bitOf(b2, 4);
    state.systemFault = bitOf(b2, 6);
    state.chillerFault = bitOf(b3, 3);
    state.redLightOn = bitOf(b3, 6);
    state.laserReady = bitOf(b4, 4);
    state.dcOn = bitOf(b4, 5);
}

void parseClockReply(const QByteArray &frame, DeviceState &state) {
    if (!hasExactLength(frame, 14))
        return;
    const unsigned year = 2020 + (byteAt(frame, 8) & 0x7F);
    const unsigned month = byteAt(frame, 9) & 0x0F;
    const unsigned day = byteAt(frame, 10) & 0x1F;
    const unsigned hour = byteAt(frame, 11) & 0x1F;
    const unsigned minute = byteAt(frame, 12) & 0x3F;
    QString text;
    text.reserve(16);
    text += QString::number(year);
    text += QLatin1Char('-');
    text += QString::number(month);
    text += QLatin1Char('-');
    text += QString::number(day);
    text += QLatin1Char(' ');
    text += QString::number(hour);
    text += QLatin1Char(':');
    if (minute < 10)
        text += QLatin1Char('0');
    text += QString::number(minute);
    state.ccbDateTime = text;
}

namespace {

// The header of a parameter reply from the CCB: false when the frame is not one the program
// takes. Check bytes are not verified for this message; the header must hold together instead.
bool parameterReplyHeader(const QByteArray &frame, unsigned *parameter, int *valueLength) {
    const int size = frame.size();
    if (size < 9)
        return false;
    const int lengthField = int(byteAt(frame, 1) & 0x1F);
    if (lengthField < 7)
        return false;
    const unsigned op = byteAt(frame, 2);
    if ((op >> 3) & 3)
        return false; // not a reply
    const int n = int((byteAt(frame, 5) >> 3) & 7);
    if (size - lengthField != 2 || lengthField - n != 7)
        return false;
    if ((op & 7) != targetCcb)
        return false;
    *parameter = ((byteAt(frame, 5) << 7) | (byteAt(frame, 6) & 0x7F)) & 0xFF;
    *valueLength = n;
    return true;
}

} // namespace

QByteArray settingsReplyValue(const QByteArray &frame) {
    unsigned parameter = 0;
    int n = 0;
    if (frame.isEmpty() || byteAt(frame, 0) != 0xEF ||
        !parameterReplyHeader(frame, &parameter, &n) || parameter != parameterSystemSettings ||
        n != systemSettingsSize)
        return QByteArray();
    return frame.mid(7, systemSettingsSize);
}

void parseParameterReply(const QByteArray &frame, DeviceState &state) {
    unsigned parameter = 0;
    int n = 0;
    if (!parameterReplyHeader(frame, &parameter, &n))
        return;

    switch (parameter) {
    case parameterCcbVersion:
        if (n == 6)
            state.ccbVersion = rawText(frame, 7, 6);
        break;
    case parameterDigitalInputs:
        if (n == 7) {
            state.dinEStop2 = bitOf(byteAt(frame, 7), 2);
            state.dinPwm = bitOf(byteAt(frame, 7), 5);
            state.dinDcOn = bitOf(byteAt(frame, 8), 2);
            state.dinLaserOn = bitOf(byteAt(frame, 8), 3);
            state.analogIn1 =
                qint32((((byteAt(frame, 10) & 0x1F) << 7) + (byteAt(frame, 11) & 0x7F)) >> 2);
        }
        break;
    case parameterDigitalOutputs:
        if (n == 7) {
            state.doutDcOn = bitOf(byteAt(frame, 7), 0);
            state.doutFault = bitOf(byteAt(frame, 7), 1);
        }
        break;
    case parameterSystemSettings:
        if (n == systemSettingsSize) {
            state.settings = decodeSystemSettings(frame.constData() + 7);
            // One reply answers a pending read-back and a pending write alike.
            if (state.sysSetReadBackState == handshakeWaiting)
                state.sysSetReadBackState = handshakeAnswered;
            if (state.sysSetWriteState == handshakeWaiting)
                state.sysSetWriteState = handshakeAnswered;
        }
        break;
    default:
        break;
    }
}

} // namespace protocol
