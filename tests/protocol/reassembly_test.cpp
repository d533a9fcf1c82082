// Cutting received bytes into frames, and the frames through the dispatcher.

#include "support/frames.h"
#include "support/table.h"

#include "protocol/device_state.h"
#include "protocol/dispatch.h"
#include "protocol/reassembly.h"

#include <QTest>

using namespace protocol;
using frames::bytes;
using frames::hex;
using frames::make;
using frames::zeros;

using Frames = QList<QByteArray>;
Q_DECLARE_METATYPE(protocol::PassKind)

namespace {

struct Recorder : FrameSink {
    Frames frames;
    void frameComplete(const QByteArray &frame) override { frames.append(frame); }
};

// Hands every frame to the dispatcher, as the window does.
struct Dispatcher : FrameSink {
    DeviceState state;
    void frameComplete(const QByteArray &frame) override { dispatchFrame(frame, state); }
};

const QByteArray status = make(0xE6, hex("04 00 30"));    // extEStop, laserReady, dcOn
const QByteArray statusOff = make(0xE6, hex("00 00 00")); // everything off
const QByteArray dew = make(0xE4, hex("00 00 00 09 60 00"));
const QByteArray temp = hex("E0 04 14 1F 02 00");
const QByteArray longest = make(0xE2, QByteArray(125, '\x11')); // length byte 127, 129 bytes

} // namespace

class ReassemblyTest : public QObject {
    Q_OBJECT

private slots:
    void passCutsFramesAndKeepsWhatIsUnfinished_data() {
        fixture::columns<QByteArray, PassKind, Frames, QByteArray>("buffer", "kind", "frames",
                                                                   "left");

        const PassKind quiet = PassKind::QuietLine;
        const PassKind early = PassKind::Early;
        QTest::newRow("two frames in one burst, in arrival order")
            << status + dew << quiet << Frames{status, dew} << QByteArray();
        QTest::newRow("noise before a frame is skipped")
            << hex("00 7F FE FF 12") + status << quiet << Frames{status} << QByteArray();
        QTest::newRow("noise between and after frames")
            << hex("FF") + status + hex("01 FE") + dew + hex("7F") << quiet << Frames{status, dew}
            << QByteArray();
        QTest::newRow("0xFE and 0xFF never open a frame")
            << hex("FE 03 00 33 7B FF 03 00 33 7B") << quiet << Frames{} << QByteArray();
        QTest::newRow("0x80 and 0xFD open frames")
            << hex("80 01 00 FD 01 7F") << quiet << Frames{hex("80 01 00"), hex("FD 01 7F")}
            << QByteArray();
        QTest::newRow("only noise is dropped")
            << hex("00 01 7F FE FF") << quiet << Frames{} << QByteArray();
        QTest::newRow("unfinished frame is kept from its code byte")
            << hex("00 11") + status.left(4) << quiet << Frames{} << status.left(4);
        QTest::newRow("unfinished frame right after its length byte is kept")
            << status + dew.left(2) << quiet << Frames{status} << dew.left(2);
        QTest::newRow("a frame cut after its code byte loses the code byte")
            << status + hex("E4") << quiet << Frames{status} << QByteArray();
        QTest::newRow("an early pass keeps the lone code byte")
            << status + hex("E4") << early << Frames{status} << hex("E4");
        QTest::newRow("an early pass keeps an unfinished frame the same way")
            << status + dew.left(5) << early << Frames{status} << dew.left(5);
        QTest::newRow("an early pass drops noise at the end")
            << status + hex("00 7F") << early << Frames{status} << QByteArray();
        QTest::newRow("bit 7 in the length byte abandons the frame and is consumed")
            << hex("E6 E6") + status.mid(1) << quiet << Frames{} << QByteArray();
        QTest::newRow("after an abandoned frame the next code byte opens one")
            << hex("E6 85") + status << quiet << Frames{status} << QByteArray();
        QTest::newRow("0xFF as length byte abandons the frame")
            << hex("E6 FF") + dew << quiet << Frames{dew} << QByteArray();
        QTest::newRow("an abandoned frame at the end leaves nothing, even early")
            << hex("E6 85") << early << Frames{} << QByteArray();
        QTest::newRow("bit 7 inside payload and check bytes is data")
            << hex("E2 05 80 FF FE") + status << quiet
            << Frames{hex("E2 05 80 FF FE") + status.left(2)} << QByteArray();
        QTest::newRow("length byte 0 completes on the next byte, which is consumed")
            << hex("E6 00") + status + dew << quiet << Frames{hex("E6 00"), dew} << QByteArray();
        QTest::newRow("length byte 0 followed by noise")
            << hex("E6 00 12") + dew << quiet << Frames{hex("E6 00"), dew} << QByteArray();
        QTest::newRow("length byte 0 as the last byte stays")
            << status + hex("E6 00") << quiet << Frames{status} << hex("E6 00");
        QTest::newRow("length byte 0 as the last byte stays, early")
            << status + hex("E6 00") << early << Frames{status} << hex("E6 00");
        QTest::newRow("length byte 1 makes a three-byte frame")
            << hex("E6 01 55") + dew << quiet << Frames{hex("E6 01 55"), dew} << QByteArray();
        QTest::newRow("the longest frame, 129 bytes")
            << longest << quiet << Frames{longest} << QByteArray();
        QTest::newRow("the longest frame one byte short is kept")
            << longest.left(128) << quiet << Frames{} << longest.left(128);
        QTest::newRow("frames with wrong check bytes are cut all the same")
            << frames::corrupted(status) + temp << quiet << Frames{frames::corrupted(status), temp}
            << QByteArray();
        QTest::newRow("empty buffer") << QByteArray() << quiet << Frames{} << QByteArray();
        QTest::newRow("empty buffer, early") << QByteArray() << early << Frames{} << QByteArray();
    }
    void passCutsFramesAndKeepsWhatIsUnfinished() {
        QFETCH(QByteArray, buffer);
        QFETCH(PassKind, kind);
        QFETCH(Frames, frames);
        QFETCH(QByteArray, left);
        Recorder sink;
        const int count = reassemble(buffer, sink, kind);
        QCOMPARE(sink.frames, frames);
        QCOMPARE(count, frames.size());
        QCOMPARE(buffer.toHex(' '), left.toHex(' '));
    }

    void frameSplitAcrossTwoBurstsIsJoined_data() {
        fixture::columns<int>("split");
        const QByteArray stream = hex("00") + status + dew;
        // Anywhere after the length byte of the dew-point frame.
        for (int split = 1 + status.size() + 2; split < stream.size(); ++split)
            QTest::newRow(QByteArray::number(split).constData()) << split;
    }
    void frameSplitAcrossTwoBurstsIsJoined() {
        QFETCH(int, split);
        const QByteArray stream = hex("00") + status + dew;
        QByteArray buffer = stream.left(split);
        Recorder sink;
        QCOMPARE(reassemble(buffer, sink), 1);
        QCOMPARE(buffer, dew.left(split - 1 - status.size()));
        buffer.append(stream.mid(split));
        QCOMPARE(reassemble(buffer, sink), 1);
        QCOMPARE(sink.frames, (Frames{status, dew}));
        QVERIFY(buffer.isEmpty());
    }

    void frameCutAfterItsCodeByteIsLostAfterAQuietLine() {
        QByteArray buffer = status + dew.left(1);
        Recorder sink;
        QCOMPARE(reassemble(buffer, sink), 1);
        QVERIFY(buffer.isEmpty());
        // None of the rest has bit 7 set: it is skipped as noise.
        buffer.append(dew.mid(1));
        QCOMPARE(reassemble(buffer, sink), 0);
        QCOMPARE(sink.frames, Frames{status});
        QVERIFY(buffer.isEmpty());
    }

    void earlyPassAtAnySplitLosesNothing_data() {
        fixture::columns<int>("split");
        const QByteArray stream = status + hex("E6 00") + dew + temp + longest;
        for (int split = 0; split <= stream.size(); ++split)
            QTest::newRow(QByteArray::number(split).constData()) << split;
    }
    void earlyPassAtAnySplitLosesNothing() {
        QFETCH(int, split);
        const QByteArray stream = status + hex("E6 00") + dew + temp + longest;
        Recorder whole;
        QByteArray all = stream;
        reassemble(all, whole);

        Recorder parts;
        QByteArray buffer = stream.left(split);
        reassemble(buffer, parts, PassKind::Early);
        QVERIFY(buffer.size() <= 129);
        buffer.append(stream.mid(split));
        reassemble(buffer, parts);
        QCOMPARE(parts.frames, whole.frames);
        QCOMPARE(buffer, all);
        // The length-0 frame takes the dew-point code byte with it.
        QCOMPARE(whole.frames, (Frames{status, hex("E6 00"), temp, longest}));
    }

    void quietLinePassLeavesAtMostOneUnfinishedFrame() {
        // Every prefix of a long mixed stream: what stays is the tail of the prefix, at most
        // 128 bytes, and starts with a code byte.
        const QByteArray stream = hex("01 FE") + status + longest + hex("E6 00 E4") + dew +
                                  hex("E2 90") + temp + longest + hex("E6 00");
        for (int end = 0; end <= stream.size(); ++end) {
            QByteArray buffer = stream.left(end);
            Recorder sink;
            reassemble(buffer, sink);
            QVERIFY(buffer.size() <= 128);
            QVERIFY(stream.left(end).endsWith(buffer));
            if (!buffer.isEmpty()) {
                QVERIFY(quint8(buffer.at(0)) >= 0x80 && quint8(buffer.at(0)) <= 0xFD);
                QVERIFY(buffer.size() >= 2);
            }
            for (const QByteArray &f : sink.frames)
                QCOMPARE(f.size(), int(quint8(f.at(1))) + 2);
        }
    }

    void aSecondPassRescansTheKeptFrameFromItsCodeByte() {
        // The kept bytes are scanned again: a length-0 frame kept at the end completes on the
        // first byte of the next burst and consumes it.
        QByteArray buffer = status + hex("E6 00");
        Recorder sink;
        QCOMPARE(reassemble(buffer, sink), 1);
        buffer.append(dew);
        QCOMPARE(reassemble(buffer, sink), 1);
        QCOMPARE(sink.frames, (Frames{status, hex("E6 00")}));
        QVERIFY(buffer.isEmpty());
    }

    void framesReachTheStateInArrivalOrder() {
        Dispatcher sink;
        QByteArray buffer = status + statusOff;
        QCOMPARE(reassemble(buffer, sink), 2);
        QVERIFY(!sink.state.laserReady && !sink.state.dcOn && !sink.state.extEStop);

        buffer = statusOff + status;
        QCOMPARE(reassemble(buffer, sink), 2);
        QVERIFY(sink.state.laserReady && sink.state.dcOn && sink.state.extEStop);
    }

    void everyCompleteFrameCountsEvenWhenDropped() {
        // Wrong check bytes on a verified code, a code without a message, a length-0 frame:
        // each is a sign of life, none changes the state.
        Dispatcher sink;
        const DeviceState start = sink.state;
        QByteArray buffer = frames::corrupted(status) + make(0x9A, zeros(3)) +
                            make(0xC0, zeros(1)) + hex("E6 00 00");
        QCOMPARE(reassemble(buffer, sink), 4);
        QVERIFY(sink.state == start);
        QVERIFY(buffer.isEmpty());
    }

    void temperatureAndParameterFramesNeedNoCheckBytes() {
        Dispatcher sink;
        QByteArray buffer =
            temp + frames::corrupted(frames::parameterReply(33, hex("03") + zeros(6)));
        QCOMPARE(reassemble(buffer, sink), 2);
        QCOMPARE(sink.state.tempWaterIn, 25);
        QVERIFY(sink.state.doutDcOn && sink.state.doutFault);
    }

    void aLongBurstIsCutInOnePass() {
        // 10000 frames with noise between them, as after a long stretch without a quiet line.
        QByteArray buffer;
        Frames expected;
        for (int i = 0; i < 10000; ++i) {
            const QByteArray f =
                make(0xE5, bytes({0, i & 0x7F, (i >> 7) & 0x7F, i & 0x7F, 0, 0, 0, 0}));
            expected.append(f);
            buffer.append(f);
            if (i % 7 == 0)
                buffer.append(hex("00 FE"));
        }
        Recorder sink;
        QCOMPARE(reassemble(buffer, sink, PassKind::Early), 10000);
        QCOMPARE(sink.frames, expected);
        QVERIFY(buffer.isEmpty());
    }
};

QTEST_APPLESS_MAIN(ReassemblyTest)
#include "reassembly_test.moc"
