// The frames the program sends to the CCB.

#include "support/frames.h"
#include "support/table.h"

#include "protocol/commands.h"
#include "protocol/frame.h"
#include "protocol/messages.h"
#include "protocol/system_settings.h"

#include <QTest>

using namespace protocol;
using frames::hex;

namespace {

SystemSettings everySetting() {
    SystemSettings s;
    s.hppEnabled = s.pgmEnabled = true;
    s.opModeUsr = 2;
    s.faultDisableChiller = s.faultDisableEStop1 = s.faultDisableEStop2 = true;
    s.faultDisableDew = s.faultDisableDoorInter = s.faultDisablePdLeakage = true;
    s.faultDisablePd = s.faultDisableTh = s.faultDisableFiberInter = true;
    s.faultDisableFiberBreak = s.faultDisableDcPwr = s.aiPort = s.redAuto = s.aoPort = true;
    s.laserOnUsrDisabled = s.dcFaultHiActive = s.doorInterLoActive = s.doutLoActive = true;
    s.pgmInit = s.redOnBeam = s.redOnExternal = true;
    s.pdLeakageLevel = 4050;
    return s;
}

} // namespace

class CommandsTest : public QObject {
    Q_OBJECT

private slots:
    void commandFramesGoOnTheWireAsDocumented_data() {
        fixture::columns<QByteArray, QByteArray>("frame", "wire");
        QTest::newRow("clear all faults") << clearAllFaultsFrame() << hex("99 03 00 33 7B");
        QTest::newRow("DC on sends 0") << dcSwitchFrame(true) << hex("B3 03 00 72 7C");
        QTest::newRow("DC off sends 1") << dcSwitchFrame(false) << hex("B3 03 01 62 5D");
        // The red light (parameter 50): only the low three bits of the operation go out.
        const struct {
            const char *tag;
            quint8 operation;
            const char *rest;
        } red[] = {
            {"red light on", 1, "01 7F 7F 00 00 00 00 1E 71"},
            {"red light off", 2, "02 7F 7F 00 00 00 00 46 73"},
            {"red light 9 sends 1", 9, "01 7F 7F 00 00 00 00 1E 71"},
            {"red light 10 sends 2", 10, "02 7F 7F 00 00 00 00 46 73"},
            {"red light 255 sends 7", 255, "07 7F 7F 00 00 00 00 3F 54"},
            {"red light 8 sends 0", 8, "00 7F 7F 00 00 00 00 26 10"},
        };
        for (const auto &r : red)
            QTest::newRow(r.tag) << redLightFrame(r.operation)
                                 << hex("EF 0E 11 00 00 38 32") + hex(r.rest);
        QTest::newRow("settings read-back")
            << settingsReadFrame() << hex("EF 07 09 00 00 00 28 57 5D");
    }
    void commandFramesGoOnTheWireAsDocumented() {
        QFETCH(QByteArray, frame);
        QFETCH(QByteArray, wire);
        QCOMPARE(frame.toHex(' '), wire.toHex(' '));
    }

    void everySentFramePassesTheCheckAndCountsItsLength_data() {
        fixture::columns<QByteArray>("frame");
        QTest::newRow("clear all faults") << clearAllFaultsFrame();
        QTest::newRow("DC on") << dcSwitchFrame(true);
        QTest::newRow("DC off") << dcSwitchFrame(false);
        QTest::newRow("red on") << redLightFrame(1);
        QTest::newRow("red off") << redLightFrame(2);
        QTest::newRow("red 0xFF") << redLightFrame(0xFF);
        QTest::newRow("settings read") << settingsReadFrame();
        QTest::newRow("settings write, all zero") << settingsWriteFrame(SystemSettings{});
        QTest::newRow("settings write, all set") << settingsWriteFrame(everySetting());
        QTest::newRow("read of parameter 133")
            << parameterRequestFrame(operationRead, 133, QByteArray());
        QTest::newRow("write of three bytes")
            << parameterRequestFrame(operationWrite, 33, hex("01 02 03"));
        QTest::newRow("value longer than seven bytes")
            << parameterRequestFrame(operationWrite, 40, QByteArray(12, 'x'));
        QTest::newRow("value bytes with bit 7")
            << parameterRequestFrame(operationWrite, 50, hex("FF 80 81"));
    }
    void everySentFramePassesTheCheckAndCountsItsLength() {
        QFETCH(QByteArray, frame);
        QCOMPARE(checkFrame(frame), frameCrcOk);
        QCOMPARE(int(quint8(frame.at(1))), frame.size() - 2);
        QVERIFY(quint8(frame.at(0)) >= 0x80 && quint8(frame.at(0)) <= 0xFD);
        // Only the code byte may look like the start of a frame.
        for (int i = 1; i < frame.size(); ++i)
            QVERIFY2(quint8(frame.at(i)) < 0x80, qPrintable(QString::number(i)));
    }

    void parameterRequestHeaderCarriesOperationLengthAndNumber_data() {
        fixture::columns<int, int, QByteArray, QByteArray>("operation", "parameter", "value",
                                                           "header");
        QTest::newRow("read 40") << int(operationRead) << 40 << QByteArray()
                                 << hex("EF 07 09 00 00 00 28");
        QTest::newRow("write 50, 7 bytes")
            << int(operationWrite) << 50 << QByteArray(7, '\0') << hex("EF 0E 11 00 00 38 32");
        // Bit 7 of the parameter number goes to bit 0 of offset 5.
        QTest::newRow("read 133") << int(operationRead) << 133 << QByteArray()
                                  << hex("EF 07 09 00 00 01 05");
        QTest::newRow("write 255, 2 bytes")
            << int(operationWrite) << 255 << hex("01 02") << hex("EF 09 11 00 00 11 7F");
        QTest::newRow("value cut to 7 bytes")
            << int(operationWrite) << 40 << QByteArray(9, '\1') << hex("EF 0E 11 00 00 38 28");
    }
    void parameterRequestHeaderCarriesOperationLengthAndNumber() {
        QFETCH(int, operation);
        QFETCH(int, parameter);
        QFETCH(QByteArray, value);
        QFETCH(QByteArray, header);
        const QByteArray frame =
            parameterRequestFrame(quint8(operation), quint16(parameter), value);
        QCOMPARE(frame.left(7).toHex(' '), header.toHex(' '));
        const int n = qMin(value.size(), 7);
        QCOMPARE(frame.size(), 9 + n);
        QCOMPARE(frame.mid(7, n), value.left(n));
    }

    void settingsWriteCarriesTheEncodedValue() {
        const SystemSettings s = everySetting();
        const QByteArray frame = settingsWriteFrame(s);
        QCOMPARE(frame.left(7), hex("EF 0E 11 00 00 38 28"));
        QCOMPARE(frame.mid(7, 7), encodeSystemSettings(s));
        QCOMPARE(frame.size(), 16);
    }

    void settingsWrittenComeBackUnchangedInTheReply() {
        // The CCB answers a write with the same frame in reply form (operation 0).
        const SystemSettings s = everySetting();
        QByteArray reply = settingsWriteFrame(s);
        reply[2] = char(targetCcb);
        DeviceState state;
        parseParameterReply(reply, state);
        QVERIFY(state.settings == s);
    }
};

QTEST_APPLESS_MAIN(CommandsTest)
#include "commands_test.moc"
