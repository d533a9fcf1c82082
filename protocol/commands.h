#pragma once

#include "protocol/system_settings.h"

#include <QByteArray>
#include <QtGlobal>

// Complete frames the program sends, check bytes included.
namespace protocol {

constexpr quint16 parameterCcbVersion = 4;
constexpr quint16 parameterDigitalInputs = 32;
constexpr quint16 parameterDigitalOutputs = 33;
constexpr quint16 parameterSystemSettings = 40;
constexpr quint16 parameterRedLight = 50;

// 99 03 00 33 7B
QByteArray clearAllFaultsFrame();
// B3 03 00 .. for on, B3 03 01 .. for off: the payload is the inverse of `on`.
QByteArray dcSwitchFrame(bool on);
// Parameter request: EF, 7 + n, (operation << 3) | target, module 0, 0, (n << 3) | (p >> 7),
// p & 0x7F, value, check bytes. Operation 1 = read, 2 = write; target 1 = the CCB.
// The header has room for at most 7 value bytes and bits 0..7 of the parameter number: a longer
// value is cut to its first 7 bytes, and each value byte is sent with bit 7 cleared.
QByteArray parameterRequestFrame(quint8 operation, quint16 parameter, const QByteArray &value);
// Parameter-50 write: value redOP & 7, 7F, 7F, 0, 0, 0, 0.
QByteArray redLightFrame(quint8 redOP);
// Parameter-40 read: EF 07 09 00 00 00 28 57 5D.
QByteArray settingsReadFrame();
// Parameter-40 write carrying the encoded settings.
QByteArray settingsWriteFrame(const SystemSettings &settings);

constexpr quint8 operationReply = 0;
constexpr quint8 operationRead = 1;
constexpr quint8 operationWrite = 2;
constexpr quint8 targetCcb = 1;

} // namespace protocol
