// What the tray says and when a desktop notification goes out, decided without a tray or a
// window: the link's states, what the alarm handling tells and a lost link while the operator is
// away, one notice every five seconds that sums up the rest, and the texts in the language
// installed.
#include "support/english.h"
#include "ui/attention.h"

#include <QTest>

using alarms::Link;
using attention::Attention;
using attention::LinkState;
using Kind = alarms::Notice::Kind;

namespace {

const QStringList door{QStringLiteral("doorInterlock")};
const QStringList doorAndQbh{QStringLiteral("doorInterlock"), QStringLiteral("module1.qbhFault")};
const alarms::Notice doorRise{Kind::Rise, door, 1, 1};
const alarms::Notice qbhRise{Kind::Rise, {QStringLiteral("module1.qbhFault")}, 1, 1};

} // namespace

class AttentionTest : public QObject {
    Q_OBJECT

private slots:
    void theStateAndToolTipFollowThePortTheAlarmsAndALostLink() {
        Attention a;
        QCOMPARE(a.state(), LinkState::PortClosed);
        a.update(Link::Waiting, door); // no frame yet: nothing is known to be on
        QCOMPARE(a.state(), LinkState::Waiting);
        a.update(Link::Live, {});
        QCOMPARE(a.state(), LinkState::Quiet);
        QCOMPARE(a.toolTip(QStringLiteral("ttyUSB0")),
                 QString::fromUtf8("LASER SYSTEM\nttyUSB0: 链路正常，无报警"));
        a.update(Link::Live, doorAndQbh);
        QCOMPARE(a.state(), LinkState::Alarm);
        // A port name that could reorder or break the lines is shown as what it is.
        QCOMPARE(a.toolTip(QString::fromUtf8("tty\u202e%2\n")),
                 QString::fromUtf8(
                     "LASER SYSTEM\ntty\ufffd%2\ufffd: 2 项报警\n连锁机门\n模块1 QBH报警"));
        a.linkLost(false, QStringLiteral("ttyUSB0"));
        a.update(Link::Lost, door);
        QCOMPARE(a.toolTip(QStringLiteral("ttyUSB0")),
                 QString::fromUtf8("LASER SYSTEM\nttyUSB0: 链路中断，无数据"));
        a.update(Link::Closed, door);
        QCOMPARE(a.state(), LinkState::PortClosed);
    }

    void onlyWhatIsToldWhileAwayIsNotifiedFirstOutFirstAndTheRestWaitsForTheGap() {
        Attention a;
        a.tell(doorRise, false); // the operator is at the window: nothing to tell
        QVERIFY(!a.hasHeld());
        a.tell(qbhRise, true);
        a.tell({Kind::FirstOut, {QStringLiteral("module1.qbhFault")}}, true);
        const auto first = a.take(0);
        QVERIFY(first);
        QCOMPARE(first->title, QString::fromUtf8("激光器报警"));
        QCOMPARE(first->text, QString::fromUtf8("首出: 模块1 QBH报警\n模块1 QBH报警"));
        a.tell(qbhRise, true);
        a.linkLost(true, QStringLiteral("ttyUSB0"));
        QVERIFY(!a.take(4999));
        QCOMPARE(a.dueAt(), qint64(5000));
        // The program ending sends what is held at once; here it goes on.
        QCOMPARE(Attention(a).takeLast(4999)->text,
                 QString::fromUtf8("模块1 QBH报警\nttyUSB0: 链路中断，串口已关闭"));
        const auto second = a.take(5000);
        QVERIFY(second && second->linkLost);
        QCOMPARE(second->text, QString::fromUtf8("模块1 QBH报警\nttyUSB0: 链路中断，串口已关闭"));
        QVERIFY(!a.hasHeld());
        // Switched off, what was held is dropped and nothing more is held.
        a.tell(doorRise, true);
        a.setNotifications(false);
        a.tell(doorRise, true);
        QVERIFY(!a.hasHeld());
    }

    void anAlarmFlappingAtTenHertzGivesOneNoticeEveryFiveSecondsAndLosesNoRise() {
        Attention a;
        int notices = 0;
        int counted = 0;
        qint64 last = -attention::Attention::gapMs;
        // Sixty seconds of frames every 100 ms, the alarm on at every other one.
        for (qint64 t = 0; t <= 60000; t += 100) {
            if ((t / 100) % 2)
                a.tell(doorRise, true);
            if (const auto n = a.take(t)) {
                QVERIFY(t - last >= attention::Attention::gapMs);
                last = t;
                ++notices;
                const QString times = n->text.section(QString::fromUtf8("（"), 1)
                                          .section(QString::fromUtf8(" 次"), 0, 0);
                counted += times.isEmpty() ? 1 : times.toInt();
            }
        }
        QCOMPARE(notices, 12);
        // What came after the last one is held, to go when its five seconds have passed.
        const auto held = a.take(last + attention::Attention::gapMs);
        QVERIFY(held);
        counted += held->text.section(QString::fromUtf8("（"), 1)
                       .section(QString::fromUtf8(" 次"), 0, 0)
                       .toInt();
        QCOMPARE(counted, 300);
    }

    void theTextsFollowTheLanguageInstalled() {
        Attention a;
        a.update(Link::Live, door);
        a.tell(doorRise, true);
        const EnglishCatalogue english;
        QVERIFY(english.isLoaded());
        QCOMPARE(a.toolTip(QStringLiteral("ttyUSB0")),
                 QStringLiteral("LASER SYSTEM\nttyUSB0: alarms: 1\nDoor interlock"));
        QCOMPARE(a.take(0)->title, QStringLiteral("Laser alarm"));
    }
};

QTEST_MAIN(AttentionTest)
#include "attention_test.moc"
