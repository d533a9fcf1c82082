// Check bytes of a frame and the seven-byte system settings value.

#include "support/frames.h"
#include "support/table.h"

#include "protocol/frame.h"
#include "protocol/system_settings.h"

#include <QTest>

using namespace protocol;
using frames::hex;

using SettingsFlag = bool SystemSettings::*;
Q_DECLARE_METATYPE(SettingsFlag)

namespace {

struct FlagPlace {
    const char *name;
    SettingsFlag flag;
    int byte;
    int bit;
};

// Where each of the 23 flags sits in the seven value bytes.
const FlagPlace flagPlaces[] = {
    {"hppEnabled", &SystemSettings::hppEnabled, 0, 1},
    {"pgmEnabled", &SystemSettings::pgmEnabled, 0, 2},
    {"faultDisableChiller", &SystemSettings::faultDisableChiller, 1, 0},
    {"faultDisableEStop1", &SystemSettings::faultDisableEStop1, 1, 1},
    {"faultDisableEStop2", &SystemSettings::faultDisableEStop2, 1, 2},
    {"faultDisableDew", &SystemSettings::faultDisableDew, 1, 3},
    {"faultDisableDoorInter", &SystemSettings::faultDisableDoorInter, 1, 4},
    {"faultDisablePdLeakage", &SystemSettings::faultDisablePdLeakage, 1, 5},
    {"faultDisablePd", &SystemSettings::faultDisablePd, 1, 6},
    {"faultDisableTh", &SystemSettings::faultDisableTh, 2, 0},
    {"faultDisableFiberInter", &SystemSettings::faultDisableFiberInter, 2, 1},
    {"faultDisableFiberBreak", &SystemSettings::faultDisableFiberBreak, 2, 2},
    {"faultDisableDcPwr", &SystemSettings::faultDisableDcPwr, 2, 3},
    {"aiPort", &SystemSettings::aiPort, 2, 4},
    {"redAuto", &SystemSettings::redAuto, 2, 5},
    {"aoPort", &SystemSettings::aoPort, 2, 6},
    {"laserOnUsrDisabled", &SystemSettings::laserOnUsrDisabled, 3, 0},
    {"dcFaultHiActive", &SystemSettings::dcFaultHiActive, 3, 1},
    {"doorInterLoActive", &SystemSettings::doorInterLoActive, 3, 2},
    {"doutLoActive", &SystemSettings::doutLoActive, 3, 3},
    {"pgmInit", &SystemSettings::pgmInit, 3, 4},
    {"redOnBeam", &SystemSettings::redOnBeam, 3, 5},
    {"redOnExternal", &SystemSettings::redOnExternal, 3, 6},
};

quint16 crcOf(const QByteArray &bytes) {
    return crc16(reinterpret_cast<const quint8 *>(bytes.constData()), quint16(bytes.size()));
}

// The CRC computed bit by bit, without any table, to hold the table-driven one against.
quint16 bitwiseCrc(const QByteArray &bytes) {
    quint16 crc = 0;
    for (char c : bytes) {
        crc ^= quint16(quint8(c) << 8);
        for (int i = 0; i < 8; ++i)
            crc = (crc & 0x8000) ? quint16((crc << 1) ^ 0x1021) : quint16(crc << 1);
    }
    return crc;
}

} // namespace

class FrameAndSettingsTest : public QObject {
    Q_OBJECT

private slots:
    // --- check bytes ---
    void crcOfDigitsOneToNineIsTheXmodemCheckValue() {
        QCOMPARE(crcOf(QByteArray("123456789")), quint16(0x31C3));
    }

    void crcOfOneByteReadsTheTableEntry_data() {
        fixture::columns<int, int>("byte", "entry");
        QTest::newRow("entry 0") << 0 << 0x0000;
        QTest::newRow("entry 1") << 1 << 0x1021;
        QTest::newRow("entry 2") << 2 << 0x2042;
        QTest::newRow("entry 3") << 3 << 0x3063;
        QTest::newRow("entry 128") << 128 << 0x9188;
        QTest::newRow("entry 255") << 255 << 0x1EF0;
    }
    void crcOfOneByteReadsTheTableEntry() {
        QFETCH(int, byte);
        QFETCH(int, entry);
        // With the CRC at 0, one byte b gives exactly table[b].
        QCOMPARE(crcOf(QByteArray(1, char(byte))), quint16(entry));
    }

    void crcAgreesWithTheBitwiseDefinitionForEveryByteValue() {
        QByteArray bytes;
        for (int i = 0; i < 256; ++i) {
            bytes.append(char(i));
            QCOMPARE(crcOf(QByteArray(1, char(i))), bitwiseCrc(QByteArray(1, char(i))));
            QCOMPARE(crcOf(bytes), bitwiseCrc(bytes));
        }
    }

    void crcOfNoBytesIsZero() {
        const quint8 any = 0x55;
        QCOMPARE(crc16(&any, 0), quint16(0));
        QCOMPARE(crc16(nullptr, 0), quint16(0));
    }

    void crcOfClearAllFaultsIsB3FB() { QCOMPARE(crcOf(hex("99 03 00")), quint16(0xB3FB)); }

    void appendCheckBytesCompletesTheCommandFrames_data() {
        fixture::columns<QByteArray, QByteArray>("body", "wire");
        QTest::newRow("clear all faults") << hex("99 03 00") << hex("99 03 00 33 7B");
        QTest::newRow("DC on") << hex("B3 03 00") << hex("B3 03 00 72 7C");
        QTest::newRow("DC off") << hex("B3 03 01") << hex("B3 03 01 62 5D");
        QTest::newRow("settings read-back")
            << hex("EF 07 09 00 00 00 28") << hex("EF 07 09 00 00 00 28 57 5D");
        QTest::newRow("empty array") << QByteArray() << hex("00 00");
    }
    void appendCheckBytesCompletesTheCommandFrames() {
        QFETCH(QByteArray, body);
        QFETCH(QByteArray, wire);
        appendCheckBytes(body);
        QCOMPARE(body, wire);
    }

    void checkBytesNeverHaveBit7Set() {
        // Frames whose CRC has bit 15 and bit 7 set in every combination.
        int sawHighBits = 0;
        for (int a = 0x80; a < 0x100; ++a) {
            for (int b = 0; b < 0x80; b += 3) {
                QByteArray f = frames::bytes({a, 3, b});
                const quint16 crc = crcOf(f);
                if ((crc & 0x8080) == 0x8080)
                    ++sawHighBits;
                appendCheckBytes(f);
                QVERIFY(quint8(f.at(3)) < 0x80);
                QVERIFY(quint8(f.at(4)) < 0x80);
                QCOMPARE(checkFrame(f), frameCrcOk);
            }
        }
        QVERIFY(sawHighBits > 0);
    }

    void checkFrameComparesFourteenBitsOfTheCrc_data() {
        fixture::columns<QByteArray, int>("frame", "result");
        QTest::newRow("clear all faults") << hex("99 03 00 33 7B") << int(frameCrcOk);
        QTest::newRow("red light on")
            << hex("EF 0E 11 00 00 38 32 01 7F 7F 00 00 00 00 1E 71") << int(frameCrcOk);
        QTest::newRow("high check byte wrong") << hex("99 03 00 32 7B") << int(frameCrcFail);
        QTest::newRow("low check byte wrong") << hex("99 03 00 33 7A") << int(frameCrcFail);
        QTest::newRow("check bytes swapped") << hex("99 03 00 7B 33") << int(frameCrcFail);
        QTest::newRow("payload changed") << hex("99 03 01 33 7B") << int(frameCrcFail);
        // The untransmitted bits 15 and 7 must not be expected on the wire.
        QTest::newRow("high check byte with bit 7") << hex("99 03 00 B3 7B") << int(frameCrcFail);
        QTest::newRow("low check byte with bit 7") << hex("99 03 00 33 FB") << int(frameCrcFail);
        QTest::newRow("two-byte frame with code byte") << hex("80 00") << int(frameCrcFail);
        QTest::newRow("two zero bytes") << hex("00 00") << int(frameCrcOk);
        QTest::newRow("one byte") << hex("00") << int(frameCrcFail);
        QTest::newRow("empty") << QByteArray() << int(frameCrcFail);
        // The length byte is not read and the code does not matter.
        QTest::newRow("length byte wrong, check bytes right") << [] {
            QByteArray f = hex("99 09 00");
            appendCheckBytes(f);
            return f;
        }() << int(frameCrcOk);
        QTest::newRow("unknown code, check bytes right") << [] {
            QByteArray f = hex("C1 04 12 34");
            appendCheckBytes(f);
            return f;
        }() << int(frameCrcOk);
    }
    void checkFrameComparesFourteenBitsOfTheCrc() {
        QFETCH(QByteArray, frame);
        QFETCH(int, result);
        QCOMPARE(int(checkFrame(frame)), result);
    }

    // --- the settings value ---
    void eachFlagTravelsInItsOwnBit_data() {
        fixture::columns<SettingsFlag, int, int>("flag", "byte", "bit");
        for (const FlagPlace &p : flagPlaces)
            QTest::newRow(p.name) << p.flag << p.byte << p.bit;
    }
    void eachFlagTravelsInItsOwnBit() {
        QFETCH(SettingsFlag, flag);
        QFETCH(int, byte);
        QFETCH(int, bit);

        SystemSettings only;
        only.*flag = true;
        QByteArray expected(systemSettingsSize, '\0');
        expected[byte] = char(1 << bit);
        QCOMPARE(encodeSystemSettings(only), expected);

        const SystemSettings decoded = decodeSystemSettings(expected.constData());
        QVERIFY(decoded == only);
        QVERIFY(decoded != SystemSettings{});

        // Every other bit set: this flag alone is false.
        QByteArray inverse(systemSettingsSize, '\0');
        for (int i = 0; i < 4; ++i)
            inverse[i] = char(0x7F);
        inverse[byte] = char(0x7F & ~(1 << bit));
        QVERIFY(!(decodeSystemSettings(inverse.constData()).*flag));
    }

    // The two number fields, each alone in the value: its byte, every other byte zero, and the
    // number read back from it.
    void numberFieldsEncodeIntoTheirByte_data() {
        fixture::columns<QString, int, int, int, int>("field", "number", "index", "byte",
                                                      "decoded");
        const QString mode = QStringLiteral("opModeUsr"), leakage = QStringLiteral("leakage");
        // The operating mode in bits 3 and 4 of byte 0.
        QTest::newRow("automatic") << mode << 0 << 0 << 0x00 << 0;
        QTest::newRow("forced external") << mode << 1 << 0 << 0x08 << 1;
        QTest::newRow("forced internal") << mode << 2 << 0 << 0x10 << 2;
        QTest::newRow("mode 3 carried as received") << mode << 3 << 0 << 0x18 << 3;
        QTest::newRow("mode outside two bits is cut") << mode << 5 << 0 << 0x08 << 1;
        // The leakage level in steps of 50 in byte 4.
        QTest::newRow("4050") << leakage << 4050 << 4 << 81 << 4050;
        QTest::newRow("75 rounds down") << leakage << 75 << 4 << 1 << 50;
        QTest::newRow("49 rounds down to 0") << leakage << 49 << 4 << 0 << 0;
        QTest::newRow("6350 is the top") << leakage << 6350 << 4 << 127 << 6350;
        QTest::newRow("6400 wraps to 0") << leakage << 6400 << 4 << 0 << 0;
    }
    void numberFieldsEncodeIntoTheirByte() {
        QFETCH(QString, field);
        QFETCH(int, number);
        QFETCH(int, index);
        QFETCH(int, byte);
        QFETCH(int, decoded);
        const bool isMode = field == QLatin1String("opModeUsr");
        SystemSettings s;
        (isMode ? s.opModeUsr : s.pdLeakageLevel) = number;
        const QByteArray value = encodeSystemSettings(s);
        QByteArray expected(systemSettingsSize, '\0');
        expected[index] = char(byte);
        QCOMPARE(value.toHex(' '), expected.toHex(' '));
        const SystemSettings back = decodeSystemSettings(value.constData());
        QCOMPARE(isMode ? back.opModeUsr : back.pdLeakageLevel, decoded);
    }

    void leakageLevelDecodesAsReceived_data() {
        fixture::columns<int, int>("byte4", "level");
        QTest::newRow("0x7F") << 0x7F << 6350;
        QTest::newRow("100") << 100 << 5000;
        QTest::newRow("1") << 1 << 50;
        QTest::newRow("bit 7 ignored") << 0x81 << 50;
    }
    void leakageLevelDecodesAsReceived() {
        QFETCH(int, byte4);
        QFETCH(int, level);
        QByteArray value(systemSettingsSize, '\0');
        value[4] = char(byte4);
        QCOMPARE(decodeSystemSettings(value.constData()).pdLeakageLevel, level);
    }

    void allZeroSettingsAreSevenZeroBytes() {
        QCOMPARE(encodeSystemSettings(SystemSettings{}), QByteArray(7, '\0'));
        const SystemSettings decoded = decodeSystemSettings(QByteArray(7, '\0').constData());
        QVERIFY(decoded == SystemSettings{});
        QCOMPARE(decoded.opModeUsr, 0);
        QCOMPARE(decoded.pdLeakageLevel, 0);
    }

    void unusedBitsAndTrailingBytesChangeNothingOnDecoding_data() {
        fixture::column<QByteArray>("value", {{"byte 0 bit 0", hex("01 00 00 00 00 00 00")},
                                              {"byte 0 bit 5", hex("20 00 00 00 00 00 00")},
                                              {"byte 0 bit 6", hex("40 00 00 00 00 00 00")},
                                              {"bytes 5 and 6", hex("00 00 00 00 00 7F 7F")},
                                              {"all of them", hex("61 00 00 00 00 55 2A")}});
    }
    void unusedBitsAndTrailingBytesChangeNothingOnDecoding() {
        QFETCH(QByteArray, value);
        QVERIFY(decodeSystemSettings(value.constData()) == SystemSettings{});
    }

    void everyEncodedByteKeepsBit7Clear() {
        SystemSettings all;
        for (const FlagPlace &p : flagPlaces)
            all.*(p.flag) = true;
        all.opModeUsr = 3;
        all.pdLeakageLevel = 6350;
        const QByteArray value = encodeSystemSettings(all);
        QCOMPARE(value, hex("1E 7F 7F 7F 7F 00 00"));
        QVERIFY(decodeSystemSettings(value.constData()) == all);

        all.pdLeakageLevel = -50;
        for (char c : encodeSystemSettings(all))
            QVERIFY(quint8(c) < 0x80);
    }

    void nullValueDecodesToZero() { QVERIFY(decodeSystemSettings(nullptr) == SystemSettings{}); }
};

QTEST_APPLESS_MAIN(FrameAndSettingsTest)
#include "frame_and_settings_test.moc"
