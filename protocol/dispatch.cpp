#include "protocol/dispatch.h"

#include "protocol/frame.h"
#include "protocol/messages.h"

namespace protocol {

namespace {

using Parser = void (*)(const QByteArray &, DeviceState &);

Verdict verifiedThen(Parser parse, const QByteArray &frame, DeviceState &state) {
    if (checkFrame(frame) != frameCrcOk)
        return Verdict::CheckFailed;
    parse(frame, state);
    return Verdict::CheckOk;
}

} // namespace

const char *verdictText(Verdict verdict) {
    switch (verdict) {
    case Verdict::CheckOk:
        return "check ok";
    case Verdict::CheckFailed:
        return "check failed";
    case Verdict::NotChecked:
        return "not checked";
    case Verdict::UnknownCode:
        break;
    }
    return "unknown code";
}

Verdict dispatchFrameVerdict(const QByteArray &frame, DeviceState &state) {
    if (frame.isEmpty())
        return Verdict::UnknownCode;
    switch (static_cast<unsigned char>(frame.at(0))) {
    case 0xA2:
        return verifiedThen(parseProductInfoReply, frame, state);
    case 0xD2:
        return verifiedThen(parseDriverBoardReply, frame, state);
    case 0xE0:
        // The CCB sends no check bytes for temperature frames.
        parseTemperatureReply(frame, state);
        return Verdict::NotChecked;
    case 0xE2:
        return verifiedThen(parseModuleStatusReply, frame, state);
    case 0xE4:
        return verifiedThen(parseDewPointReply, frame, state);
    case 0xE5:
        return verifiedThen(parsePwmInputReply, frame, state);
    case 0xE6:
        return verifiedThen(parseSystemStatusReply, frame, state);
    case 0xEE:
        return verifiedThen(parseClockReply, frame, state);
    case 0xEF:
        // Parameter replies are taken without their check bytes; the parser tests the header.
        parseParameterReply(frame, state);
        return Verdict::NotChecked;
    case 0x9A:
    case 0x9F:
    case 0xAE:
    case 0xDA:
    case 0xDC:
    case 0xDE:
        // Known to the CCB but carrying nothing shown here: dropped, their check still judged.
        return checkFrame(frame) == frameCrcOk ? Verdict::CheckOk : Verdict::CheckFailed;
    default:
        return Verdict::UnknownCode;
    }
}

int dispatchFrame(const QByteArray &frame, DeviceState &state) {
    dispatchFrameVerdict(frame, state);
    return 1;
}

} // namespace protocol
