// The nine CCB messages: what each parser accepts, what it writes, and what the dispatcher
// routes to it.

#include "support/frames.h"
#include "support/table.h"

#include "protocol/commands.h"
#include "protocol/describe.h"
#include "protocol/device_state.h"
#include "protocol/dispatch.h"
#include "protocol/frame.h"
#include "protocol/messages.h"
#include "protocol/system_settings.h"

#include <QTest>

#include <functional>

using namespace protocol;
using frames::busyState;
using frames::bytes;
using frames::clock;
using frames::driverBoard;
using frames::hex;
using frames::make;
using frames::parameterReply;
using frames::productInfo;
using frames::temperature;
using frames::withLengthByte;
using frames::zeros;

using Parser = void (*)(const QByteArray &, DeviceState &);
using Change = std::function<void(DeviceState &)>;
Q_DECLARE_METATYPE(Parser)
Q_DECLARE_METATYPE(Change)
Q_DECLARE_METATYPE(protocol::DeviceState)

namespace {

QString text(const char *chars, int size) {
    return QString::fromLatin1(chars, size);
}

void addRow(const char *name, const QByteArray &frame, const DeviceState &start,
            const Change &change) {
    DeviceState expected = start;
    change(expected);
    QTest::newRow(name) << frame << start << expected;
}

void addRow(const char *name, const QByteArray &frame, const Change &change) {
    addRow(name, frame, busyState(), change);
}

void addColumns() {
    fixture::columns<QByteArray, DeviceState, DeviceState>("frame", "start", "expected");
}

void runRow(Parser parse) {
    QFETCH(QByteArray, frame);
    QFETCH(DeviceState, start);
    QFETCH(DeviceState, expected);
    DeviceState state = start;
    parse(frame, state);
    QVERIFY2(state == expected, frame.toHex(' ').constData());
    // Through the dispatcher the frame does the same when its check bytes pass or are not
    // verified for its code, and nothing otherwise.
    const quint8 code = quint8(frame.at(0));
    const bool handled = code == 0xE0 || code == 0xEF || checkFrame(frame) == frameCrcOk;
    DeviceState routed = start;
    QCOMPARE(dispatchFrame(frame, routed), 1);
    QVERIFY2(routed == (handled ? expected : start), frame.toHex(' ').constData());
}

const Change nothing = [](DeviceState &) {};

} // namespace

class MessagesTest : public QObject {
    Q_OBJECT

private slots:
    // --- ProductInfoReply (0xA2) ---
    void productInfoTextsSkipZeroBytes_data() {
        addColumns();
        addRow("zero bytes inside the text are skipped",
               productInfo(hex("41 42 00 00 43") + zeros(11), QByteArray("SN1") + zeros(9)),
               [](DeviceState &s) {
                   s.productType = QStringLiteral("ABC");
                   s.serialNumber = QStringLiteral("SN1");
               });
        addRow("full texts without padding",
               productInfo(QByteArray("ABCDEFGHIJKLMNOP"), QByteArray("0123456789AB")),
               [](DeviceState &s) {
                   s.productType = QStringLiteral("ABCDEFGHIJKLMNOP");
                   s.serialNumber = QStringLiteral("0123456789AB");
               });
        addRow("leading zeros skipped too",
               productInfo(zeros(15) + QByteArray("Z"), zeros(11) + QByteArray("9")),
               [](DeviceState &s) {
                   s.productType = QStringLiteral("Z");
                   s.serialNumber = QStringLiteral("9");
               });
        addRow("all zero bytes replace the texts with empty ones",
               productInfo(zeros(16), zeros(12)), [](DeviceState &s) {
                   s.productType.clear();
                   s.serialNumber.clear();
               });
        addRow("length byte with bit 5 set",
               productInfo(QByteArray("T") + zeros(15), QByteArray("S") + zeros(11), 0x3E),
               [](DeviceState &s) {
                   s.productType = QStringLiteral("T");
                   s.serialNumber = QStringLiteral("S");
               });
        addRow("length byte with bits 5 and 6 set",
               productInfo(QByteArray("T") + zeros(15), QByteArray("S") + zeros(11), 0x7E),
               [](DeviceState &s) {
                   s.productType = QStringLiteral("T");
                   s.serialNumber = QStringLiteral("S");
               });
    }
    void productInfoTextsSkipZeroBytes() { runRow(parseProductInfoReply); }

    // --- DriverBoardReply (0xD2) ---
    void driverBoardWritesTheAddressedChannel_data() {
        addColumns();
        const QByteArray version = QByteArray("V1.2.3");
        addRow("board 0, bank 0, slot 0 is channel 0", driverBoard(0, 0, version, 0x00, 0),
               [](DeviceState &s) {
                   s.driverChannel[0][0] = DriverChannel{};
                   s.driverBoardVersion[0][0] = QStringLiteral("V1.2.3");
               });
        addRow("bank 1, slot 3 is channel 7", driverBoard(0, 0, version, 0x13, 1),
               [](DeviceState &s) {
                   s.driverChannel[1][7] = DriverChannel{};
                   s.driverBoardVersion[1][7] = QStringLiteral("V1.2.3");
               });
        addRow("board 2, bank 0, slot 2 is channel 2", driverBoard(0, 0, version, 0x02, 2),
               [](DeviceState &s) {
                   s.driverChannel[2][2] = DriverChannel{};
                   s.driverBoardVersion[2][2] = QStringLiteral("V1.2.3");
               });
        addRow("bit 6 of the slot byte and bit 7 of the board byte are not read",
               driverBoard(0, 0, version, 0x51, 0x82), [](DeviceState &s) {
                   s.driverChannel[2][5] = DriverChannel{};
                   s.driverBoardVersion[2][5] = QStringLiteral("V1.2.3");
               });
        addRow("zero bytes of the version are kept as NUL characters",
               driverBoard(0, 0, hex("56 31 00 32 00 00"), 0x00, 0), [](DeviceState &s) {
                   s.driverChannel[0][0] = DriverChannel{};
                   s.driverBoardVersion[0][0] = text("V1\0"
                                                     "2\0\0",
                                                     6);
               });
        addRow("length byte with bit 6 set", driverBoard(0, 0, version, 0x00, 0, 0x5D),
               [](DeviceState &s) {
                   s.driverChannel[0][0] = DriverChannel{};
                   s.driverBoardVersion[0][0] = QStringLiteral("V1.2.3");
               });

        struct Bits {
            const char *name;
            int faults, faults2;
            DriverChannel channel;
        };
        const Bits bits[] = {
            {"offset 2 bit 4 is overCurrent1", 0x10, 0, {true, false, false, false, false, false}},
            {"offset 2 bit 3 is overCurrent2", 0x08, 0, {false, true, false, false, false, false}},
            {"offset 2 bit 2 is overTemp1", 0x04, 0, {false, false, true, false, false, false}},
            {"offset 2 bit 1 is overTemp2", 0x02, 0, {false, false, false, true, false, false}},
            {"offset 2 bit 0 is overTemp3", 0x01, 0, {false, false, false, false, true, false}},
            {"offset 3 bit 0 is overTemp4", 0, 0x01, {false, false, false, false, false, true}},
            {"bits 5 and 6 of offset 2 and 1..6 of offset 3 are not read", 0x60, 0x7E, {}},
        };
        for (const Bits &b : bits) {
            const DriverChannel channel = b.channel;
            addRow(b.name, driverBoard(b.faults, b.faults2, version, 0x13, 0), DeviceState{},
                   [channel](DeviceState &s) {
                       s.driverChannel[0][7] = channel;
                       s.driverBoardVersion[0][7] = QStringLiteral("V1.2.3");
                   });
        }
    }
    void driverBoardWritesTheAddressedChannel() { runRow(parseDriverBoardReply); }

    // --- TemperatureReply (0xE0) ---
    void temperatureSetsWholeDegreesOfItsChannel_data() {
        addColumns();
        addRow("raw 2591 on channel 2 is 25 degrees water in", temperature(0x14, 0x1F, 2),
               [](DeviceState &s) { s.tempWaterIn = 25; });
        addRow("channel 3 is water out", temperature(0x14, 0x1F, 3),
               [](DeviceState &s) { s.tempWaterOut = 25; });
        addRow("raw 16383 is 163 degrees", temperature(0x7F, 0x7F, 2),
               [](DeviceState &s) { s.tempWaterIn = 163; });
        addRow("raw 99 is 0 degrees", temperature(0x00, 0x63, 3),
               [](DeviceState &s) { s.tempWaterOut = 0; });
        addRow("raw 100 is 1 degree", temperature(0x00, 0x64, 3),
               [](DeviceState &s) { s.tempWaterOut = 1; });
        addRow("only bits 0..2 of the channel byte count", temperature(0x14, 0x1F, 0x0A),
               [](DeviceState &s) { s.tempWaterIn = 25; });
        addRow("bit 7 of the zero byte is not read", temperature(0x14, 0x1F, 2, 0x80),
               [](DeviceState &s) { s.tempWaterIn = 25; });
        addRow("length byte with bits 5 and 6 set", temperature(0x14, 0x1F, 2, 0, 0x64),
               [](DeviceState &s) { s.tempWaterIn = 25; });
        addRow("bit 7 in the raw bytes is not read", temperature(0x94, 0x9F, 2),
               [](DeviceState &s) { s.tempWaterIn = 25; });
    }
    void temperatureSetsWholeDegreesOfItsChannel() { runRow(parseTemperatureReply); }

    // --- ModuleStatusReply (0xE2) ---
    void moduleStatusFillsTheIndexedRecord_data() {
        addColumns();
        DeviceState showingModule1;
        showingModule1.displayModule = 1;
        addRow("eight bytes update module 0 and show it", make(0xE2, hex("01 65 00 08")),
               showingModule1, [](DeviceState &s) {
                   s.displayModule = 0;
                   s.moduleStatus[0] = ModuleStatus{true, true, true, true, true, true};
               });
        addRow("index 2 at offset 8", make(0xE2, hex("00 00 00 00 00 00 02")), [](DeviceState &s) {
            s.displayModule = 2;
            s.moduleStatus[2] = ModuleStatus{};
        });
        addRow("bit 7 of the index byte is not read", make(0xE2, hex("00 40 00 00 00 00 82")),
               [](DeviceState &s) {
                   s.displayModule = 2;
                   s.moduleStatus[2] = ModuleStatus{true, false, false, false, false, false};
               });
        addRow("index 0 in a longer frame", make(0xE2, hex("00 00 00 00 00 00 00 11 22 33")),
               [](DeviceState &s) {
                   s.displayModule = 0;
                   s.moduleStatus[0] = ModuleStatus{};
               });
        addRow("a frame of code and length byte clears module 0", hex("E2 00"), [](DeviceState &s) {
            s.displayModule = 0;
            s.moduleStatus[0] = ModuleStatus{};
        });
        addRow("absent offset 5 leaves beam off", hex("E2 02 08 40"), [](DeviceState &s) {
            s.displayModule = 0;
            s.moduleStatus[0] = ModuleStatus{true, false, false, false, false, true};
        });

        struct Bit {
            const char *name;
            int offset, value;
            ModuleStatus record;
        };
        const Bit bits[] = {
            {"offset 2 bit 0 is a PD fault", 2, 0x01, {false, false, false, false, false, true}},
            {"offset 2 bit 1 is a PD fault", 2, 0x02, {false, false, false, false, false, true}},
            {"offset 2 bit 2 is a PD fault", 2, 0x04, {false, false, false, false, false, true}},
            {"offset 2 bit 3 is a PD fault", 2, 0x08, {false, false, false, false, false, true}},
            {"offset 2 bits 4..6 are no PD fault", 2, 0x70, {}},
            {"offset 3 bit 6 is qbhFault", 3, 0x40, {true, false, false, false, false, false}},
            {"offset 3 bit 5 is fiberBreakFault",
             3,
             0x20,
             {false, true, false, false, false, false}},
            {"offset 3 bit 2 is waterInHiFault",
             3,
             0x04,
             {false, false, true, false, false, false}},
            {"offset 3 bit 0 is waterOutHiFault",
             3,
             0x01,
             {false, false, false, true, false, false}},
            {"offset 3 bits 1, 3, 4 are not read", 3, 0x1A, {}},
            {"offset 4 is not read", 4, 0x7F, {}},
            {"offset 5 bit 3 is beamOn", 5, 0x08, {false, false, false, false, true, false}},
            {"other bits of offset 5 are not read", 5, 0x77, {}},
        };
        for (const Bit &b : bits) {
            QByteArray payload = zeros(7);
            payload[b.offset - 2] = char(b.value);
            payload[6] = 1; // module 1
            const ModuleStatus record = b.record;
            addRow(b.name, make(0xE2, payload), [record](DeviceState &s) {
                s.displayModule = 1;
                s.moduleStatus[1] = record;
            });
        }
    }
    void moduleStatusFillsTheIndexedRecord() { runRow(parseModuleStatusReply); }

    // --- DewPointReply (0xE4) ---
    void dewPointIsHundredthsOfADegree_data() {
        addColumns();
        addRow("1248 is 12.48", make(0xE4, hex("00 00 00 09 60 00")),
               [](DeviceState &s) { s.dewPointTemp = 1248 / 100.0f; });
        addRow("16383 is 163.83", make(0xE4, hex("7F 7F 7F 7F 7F 7F")),
               [](DeviceState &s) { s.dewPointTemp = 16383 / 100.0f; });
        addRow("zero", make(0xE4, zeros(6)), [](DeviceState &s) { s.dewPointTemp = 0.0f; });
        addRow("length byte with bit 6 set", withLengthByte(0xE4, 0x48, hex("00 00 00 00 32 00")),
               [](DeviceState &s) { s.dewPointTemp = 0.5f; });
    }
    void dewPointIsHundredthsOfADegree() { runRow(parseDewPointReply); }

    // --- PwmInputReply (0xE5) ---
    // What the plant and the history pass on: the float as the decimal it was sent as.
    void theDewPointFloatIsPassedOnAsItsShortestDecimal_data() {
        QTest::addColumn<float>("value");
        QTest::addColumn<double>("decimal");
        QTest::newRow("12.3") << 12.3f << 12.3;
        QTest::newRow("hundredths") << 0.01f << 0.01;
        QTest::newRow("the largest the CCB sends") << 163.83f << 163.83;
        QTest::newRow("negative") << -7.25f << -7.25;
        QTest::newRow("whole") << 7.0f << 7.0;
        QTest::newRow("tiny") << 1e-7f << 1e-7;
        QTest::newRow("nine digits") << 16777217.0f << 16777216.0;
        QTest::newRow("largest float") << 3.4028235e38f << 3.4028235e38;
    }
    void theDewPointFloatIsPassedOnAsItsShortestDecimal() {
        QFETCH(float, value);
        QFETCH(double, decimal);
        QCOMPARE(protocol::floatAsDecimal(value), decimal);
        QCOMPARE(float(protocol::floatAsDecimal(value)), value);
    }

    void pwmInputGivesDutyAndFrequency_data() {
        addColumns();
        addRow("duty 50, frequency 1000", make(0xE5, hex("7F 32 07 68 7F 7F 7F 7F")),
               [](DeviceState &s) {
                   s.pwmDuty = 50;
                   s.pwmFreq = 1000;
               });
        addRow("bit 7 of the duty byte is not read", make(0xE5, hex("00 FF 7F 7F 00 00 00 00")),
               [](DeviceState &s) {
                   s.pwmDuty = 127;
                   s.pwmFreq = 16383;
               });
        addRow("zero", make(0xE5, zeros(8)), [](DeviceState &s) {
            s.pwmDuty = 0;
            s.pwmFreq = 0;
        });
    }
    void pwmInputGivesDutyAndFrequency() { runRow(parsePwmInputReply); }

    // --- SystemStatusReply (0xE6) ---
    void systemStatusReadsItsFlagsFromAnyLength_data() {
        addColumns();
        struct Bit {
            const char *name;
            int offset, bit;
            bool DeviceState::*flag;
        };
        const Bit bits[] = {
            {"offset 2 bit 2 is extEStop", 2, 2, &DeviceState::extEStop},
            {"offset 2 bit 4 is doorInterlock", 2, 4, &DeviceState::doorInterlock},
            {"offset 2 bit 6 is systemFault", 2, 6, &DeviceState::systemFault},
            {"offset 3 bit 3 is chillerFault", 3, 3, &DeviceState::chillerFault},
            {"offset 3 bit 6 is redLightOn", 3, 6, &DeviceState::redLightOn},
            {"offset 4 bit 4 is laserReady", 4, 4, &DeviceState::laserReady},
            {"offset 4 bit 5 is dcOn", 4, 5, &DeviceState::dcOn},
        };
        const auto allOff = [](DeviceState &s) {
            s.extEStop = s.doorInterlock = s.systemFault = s.chillerFault = false;
            s.redLightOn = s.laserReady = s.dcOn = false;
        };
        for (const Bit &b : bits) {
            QByteArray payload = zeros(3);
            payload[b.offset - 2] = char(1 << b.bit);
            const auto flag = b.flag;
            addRow(b.name, make(0xE6, payload), [allOff, flag](DeviceState &s) {
                allOff(s);
                s.*flag = true;
            });
        }
        addRow("other bits are not read", make(0xE6, hex("2B 37 4F")), allOff);
        addRow("four bytes turn laserReady and dcOn off", bytes({0xE6, 0x02, 0x54, 0x48}),
               [](DeviceState &s) {
                   s.laserReady = s.dcOn = false;
                   s.chillerFault = s.redLightOn = true;
                   s.extEStop = s.doorInterlock = s.systemFault = true;
               });
        addRow("two bytes turn everything off", hex("E6 00"), allOff);
        addRow("a long frame is read the same", make(0xE6, hex("54 48 30") + zeros(20)),
               [](DeviceState &s) {
                   s.extEStop = s.doorInterlock = s.systemFault = true;
                   s.chillerFault = s.redLightOn = s.laserReady = s.dcOn = true;
               });
    }
    void systemStatusReadsItsFlagsFromAnyLength() { runRow(parseSystemStatusReply); }

    // --- ClockReply (0xEE) ---
    void clockIsFormattedWithoutLeadingZerosButTheMinute_data() {
        addColumns();
        const auto at = [](const char *t) {
            const QString expected = QString::fromLatin1(t);
            return Change([expected](DeviceState &s) { s.ccbDateTime = expected; });
        };
        addRow("year 3, month 1, day 6, 8:05", clock(3, 1, 6, 8, 5), at("2023-1-6 8:05"));
        addRow("minute 0", clock(3, 1, 6, 8, 0), at("2023-1-6 8:00"));
        addRow("minute 10", clock(3, 1, 6, 8, 10), at("2023-1-6 8:10"));
        addRow("hour 0", clock(3, 12, 31, 0, 59), at("2023-12-31 0:59"));
        addRow("year byte 0 is 2020", clock(0, 0, 0, 0, 9), at("2020-0-0 0:09"));
        addRow("top of each field", clock(0x7F, 0x0F, 0x1F, 0x1F, 0x3F), at("2147-15-31 31:63"));
        addRow("bits above each field are not read", clock(0x85, 0x7C, 0x61, 0x57, 0x4A),
               at("2025-12-1 23:10"));
        addRow("length byte with bit 5 set", clock(4, 2, 29, 23, 1, 0x2E), at("2024-2-29 23:01"));
    }
    void clockIsFormattedWithoutLeadingZerosButTheMinute() { runRow(parseClockReply); }

    // --- ParameterReply (0xEF) ---
    void parameterReplyActsOnItsParameter_data() {
        addColumns();
        addRow("parameter 4 replaces the CCB version, NULs kept",
               parameterReply(4, hex("56 33 2E 31 00 00")),
               [](DeviceState &s) { s.ccbVersion = text("V3.1\0\0", 6); });
        addRow("parameter 32 gives the inputs and AI-1",
               parameterReply(32, hex("24 0C 00 1F 7F 00 00")), [](DeviceState &s) {
                   s.dinEStop2 = s.dinPwm = s.dinDcOn = s.dinLaserOn = true;
                   s.analogIn1 = ((0x1F << 7) + 0x7F) >> 2;
               });
        addRow("parameter 32, other bits not read", parameterReply(32, hex("5B 73 7F 60 03 7F 7F")),
               [](DeviceState &s) {
                   s.dinEStop2 = s.dinPwm = s.dinDcOn = s.dinLaserOn = false;
                   s.analogIn1 = 0;
               });
        addRow("parameter 32, AI-1 of 1", parameterReply(32, hex("00 00 00 00 04 00 00")),
               [](DeviceState &s) {
                   s.dinEStop2 = s.dinPwm = s.dinDcOn = s.dinLaserOn = false;
                   s.analogIn1 = 1;
               });
        addRow("parameter 33 gives the outputs", parameterReply(33, hex("01 00 00 00 00 00 00")),
               [](DeviceState &s) {
                   s.doutDcOn = true;
                   s.doutFault = false;
               });
        addRow("parameter 33 bit 1 is the fault output",
               parameterReply(33, hex("7E 7F 7F 7F 7F 7F 7F")), [](DeviceState &s) {
                   s.doutDcOn = false;
                   s.doutFault = true;
               });

        SystemSettings expected;
        expected.hppEnabled = expected.pgmEnabled = true;
        expected.opModeUsr = 3;
        expected.faultDisableChiller = expected.faultDisablePd = true;
        expected.redOnExternal = true;
        expected.pdLeakageLevel = 6350;
        const QByteArray settingsValue = hex("1E 41 00 40 7F 00 00");
        addRow("parameter 40 answers both waiting handshakes", parameterReply(40, settingsValue),
               [expected](DeviceState &s) {
                   s.settings = expected;
                   s.sysSetReadBackState = handshakeAnswered;
                   s.sysSetWriteState = handshakeAnswered;
               });
        DeviceState idle = busyState();
        idle.sysSetReadBackState = idle.sysSetWriteState = handshakeIdle;
        addRow("parameter 40 leaves idle handshakes idle", parameterReply(40, settingsValue), idle,
               [expected](DeviceState &s) { s.settings = expected; });
        DeviceState readOnly = busyState();
        readOnly.sysSetWriteState = handshakeIdle;
        addRow("parameter 40 answers a lone read-back", parameterReply(40, settingsValue), readOnly,
               [expected](DeviceState &s) {
                   s.settings = expected;
                   s.sysSetReadBackState = handshakeAnswered;
               });
        DeviceState answered = busyState();
        answered.sysSetReadBackState = handshakeAnswered;
        addRow("parameter 40 leaves an answered handshake answered",
               parameterReply(40, settingsValue), answered, [expected](DeviceState &s) {
                   s.settings = expected;
                   s.sysSetWriteState = handshakeAnswered;
               });
        addRow("level byte 0x7F is 6350", parameterReply(40, hex("00 00 00 00 7F 00 00")),
               [](DeviceState &s) {
                   s.settings = SystemSettings{};
                   s.settings.pdLeakageLevel = 6350;
                   s.sysSetReadBackState = s.sysSetWriteState = handshakeAnswered;
               });

        // Bits 1 and 2 of offset 5 are not part of the parameter number.
        QByteArray extraBits = parameterReply(33, hex("01 00 00 00 00 00 00"));
        extraBits[5] = char(quint8(extraBits.at(5)) | 0x06);
        addRow("bits 1 and 2 of offset 5 are not read", extraBits, [](DeviceState &s) {
            s.doutDcOn = true;
            s.doutFault = false;
        });
        QByteArray bits56 = parameterReply(33, hex("02 00 00 00 00 00 00"));
        bits56[1] = char(0x6E);
        addRow("length byte with bits 5 and 6 set", bits56, [](DeviceState &s) {
            s.doutDcOn = false;
            s.doutFault = true;
        });
        QByteArray badCheck = frames::corrupted(parameterReply(33, hex("03 00 00 00 00 00 00")));
        addRow("check bytes are not verified", badCheck, [](DeviceState &s) {
            s.doutDcOn = true;
            s.doutFault = true;
        });
        QByteArray opHigh = parameterReply(33, hex("00 00 00 00 00 00 00"));
        opHigh[2] = char(0x61); // bits 5 and 6 set, operation 0, target 1
        addRow("bits 5 and 6 of offset 2 are not read", opHigh, [](DeviceState &s) {
            s.doutDcOn = false;
            s.doutFault = false;
        });
    }
    void parameterReplyActsOnItsParameter() { runRow(parseParameterReply); }

    // --- every parser: frames it must refuse ---
    void rejectedFramesLeaveEveryFieldAsItWas_data() {
        fixture::columns<Parser, QByteArray>("parse", "frame");
        const QByteArray type = QByteArray("T") + zeros(15);
        const QByteArray serial = QByteArray("S") + zeros(11);
        const QByteArray version = QByteArray("V1.2.3");

        const Parser product = parseProductInfoReply;
        QTest::newRow("product: one byte short") << product << productInfo(type, serial).left(31);
        QTest::newRow("product: one byte long") << product << productInfo(type, serial) + '\0';
        QTest::newRow("product: length byte 29") << product << productInfo(type, serial, 29);
        QTest::newRow("product: length byte 31") << product << productInfo(type, serial, 31);
        QTest::newRow("product: empty") << product << QByteArray();

        const Parser driver = parseDriverBoardReply;
        QTest::newRow("driver: board 3") << driver << driverBoard(0x1F, 1, version, 0x00, 3);
        QTest::newRow("driver: board 127") << driver << driverBoard(0x1F, 1, version, 0x00, 127);
        QTest::newRow("driver: slot 4") << driver << driverBoard(0x1F, 1, version, 0x04, 0);
        QTest::newRow("driver: slot 15") << driver << driverBoard(0x1F, 1, version, 0x0F, 0);
        QTest::newRow("driver: bank 2") << driver << driverBoard(0x1F, 1, version, 0x20, 0);
        QTest::newRow("driver: bank 3") << driver << driverBoard(0x1F, 1, version, 0x30, 0);
        QTest::newRow("driver: length byte 30")
            << driver << driverBoard(0x1F, 1, version, 0, 0, 30);
        QTest::newRow("driver: one byte short")
            << driver << driverBoard(0x1F, 1, version, 0, 0).left(30);
        QTest::newRow("driver: one byte long")
            << driver << driverBoard(0x1F, 1, version, 0, 0) + '\0';

        const Parser temp = parseTemperatureReply;
        QTest::newRow("temperature: channel 1") << temp << temperature(0x14, 0x1F, 1);
        QTest::newRow("temperature: channel 0") << temp << temperature(0x14, 0x1F, 0);
        QTest::newRow("temperature: channel 4") << temp << temperature(0x14, 0x1F, 4);
        QTest::newRow("temperature: channel 7") << temp << temperature(0x14, 0x1F, 7);
        QTest::newRow("temperature: offset 5 is 1") << temp << temperature(0x14, 0x1F, 2, 1);
        QTest::newRow("temperature: offset 5 is 0x40") << temp << temperature(0x14, 0x1F, 3, 0x40);
        QTest::newRow("temperature: length byte 5") << temp << temperature(0x14, 0x1F, 2, 0, 5);
        QTest::newRow("temperature: five bytes") << temp << temperature(0x14, 0x1F, 2).left(5);
        QTest::newRow("temperature: seven bytes") << temp << temperature(0x14, 0x1F, 2) + '\0';

        const Parser module = parseModuleStatusReply;
        QTest::newRow("module: index 3") << module << make(0xE2, hex("0F 7F 00 08 00 00 03"));
        QTest::newRow("module: index 127") << module << make(0xE2, hex("0F 7F 00 08 00 00 7F"));
        QTest::newRow("module: index 3 in nine bytes")
            << module << hex("E2 07 0F 7F 00 08 00 00 83");

        const Parser dew = parseDewPointReply;
        QTest::newRow("dew point: nine bytes") << dew << make(0xE4, zeros(5));
        QTest::newRow("dew point: eleven bytes") << dew << make(0xE4, zeros(7));
        QTest::newRow("dew point: length byte 9")
            << dew << withLengthByte(0xE4, 9, hex("00 00 00 09 60 00"));

        const Parser pwm = parsePwmInputReply;
        QTest::newRow("pwm: eleven bytes") << pwm << make(0xE5, zeros(7));
        QTest::newRow("pwm: thirteen bytes") << pwm << make(0xE5, zeros(9));
        QTest::newRow("pwm: length byte 11") << pwm << withLengthByte(0xE5, 11, zeros(8));

        const Parser clk = parseClockReply;
        QTest::newRow("clock: fifteen bytes") << clk << clock(3, 1, 6, 8, 5).left(15);
        QTest::newRow("clock: seventeen bytes") << clk << clock(3, 1, 6, 8, 5) + '\0';
        QTest::newRow("clock: length byte 15") << clk << clock(3, 1, 6, 8, 5, 15);

        const Parser param = parseParameterReply;
        const QByteArray value40 = hex("1E 7F 7F 7F 7F 00 00");
        QTest::newRow("parameter 40 with n = 6") << param << parameterReply(40, value40.left(6));
        QTest::newRow("parameter 40 with n = 0") << param << parameterReply(40, QByteArray());
        QTest::newRow("parameter 50 (red light)")
            << param << parameterReply(50, hex("01 7F 7F 00 00 00 00"));
        QTest::newRow("parameter 4 with n = 7")
            << param << parameterReply(4, hex("56 33 2E 31 00 00 00"));
        QTest::newRow("parameter 32 with n = 6") << param << parameterReply(32, zeros(6));
        QTest::newRow("parameter 33 with n = 5") << param << parameterReply(33, zeros(5));
        QTest::newRow("parameter 168 (bit 0 of offset 5 set)")
            << param << parameterReply(168, value40);
        QTest::newRow("target 3, a module") << param << parameterReply(40, value40, 3);
        QTest::newRow("target 0") << param << parameterReply(40, value40, 0);
        QTest::newRow("target 5 (bit 2 is part of the target)")
            << param << parameterReply(40, value40, 5);
        QByteArray read = parameterReply(40, value40);
        read[2] = char(0x09);
        QTest::newRow("operation 1 (a read request)") << param << read;
        QByteArray write = parameterReply(40, value40);
        write[2] = char(0x11);
        QTest::newRow("operation 2 (a write request)") << param << write;
        QTest::newRow("one byte short") << param << parameterReply(40, value40).left(15);
        QTest::newRow("one byte long") << param << parameterReply(40, value40) + '\0';
        QByteArray lengthOff = parameterReply(40, value40);
        lengthOff[1] = char(13);
        QTest::newRow("length field does not count the frame") << param << lengthOff;
        QByteArray nOff = parameterReply(40, value40);
        nOff[5] = char(6 << 3);
        QTest::newRow("value length does not match the length field") << param << nOff;
        QByteArray version7 = parameterReply(4, QByteArray("ABCDEFG"));
        version7[5] = char(6 << 3);
        QTest::newRow("parameter 4 says n = 6 in a frame of seven value bytes")
            << param << version7;
        QByteArray settings6 = parameterReply(40, value40.left(6));
        settings6[5] = char(7 << 3);
        QTest::newRow("parameter 40 says n = 7 in a frame of six value bytes")
            << param << settings6;
        QTest::newRow("length field below 7") << param << hex("EF 06 01 00 00 00 28 00 00");
        QTest::newRow("eight bytes") << param << hex("EF 06 01 00 00 00 28 00");
        QTest::newRow("two bytes") << param << hex("EF 00");
        QTest::newRow("empty") << param << QByteArray();
    }
    void rejectedFramesLeaveEveryFieldAsItWas() {
        QFETCH(Parser, parse);
        QFETCH(QByteArray, frame);
        // Both from a state where everything is set and from the start state.
        for (const DeviceState &start : {busyState(), DeviceState{}}) {
            DeviceState state = start;
            parse(frame, state);
            QVERIFY(state == start);
        }
    }

    // --- dispatch ---
    void dispatchRoutesByCodeAndVerifiesCheckBytes_data() {
        addColumns();
        const auto setsTemp = [](DeviceState &s) { s.tempWaterIn = 25; };
        const auto setsStatus = [](DeviceState &s) {
            s.extEStop = s.doorInterlock = s.systemFault = false;
            s.chillerFault = s.redLightOn = s.laserReady = s.dcOn = false;
        };
        addRow("system status with right check bytes", make(0xE6, zeros(3)), setsStatus);
        addRow("system status with wrong check bytes is dropped",
               frames::corrupted(make(0xE6, zeros(3))), nothing);
        addRow("product info with wrong check bytes is dropped",
               frames::corrupted(productInfo(zeros(16), zeros(12))), nothing);
        addRow("driver board with wrong check bytes is dropped",
               frames::corrupted(driverBoard(0, 0, zeros(6), 0, 0)), nothing);
        addRow("module status with wrong check bytes is dropped",
               frames::corrupted(make(0xE2, zeros(7))), nothing);
        addRow("dew point with wrong check bytes is dropped",
               frames::corrupted(make(0xE4, zeros(6))), nothing);
        addRow("pwm input with wrong check bytes is dropped",
               frames::corrupted(make(0xE5, zeros(8))), nothing);
        addRow("clock with wrong check bytes is dropped", frames::corrupted(clock(3, 1, 6, 8, 5)),
               nothing);
        addRow("temperature is handled without check bytes", temperature(0x14, 0x1F, 2), setsTemp);
        addRow("parameter reply with wrong check bytes is handled",
               frames::corrupted(parameterReply(33, zeros(7))),
               [](DeviceState &s) { s.doutDcOn = s.doutFault = false; });
        addRow("a frame that is only a code byte", hex("E6"), nothing);
        addRow("empty frame is ignored", QByteArray(), nothing);
        // Known codes without a message, and unknown ones, with right check bytes.
        for (int code : {0x9A, 0x9F, 0xAE, 0xDA, 0xDC, 0xDE, 0x80, 0xA3, 0xE1, 0xE3, 0xE7, 0xED,
                         0xFD, 0x99, 0xB3}) {
            const QByteArray name = "code 0x" + QByteArray::number(code, 16) + " is dropped";
            addRow(name.constData(), make(code, zeros(3)), nothing);
        }
    }
    void dispatchRoutesByCodeAndVerifiesCheckBytes() {
        QFETCH(QByteArray, frame);
        QFETCH(DeviceState, start);
        QFETCH(DeviceState, expected);
        DeviceState state = start;
        QCOMPARE(dispatchFrame(frame, state), 1);
        QVERIFY(state == expected);
    }

    void dispatchHandsEachCodeToItsOwnParser_data() {
        fixture::columns<QByteArray, Parser>("frame", "parse");
        QTest::newRow("0xA2") << productInfo(QByteArray("P") + zeros(15),
                                             QByteArray("S") + zeros(11))
                              << Parser(parseProductInfoReply);
        QTest::newRow("0xD2") << driverBoard(0x1F, 1, QByteArray("abcdef"), 0x12, 2)
                              << Parser(parseDriverBoardReply);
        QTest::newRow("0xE0") << temperature(0x20, 0x00, 3) << Parser(parseTemperatureReply);
        QTest::newRow("0xE2") << make(0xE2, hex("00 00 00 00 00 00 02"))
                              << Parser(parseModuleStatusReply);
        QTest::newRow("0xE4") << make(0xE4, hex("00 00 00 09 60 00")) << Parser(parseDewPointReply);
        QTest::newRow("0xE5") << make(0xE5, hex("00 11 22 33 00 00 00 00"))
                              << Parser(parsePwmInputReply);
        QTest::newRow("0xE6") << make(0xE6, hex("00 00 00")) << Parser(parseSystemStatusReply);
        QTest::newRow("0xEE") << clock(1, 2, 3, 4, 5) << Parser(parseClockReply);
        QTest::newRow("0xEF") << parameterReply(4, QByteArray("ABCDEF"))
                              << Parser(parseParameterReply);
    }
    void dispatchHandsEachCodeToItsOwnParser() {
        QFETCH(QByteArray, frame);
        QFETCH(Parser, parse);
        DeviceState direct = busyState();
        parse(frame, direct);
        QVERIFY(direct != busyState()); // the frame does change something
        DeviceState routed = busyState();
        QCOMPARE(dispatchFrame(frame, routed), 1);
        QVERIFY(routed == direct);
    }
};

QTEST_APPLESS_MAIN(MessagesTest)
#include "messages_test.moc"
