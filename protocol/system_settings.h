#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace protocol {

// CCB parameter 40: the system settings, always carried as one seven-byte value.
struct SystemSettings {
    // value byte 0
    bool hppEnabled = false;
    bool pgmEnabled = false;
    int opModeUsr = 0; // 0 automatic, 1 forced external, 2 forced internal, 3 carried as received
    // value byte 1
    bool faultDisableChiller = false;
    bool faultDisableEStop1 = false;
    bool faultDisableEStop2 = false;
    bool faultDisableDew = false;
    bool faultDisableDoorInter = false;
    bool faultDisablePdLeakage = false;
    bool faultDisablePd = false;
    // value byte 2
    bool faultDisableTh = false;
    bool faultDisableFiberInter = false;
    bool faultDisableFiberBreak = false;
    bool faultDisableDcPwr = false;
    bool aiPort = false;
    bool redAuto = false;
    bool aoPort = false;
    // value byte 3
    bool laserOnUsrDisabled = false;
    bool dcFaultHiActive = false;
    bool doorInterLoActive = false;
    bool doutLoActive = false;
    bool pgmInit = false;
    bool redOnBeam = false;
    bool redOnExternal = false;
    // value byte 4: leakage limit in steps of 50 (0..6350)
    qint32 pdLeakageLevel = 0;

    bool operator==(const SystemSettings &other) const;
    bool operator!=(const SystemSettings &other) const { return !(*this == other); }
};

constexpr int systemSettingsSize = 7;

// Seven value bytes, every byte with bit 7 clear.
QByteArray encodeSystemSettings(const SystemSettings &settings);

// Reads value bytes 0..4 of the seven at `bytes`; bytes 5 and 6 are not read. Unused bits
// (bits 0, 5, 6 of byte 0) are ignored; mode 3 and any level byte are kept as received.
// A null pointer gives the all-zero value.
SystemSettings decodeSystemSettings(const char *bytes);

} // namespace protocol
