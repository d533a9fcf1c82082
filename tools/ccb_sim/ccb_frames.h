#pragma once

#include "tools/ccb_sim/ccb_names.h"

#include <QByteArray>
#include <QDateTime>
#include <QtGlobal>

// The simulated CCB's frames as its state gives them: the layout of each status message, the
// parameter replies, and which frames carry check bytes the host verifies.
namespace ccbsim {

class CcbModel;

constexpr char codeProductInfo = char(0xA2);
constexpr char codeDriverBoard = char(0xD2);
constexpr char codeTemperature = char(0xE0);
constexpr char codeModuleStatus = char(0xE2);
constexpr char codeDewPoint = char(0xE4);
constexpr char codePwmInput = char(0xE5);
constexpr char codeSystemStatus = char(0xE6);
constexpr char codeClock = char(0xEE);
constexpr char codeParameter = char(0xEF);

// Frames of these codes carry check bytes the host verifies.
bool isVerifiedCode(char code);

// `message` as the model's state gives it at `now`, with its check bytes; `spoiling` (a bad-check
// round runs) makes those the host verifies wrong.
QByteArray buildFrame(const CcbModel &m, Message message, const QDateTime &now, bool spoiling);
QByteArray parameterReply(quint16 parameter, const QByteArray &value);
// The values of parameters 32 and 33: the digital inputs as the CCB wires them (AI-1 among them),
// the digital outputs.
QByteArray inputsValue(const CcbModel &m);
QByteArray outputsValue(const CcbModel &m);

} // namespace ccbsim
