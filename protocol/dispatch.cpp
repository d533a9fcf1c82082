#include "protocol/dispatch.h"

#include "protocol/frame.h"
#include "protocol/messages.h"

namespace protocol {

namespace {

using Parser = void (*)(const QByteArray &, DeviceState &);

void verifiedThen(Parser parse, const QByteArray &frame, DeviceState &state) {
    if (checkFrame(frame) == frameCrcOk)
        parse(frame, state);
}

} // namespace

int dispatchFrame(const QByteArray &frame, DeviceState &state) {
    if (frame.isEmpty())
        return 1;
    switch (static_cast<unsigned char>(frame.at(0))) {
    case 0xA2:
        verifiedThen(parseProductInfoReply, frame, state);
        break;
    case 0xD2:
        verifiedThen(parseDriverBoardReply, frame, state);
        break;
    case 0xE0:
        // The CCB sends no check bytes for temperature frames.
        parseTemperatureReply(frame, state);
        break;
    case 0xE2:
        verifiedThen(parseModuleStatusReply, frame, state);
        break;
    case 0xE4:
        verifiedThen(parseDewPointReply, frame, state);
        break;
    case 0xE5:
        verifiedThen(parsePwmInputReply, frame, state);
        break;
    case 0xE6:
        verifiedThen(parseSystemStatusReply, frame, state);
        break;
    case 0xEE:
        verifiedThen(parseClockReply, frame, state);
        break;
    case 0xEF:
        // Parameter replies are taken without their check bytes; the parser tests the header.
        parseParameterReply(frame, state);
        break;
    default:
        // 0x9A, 0x9F, 0xAE, 0xDA, 0xDC, 0xDE are known to the CCB but carry nothing shown
        // here; every other code is unknown. Both are dropped.
        break;
    }
    return 1;
}

} // namespace protocol
