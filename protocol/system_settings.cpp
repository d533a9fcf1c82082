#include "protocol/system_settings.h"

namespace protocol {

namespace {

constexpr bool bit(unsigned char byte, int n) {
    return (byte >> n) & 1u;
}
constexpr int flag(bool set, int n) {
    return set ? (1 << n) : 0;
}

} // namespace

bool SystemSettings::operator==(const SystemSettings &o) const {
    return hppEnabled == o.hppEnabled && pgmEnabled == o.pgmEnabled && opModeUsr == o.opModeUsr &&
           faultDisableChiller == o.faultDisableChiller &&
           faultDisableEStop1 == o.faultDisableEStop1 &&
           faultDisableEStop2 == o.faultDisableEStop2 && faultDisableDew == o.faultDisableDew &&
           faultDisableDoorInter == o.faultDisableDoorInter &&
           faultDisablePdLeakage == o.faultDisablePdLeakage && faultDisablePd == o.faultDisablePd &&
           faultDisableTh == o.faultDisableTh &&
           faultDisableFiberInter == o.faultDisableFiberInter &&
           faultDisableFiberBreak == o.faultDisableFiberBreak &&
           faultDisableDcPwr == o.faultDisableDcPwr && aiPort == o.aiPort && redAuto == o.redAuto &&
           aoPort == o.aoPort && laserOnUsrDisabled == o.laserOnUsrDisabled &&
           dcFaultHiActive == o.dcFaultHiActive && doorInterLoActive == o.doorInterLoActive &&
           doutLoActive == o.doutLoActive && pgmInit == o.pgmInit && redOnBeam == o.redOnBeam &&
           redOnExternal == o.redOnExternal && pdLeakageLevel == o.pdLeakageLevel;
}

QByteArray encodeSystemSettings(const SystemSettings &s) {
    QByteArray value(systemSettingsSize, '\0');
    value[0] =
        static_cast<char>(((s.opModeUsr & 3) << 3) | flag(s.hppEnabled, 1) | flag(s.pgmEnabled, 2));
    value[1] = static_cast<char>(flag(s.faultDisableChiller, 0) | flag(s.faultDisableEStop1, 1) |
                                 flag(s.faultDisableEStop2, 2) | flag(s.faultDisableDew, 3) |
                                 flag(s.faultDisableDoorInter, 4) |
                                 flag(s.faultDisablePdLeakage, 5) | flag(s.faultDisablePd, 6));
    value[2] = static_cast<char>(flag(s.faultDisableTh, 0) | flag(s.faultDisableFiberInter, 1) |
                                 flag(s.faultDisableFiberBreak, 2) | flag(s.faultDisableDcPwr, 3) |
                                 flag(s.aiPort, 4) | flag(s.redAuto, 5) | flag(s.aoPort, 6));
    value[3] =
        static_cast<char>(flag(s.laserOnUsrDisabled, 0) | flag(s.dcFaultHiActive, 1) |
                          flag(s.doorInterLoActive, 2) | flag(s.doutLoActive, 3) |
                          flag(s.pgmInit, 4) | flag(s.redOnBeam, 5) | flag(s.redOnExternal, 6));
    value[4] = static_cast<char>((s.pdLeakageLevel / 50) & 0x7F);
    // value bytes 5 and 6 stay 0
    return value;
}

SystemSettings decodeSystemSettings(const char *bytes) {
    SystemSettings s;
    if (bytes == nullptr)
        return s;
    const auto *b = reinterpret_cast<const unsigned char *>(bytes);
    s.hppEnabled = bit(b[0], 1);
    s.pgmEnabled = bit(b[0], 2);
    s.opModeUsr = (b[0] >> 3) & 3;

    s.faultDisableChiller = bit(b[1], 0);
    s.faultDisableEStop1 = bit(b[1], 1);
    s.faultDisableEStop2 = bit(b[1], 2);
    s.faultDisableDew = bit(b[1], 3);
    s.faultDisableDoorInter = bit(b[1], 4);
    s.faultDisablePdLeakage = bit(b[1], 5);
    s.faultDisablePd = bit(b[1], 6);

    s.faultDisableTh = bit(b[2], 0);
    s.faultDisableFiberInter = bit(b[2], 1);
    s.faultDisableFiberBreak = bit(b[2], 2);
    s.faultDisableDcPwr = bit(b[2], 3);
    s.aiPort = bit(b[2], 4);
    s.redAuto = bit(b[2], 5);
    s.aoPort = bit(b[2], 6);

    s.laserOnUsrDisabled = bit(b[3], 0);
    s.dcFaultHiActive = bit(b[3], 1);
    s.doorInterLoActive = bit(b[3], 2);
    s.doutLoActive = bit(b[3], 3);
    s.pgmInit = bit(b[3], 4);
    s.redOnBeam = bit(b[3], 5);
    s.redOnExternal = bit(b[3], 6);

    s.pdLeakageLevel = 50 * (b[4] & 0x7F);
    return s;
}

} // namespace protocol
