// The tick's schedule without a window: thousands of ticks per test, no waiting.
#include "protocol/device_state.h"
#include "supervision/tick.h"
#include "support/table.h"

#include <QTest>

#include <limits>
#include <vector>

using supervision::TickDecisions;
using supervision::TickSchedule;

Q_DECLARE_METATYPE(quint8 protocol::DeviceState::*)

namespace {

// A tick schedule with the window-side values it reads and writes.
struct WindowSide {
    TickSchedule tick;
    protocol::DeviceState state;
    bool portOpen = false;
    qint32 linkSilenceCount = 0;
    quint16 replyTimeoutTicks = 800;

    TickDecisions step() {
        return tick.advance(state, portOpen, linkSilenceCount, replyTimeoutTicks);
    }
    // Runs n ticks and returns the tick numbers (tickCount after the tick) at which `pick`
    // was decided.
    template <typename Pick> std::vector<quint32> run(int n, Pick pick) {
        std::vector<quint32> at;
        for (int i = 0; i < n; ++i)
            if (pick(step()))
                at.push_back(tick.tickCount);
        return at;
    }
};

bool isRefresh(const TickDecisions &d) {
    return d.refreshNow;
}
bool isReset(const TickDecisions &d) {
    return d.resetNow;
}
bool isLinkLost(const TickDecisions &d) {
    return d.linkLost;
}

} // namespace

class TickScheduleTest : public QObject {
    Q_OBJECT

private slots:
    void unansweredRequestTimesOutAtTheTimeoutTickAndNotBefore_data();
    void unansweredRequestTimesOutAtTheTimeoutTickAndNotBefore();
    void answeredReadBackIsReportedOnceAndItsCounterZeroedOnTheTickAfter();
    void answeredWriteIsReportedOnce();
    void oneAnswerCompletesBothRequestsInOneTick();
    void unknownHandshakeValueOnlyZeroesTheCounter();
    void refreshComesOnEveryMultipleOf200AndNothingElseWithoutCause();
    void resetComesMoreThan100AndAtMost300TicksAfterUserClose();
    void closingTwiceBeforeTheResetStillResetsOnce();
    void linkIsLostAtThe16thSilentPeriodAndNotBefore();
    void aFrameMidwayStartsTheSilentPeriodsAgain();
    void linkLossIsDecidedOnceWhileItsBoxIsOpen();
    void afterTheLinkLostCloseAReopenedPortGetsAFreshCount();
    void closedPortZeroesTheCountAtEachWatchdogPeriodOnly();
    void tickCountWrapsAndTheScheduleGoesOn();
    void tenThousandTicksTouchNothingButTheHandshakeBytes();
};

void TickScheduleTest::unansweredRequestTimesOutAtTheTimeoutTickAndNotBefore_data() {
    fixture::columns<quint8 protocol::DeviceState::*, bool, quint16>("handshake", "isWrite",
                                                                     "timeout");
    QTest::newRow("read-back, 800")
        << &protocol::DeviceState::sysSetReadBackState << false << quint16(800);
    QTest::newRow("write, 800") << &protocol::DeviceState::sysSetWriteState << true << quint16(800);
    QTest::newRow("read-back, 1") << &protocol::DeviceState::sysSetReadBackState << false
                                  << quint16(1);
    QTest::newRow("write, 2") << &protocol::DeviceState::sysSetWriteState << true << quint16(2);
}

void TickScheduleTest::unansweredRequestTimesOutAtTheTimeoutTickAndNotBefore() {
    QFETCH(quint8 protocol::DeviceState::*, handshake);
    QFETCH(bool, isWrite);
    QFETCH(quint16, timeout);

    WindowSide b;
    b.replyTimeoutTicks = timeout;
    // Start mid-way through the schedule so the wait does not line up with the periods.
    b.tick.tickCount = 137;
    b.state.*handshake = protocol::handshakeWaiting;
    for (int i = 1; i < timeout; ++i) {
        const TickDecisions d = b.step();
        QVERIFY2(!d.readBackTimedOut && !d.writeTimedOut, qPrintable(QString::number(i)));
        QCOMPARE(b.state.*handshake, quint8(protocol::handshakeWaiting));
    }
    const TickDecisions d = b.step();
    QCOMPARE(d.readBackTimedOut, !isWrite);
    QCOMPARE(d.writeTimedOut, isWrite);
    QVERIFY(!d.readBackAnswered && !d.writeAnswered);
    QCOMPARE(b.state.*handshake, quint8(protocol::handshakeIdle));
    QCOMPARE(isWrite ? b.tick.writeWaitTicks : b.tick.readBackWaitTicks, quint16(0));
    // Idle from then on: no second time-out however long we wait.
    QVERIFY(b.run(3000, [](const TickDecisions &x) {
                 return x.readBackTimedOut || x.writeTimedOut;
             }).empty());
}

void TickScheduleTest::answeredReadBackIsReportedOnceAndItsCounterZeroedOnTheTickAfter() {
    WindowSide b;
    b.state.sysSetReadBackState = protocol::handshakeWaiting;
    for (int i = 0; i < 5; ++i)
        b.step();
    QCOMPARE(b.tick.readBackWaitTicks, quint16(5));

    b.state.sysSetReadBackState = protocol::handshakeAnswered;
    TickDecisions d = b.step();
    QVERIFY(d.readBackAnswered);
    QVERIFY(!d.readBackTimedOut && !d.writeAnswered && !d.writeTimedOut);
    QCOMPARE(b.state.sysSetReadBackState, quint8(protocol::handshakeIdle));
    QCOMPARE(b.tick.readBackWaitTicks, quint16(5));

    d = b.step();
    QVERIFY(!d.readBackAnswered);
    QCOMPARE(b.tick.readBackWaitTicks, quint16(0));
}

void TickScheduleTest::answeredWriteIsReportedOnce() {
    WindowSide b;
    b.state.sysSetWriteState = protocol::handshakeWaiting;
    for (int i = 0; i < 799; ++i)
        b.step();
    b.state.sysSetWriteState = protocol::handshakeAnswered;
    const std::vector<quint32> answered =
        b.run(2000, [](const TickDecisions &d) { return d.writeAnswered; });
    QCOMPARE(answered, std::vector<quint32>{800});
    QCOMPARE(b.tick.writeWaitTicks, quint16(0));
    QCOMPARE(b.state.sysSetWriteState, quint8(protocol::handshakeIdle));
}

void TickScheduleTest::oneAnswerCompletesBothRequestsInOneTick() {
    WindowSide b;
    b.state.sysSetReadBackState = protocol::handshakeAnswered;
    b.state.sysSetWriteState = protocol::handshakeAnswered;
    const TickDecisions d = b.step();
    QVERIFY(d.readBackAnswered);
    QVERIFY(d.writeAnswered);
    QCOMPARE(b.state.sysSetReadBackState, quint8(protocol::handshakeIdle));
    QCOMPARE(b.state.sysSetWriteState, quint8(protocol::handshakeIdle));
}

void TickScheduleTest::unknownHandshakeValueOnlyZeroesTheCounter() {
    WindowSide b;
    b.state.sysSetReadBackState = protocol::handshakeWaiting;
    b.step();
    b.step();
    b.state.sysSetReadBackState = 7;
    const TickDecisions d = b.step();
    QVERIFY(!d.readBackAnswered && !d.readBackTimedOut);
    QCOMPARE(b.state.sysSetReadBackState, quint8(7));
    QCOMPARE(b.tick.readBackWaitTicks, quint16(0));
}

void TickScheduleTest::refreshComesOnEveryMultipleOf200AndNothingElseWithoutCause() {
    WindowSide b;
    std::vector<quint32> refreshes, others;
    for (int i = 0; i < 10000; ++i) {
        const TickDecisions d = b.step();
        if (d.refreshNow)
            refreshes.push_back(b.tick.tickCount);
        if (d.resetNow || d.linkLost || d.readBackAnswered || d.readBackTimedOut ||
            d.writeAnswered || d.writeTimedOut)
            others.push_back(b.tick.tickCount);
    }
    std::vector<quint32> expected;
    for (quint32 n = 200; n <= 10000; n += 200)
        expected.push_back(n);
    QCOMPARE(refreshes, expected);
    QVERIFY(others.empty());
    QCOMPARE(b.tick.tickCount, quint32(10000));
}

void TickScheduleTest::resetComesMoreThan100AndAtMost300TicksAfterUserClose() {
    // The close happens between two ticks; try it after every tick of a whole schedule cycle.
    quint32 shortest = std::numeric_limits<quint32>::max(), longest = 0;
    for (quint32 closedAfter = 0; closedAfter < 1200; ++closedAfter) {
        WindowSide b;
        b.tick.tickCount = closedAfter;
        b.tick.userClosedPort();
        const std::vector<quint32> resets = b.run(1500, isReset);
        QCOMPARE(resets.size(), size_t(1));
        const quint32 delay = resets.front() - closedAfter;
        QVERIFY2(delay > 100 && delay <= 300,
                 qPrintable(QStringLiteral("closed after tick %1, reset %2 ticks later")
                                .arg(closedAfter)
                                .arg(delay)));
        QVERIFY(!b.tick.portClosedByUser && !b.tick.resetPending);
        shortest = qMin(shortest, delay);
        longest = qMax(longest, delay);
    }
    // Both ends of the window occur.
    QCOMPARE(shortest, quint32(101));
    QCOMPARE(longest, quint32(300));
}

void TickScheduleTest::closingTwiceBeforeTheResetStillResetsOnce() {
    WindowSide b;
    b.tick.tickCount = 50;
    b.tick.userClosedPort();
    b.run(100, isReset); // tick 150: not yet turned into a pending reset
    b.tick.userClosedPort();
    QCOMPARE(b.run(1000, isReset), std::vector<quint32>{300});
}

void TickScheduleTest::linkIsLostAtThe16thSilentPeriodAndNotBefore() {
    WindowSide b;
    b.portOpen = true;
    QVERIFY(b.run(15999, isLinkLost).empty());
    QCOMPARE(b.linkSilenceCount, 15);
    const TickDecisions d = b.step();
    QVERIFY(d.linkLost);
    QCOMPARE(b.tick.tickCount, quint32(16000));
    QCOMPARE(b.linkSilenceCount, 16);
    QVERIFY(b.tick.reportingLinkLost());
}

void TickScheduleTest::aFrameMidwayStartsTheSilentPeriodsAgain() {
    WindowSide b;
    b.portOpen = true;
    b.run(15500, isLinkLost);
    b.linkSilenceCount = 0; // a complete frame at tick 15500
    // Periods 16000 .. 31000 are the 16 silent ones after that frame.
    QCOMPARE(b.run(20000, isLinkLost), std::vector<quint32>{31000});
}

void TickScheduleTest::linkLossIsDecidedOnceWhileItsBoxIsOpen() {
    WindowSide b;
    b.portOpen = true;
    QCOMPARE(b.run(16000, isLinkLost), std::vector<quint32>{16000});
    // The box stays open for five more watchdog periods: the port is still open, but the
    // watchdog waits for the box.
    QVERIFY(b.run(5000, isLinkLost).empty());
    QCOMPARE(b.linkSilenceCount, 16);
    // Other work goes on meanwhile.
    QCOMPARE(b.run(400, isRefresh).size(), size_t(2));
}

void TickScheduleTest::afterTheLinkLostCloseAReopenedPortGetsAFreshCount() {
    WindowSide b;
    b.portOpen = true;
    b.run(16000, isLinkLost);
    // The box is dismissed mid-period and the window closes the port...
    b.run(300, isLinkLost);
    b.portOpen = false;
    b.tick.linkLostClosed(b.linkSilenceCount);
    QCOMPARE(b.linkSilenceCount, 0);
    QVERIFY(!b.tick.reportingLinkLost());
    // ... and the user opens it again before the next watchdog period.
    b.run(100, isLinkLost);
    b.portOpen = true;
    // 16300 + 100: the next periods are 17000 .. 32000.
    QCOMPARE(b.run(20000, isLinkLost), std::vector<quint32>{32000});
}

void TickScheduleTest::closedPortZeroesTheCountAtEachWatchdogPeriodOnly() {
    WindowSide b;
    b.linkSilenceCount = 20;
    b.run(999, isLinkLost);
    QCOMPARE(b.linkSilenceCount, 20);
    QVERIFY(!b.step().linkLost);
    QCOMPARE(b.linkSilenceCount, 0);
    QVERIFY(b.run(40000, isLinkLost).empty());
}

void TickScheduleTest::tickCountWrapsAndTheScheduleGoesOn() {
    WindowSide b;
    b.tick.tickCount = std::numeric_limits<quint32>::max() - 1;
    QVERIFY(!b.step().refreshNow); // 2^32 - 1
    QVERIFY(b.step().refreshNow);  // wrapped to 0, a multiple of every period
    QCOMPARE(b.tick.tickCount, quint32(0));
    QCOMPARE(b.run(400, isRefresh), (std::vector<quint32>{200, 400}));
}

void TickScheduleTest::tenThousandTicksTouchNothingButTheHandshakeBytes() {
    WindowSide b;
    b.state.dcOn = true;
    b.state.productType = QStringLiteral("FL-1000");
    b.state.tempWaterIn = 23;
    b.state.moduleStatus[1].pdFault = true;
    b.state.driverChannel[2][7].overCurrent2 = true;
    b.state.settings.redAuto = true;
    b.state.sysSetReadBackState = protocol::handshakeWaiting;
    b.portOpen = true;
    const protocol::DeviceState before = b.state;
    b.tick.userClosedPort();
    b.run(10000, [](const TickDecisions &) { return false; });

    protocol::DeviceState expected = before;
    expected.sysSetReadBackState = protocol::handshakeIdle; // timed out on the way
    QVERIFY(b.state == expected);
}

QTEST_APPLESS_MAIN(TickScheduleTest)
#include "tick_schedule_test.moc"
