#include "protocol/commands.h"

#include "protocol/frame.h"

namespace protocol {

namespace {

constexpr char codeClearAllFaults = char(0x99);
constexpr char codeDcSwitch = char(0xB3);
constexpr char codeParameterRequest = char(0xEF);
constexpr int maxValueLength = 7; // three bits of the header carry the value length

} // namespace

QByteArray clearAllFaultsFrame() {
    QByteArray frame;
    frame.reserve(5);
    frame.append(codeClearAllFaults).append(char(0x03)).append(char(0x00));
    appendCheckBytes(frame);
    return frame;
}

QByteArray dcSwitchFrame(bool on) {
    QByteArray frame;
    frame.reserve(5);
    // The CCB reads 0 as "switch on" and 1 as "switch off".
    frame.append(codeDcSwitch).append(char(0x03)).append(char(on ? 0x00 : 0x01));
    appendCheckBytes(frame);
    return frame;
}

QByteArray parameterRequestFrame(quint8 operation, quint16 parameter, const QByteArray &value) {
    const int n = qMin(value.size(), maxValueLength);
    QByteArray frame;
    frame.reserve(9 + n);
    frame.append(codeParameterRequest);
    frame.append(char(7 + n));
    frame.append(char(((operation & 3) << 3) | targetCcb));
    frame.append(char(0x00)); // module index
    frame.append(char(0x00)); // reserved
    frame.append(char((n << 3) | ((parameter >> 7) & 1)));
    frame.append(char(parameter & 0x7F));
    // Only the code byte may have bit 7 set on the wire.
    for (int i = 0; i < n; ++i)
        frame.append(char(value.at(i) & 0x7F));
    appendCheckBytes(frame);
    return frame;
}

QByteArray redLightFrame(quint8 redOP) {
    const char value[] = {char(redOP & 0x07), 0x7F, 0x7F, 0x00, 0x00, 0x00, 0x00};
    return parameterRequestFrame(operationWrite, parameterRedLight,
                                 QByteArray(value, int(sizeof value)));
}

QByteArray settingsReadFrame() {
    return parameterRequestFrame(operationRead, parameterSystemSettings, QByteArray());
}

QByteArray settingsWriteFrame(const SystemSettings &settings) {
    return parameterRequestFrame(operationWrite, parameterSystemSettings,
                                 encodeSystemSettings(settings));
}

} // namespace protocol
