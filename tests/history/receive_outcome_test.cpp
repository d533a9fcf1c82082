// What the receive path itself tells about its bytes: the runs of bytes reassembly skips, in
// order with the frames, and the dispatcher's verdict for each frame.

#include "protocol/dispatch.h"
#include "protocol/reassembly.h"
#include "support/frames.h"
#include "support/history.h"
#include "support/table.h"

#include <QTest>

using namespace fixture;
using namespace frames;
using protocol::Verdict;

namespace {

// "F:<hex>" for a frame, "S:<hex>" for a skipped run.
struct Outcome : protocol::FrameSink {
    QStringList seen;
    void frameComplete(const QByteArray &frame) override {
        seen << QStringLiteral("F:") + QString::fromLatin1(frame.toHex());
    }
    void bytesSkipped(const char *bytes, int count) override {
        seen << QStringLiteral("S:") + QString::fromLatin1(QByteArray(bytes, count).toHex());
    }
};

QString f(const QByteArray &b) {
    return QStringLiteral("F:") + QString::fromLatin1(b.toHex());
}
QString s(const QByteArray &b) {
    return QStringLiteral("S:") + QString::fromLatin1(b.toHex());
}

} // namespace

class ReceiveOutcomeTest : public QObject {
    Q_OBJECT

private slots:
    void skippedRunsComeInOrderWithTheFrames() {
        const QByteArray a = systemStatus(0, 0, 0);
        const QByteArray b = temperatureReading(100, 2);
        QByteArray buffer = bytes({0x01, 0x7F}) + a + bytes({0x02}) + b;
        Outcome out;
        QCOMPARE(protocol::reassemble(buffer, out), 2);
        QCOMPARE(out.seen, (QStringList{s(bytes({0x01, 0x7F})), f(a), s(bytes({0x02})), f(b)}));
        QVERIFY(buffer.isEmpty());
    }

    void anAbandonedFrameJoinsTheNoiseAroundIt() {
        const QByteArray a = systemStatus(0, 0, 0);
        QByteArray buffer = bytes({0x05, 0xE6, 0x85, 0x06}) + a;
        Outcome out;
        protocol::reassemble(buffer, out);
        QCOMPARE(out.seen, (QStringList{s(bytes({0x05, 0xE6, 0x85, 0x06})), f(a)}));
    }

    void theByteTakenWithAZeroLengthFrameIsSkipped() {
        QByteArray buffer = bytes({0x90, 0x00, 0x33, 0x01});
        Outcome out;
        protocol::reassemble(buffer, out);
        QCOMPARE(out.seen, (QStringList{f(bytes({0x90, 0x00})), s(bytes({0x33, 0x01}))}));
    }

    void anUnfinishedFrameKeptForLaterIsNotSkipped_data() {
        fixture::columns<bool, QByteArray, bool>("early", "tail", "kept");
        QTest::newRow("quiet, length in") << false << bytes({0xE6, 0x05, 0x01}) << true;
        QTest::newRow("quiet, lone code byte") << false << bytes({0xE6}) << false;
        QTest::newRow("early, lone code byte") << true << bytes({0xE6}) << true;
    }
    void anUnfinishedFrameKeptForLaterIsNotSkipped() {
        QFETCH(bool, early);
        QFETCH(QByteArray, tail);
        QFETCH(bool, kept);
        const QByteArray a = systemStatus(0, 0, 0);
        QByteArray buffer = bytes({0x01}) + a + tail;
        Outcome out;
        protocol::reassemble(buffer, out,
                             early ? protocol::PassKind::Early : protocol::PassKind::QuietLine);
        QStringList expected{s(bytes({0x01})), f(a)};
        if (!kept)
            expected << s(tail);
        QCOMPARE(out.seen, expected);
        QCOMPARE(buffer, kept ? tail : QByteArray());
    }

    void theVerdictSaysWhatBecameOfTheFrame_data() {
        fixture::columns<QByteArray, int>("frame", "verdict");
        const QByteArray status = systemStatus(0x04, 0, 0);
        QTest::newRow("checked, right") << status << int(Verdict::CheckOk);
        QTest::newRow("checked, wrong") << corrupted(status) << int(Verdict::CheckFailed);
        QTest::newRow("temperature") << temperatureReading(100, 2) << int(Verdict::NotChecked);
        QTest::newRow("parameter, wrong bytes")
            << corrupted(parameterReply(4, QByteArray("V1.2.3"))) << int(Verdict::NotChecked);
        QTest::newRow("known code without handler")
            << make(0xDE, bytes({1})) << int(Verdict::CheckOk);
        QTest::newRow("known code, wrong")
            << corrupted(make(0xDE, bytes({1}))) << int(Verdict::CheckFailed);
        QTest::newRow("unknown code") << make(0x85, bytes({1})) << int(Verdict::UnknownCode);
        QTest::newRow("short checked frame") << bytes({0xE6, 0x00}) << int(Verdict::CheckFailed);
    }
    void theVerdictSaysWhatBecameOfTheFrame() {
        QFETCH(QByteArray, frame);
        QFETCH(int, verdict);
        protocol::DeviceState state;
        QCOMPARE(int(protocol::dispatchFrameVerdict(frame, state)), verdict);
        // dispatchFrame routes the same way: a frame that failed its check changes nothing.
        protocol::DeviceState viaDispatch;
        QCOMPARE(protocol::dispatchFrame(frame, viaDispatch), 1);
        QVERIFY(viaDispatch == state);
        if (verdict == int(Verdict::CheckFailed) || verdict == int(Verdict::UnknownCode))
            QVERIFY(state == protocol::DeviceState());
    }
};

QTEST_GUILESS_MAIN(ReceiveOutcomeTest)
#include "receive_outcome_test.moc"
