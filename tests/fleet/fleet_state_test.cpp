// What the fleet makes of the messages: the order of the rows, the alarm list, offline by the
// last will or by silence, and the bounds on what it keeps.
#include "fleet/fleet_state.h"

#include <QTest>

namespace {

constexpr qint64 t0 = 1796662420000;

plant::FleetMessage status(const QString &id, QStringList alarms, bool retained = false,
                           qint64 at = t0) {
    plant::FleetMessage m;
    m.kind = plant::Kind::Status;
    m.laserId = id;
    m.retained = retained;
    m.status.at = at;
    for (const QString &key : alarms)
        m.status.addAlarm(key);
    return m;
}

plant::FleetMessage online(const QString &id, bool on, bool retained = false) {
    plant::FleetMessage m;
    m.kind = plant::Kind::Online;
    m.laserId = id;
    m.online = on;
    m.retained = retained;
    return m;
}

plant::FleetMessage eventOf(const QString &id, qint64 at) {
    plant::FleetMessage m;
    m.kind = plant::Kind::Event;
    m.laserId = id;
    m.event.at = at;
    return m;
}

QStringList orderOf(const fleet::Fleet &f, qint64 now) {
    QStringList ids;
    for (int i : f.order(now))
        ids << f.lasers()[size_t(i)].id;
    return ids;
}

} // namespace

class FleetStateTest : public QObject {
    Q_OBJECT

private slots:
    void alarmsComeFirstNewestOnTopThenOfflineThenTheRest() {
        fleet::Fleet f;
        for (const char *id : {"a", "b", "c", "d", "e"})
            f.apply(status(QLatin1String(id), {}), t0);
        f.apply(online(QStringLiteral("b"), false), t0 + 1);
        f.apply(status(QStringLiteral("d"), {"chiller_fault"}), t0 + 2);
        f.apply(status(QStringLiteral("e"), {"door_interlock"}), t0 + 3);
        QCOMPARE(orderOf(f, t0 + 4), (QStringList{"e", "d", "b", "a", "c"}));

        // A new alarm on a laser already in alarm brings it to the top again.
        f.apply(status(QStringLiteral("d"), {"chiller_fault", "system_fault"}), t0 + 5);
        QCOMPARE(orderOf(f, t0 + 6), (QStringList{"d", "e", "b", "a", "c"}));
    }

    void anAlarmAndItsClearingGiveOneListLineMarkedCleared() {
        fleet::Fleet f;
        f.apply(status(QStringLiteral("a"), {"chiller_fault"}), t0);
        f.apply(status(QStringLiteral("a"), {"chiller_fault"}), t0 + 1000);
        QCOMPARE(f.alarmList().size(), size_t(1));
        QCOMPARE(f.alarmList().front().clearedAt, qint64(0));
        QCOMPARE(f.unacknowledged(), 1);

        f.apply(status(QStringLiteral("a"), {}), t0 + 2000);
        QCOMPARE(f.alarmList().size(), size_t(1));
        QCOMPARE(f.alarmList().front().clearedAt, t0 + 2000);
        QCOMPARE(int(f.group(f.lasers()[0], t0 + 2000)), int(fleet::Group::Online));

        f.acknowledge(f.alarmList().front().serial);
        QCOMPARE(f.unacknowledged(), 0);
        const fleet::Fleet::ListChange change = f.takeListChange();
        QCOMPARE(change.added, 1);
        QCOMPARE(f.takeListChange().added, 0);
    }

    void aLaserIsOfflineByItsWillOrByASilenceLongerThanTheLimit() {
        fleet::Fleet f;
        f.apply(status(QStringLiteral("a"), {}), t0);
        const fleet::Laser &a = f.lasers()[0];
        QVERIFY(!f.isOffline(a, t0 + 30000));
        QCOMPARE(f.offlineSince(a, t0 + 30001), t0);
        f.setStaleLimitMs(60000);
        QVERIFY(!f.isOffline(a, t0 + 30001));

        f.apply(online(QStringLiteral("a"), false), t0 + 500);
        QCOMPARE(f.offlineSince(a, t0 + 600), t0 + 500);
        f.apply(online(QStringLiteral("a"), true), t0 + 700);
        QVERIFY(!f.isOffline(a, t0 + 800));
    }

    void aRetainedStatusIsAsOldAsItSaysAndARetainedWillDatesFromIt() {
        fleet::Fleet f;
        const qint64 now = t0 + 3600000;
        f.apply(status(QStringLiteral("a"), {}, true, t0), now);
        f.apply(online(QStringLiteral("a"), false, true), now);
        QCOMPARE(f.offlineSince(f.lasers()[0], now), t0);

        // A publisher whose clock runs ahead is not taken to be from the future, nor to be online
        // on its word: its age cannot be told until a live status comes.
        f.apply(status(QStringLiteral("b"), {}, true, now + 99999), now);
        QCOMPARE(f.lasers()[1].statusTime, fleet::unknownTime);
        QCOMPARE(f.offlineSince(f.lasers()[1], now), fleet::unknownTime);
    }

    void whatIsKeptIsBoundedAndWhatIsNotIsCounted() {
        fleet::Fleet f(fleet::Limits{3, 2, 2});
        for (int i = 0; i < 5; ++i)
            f.apply(status(QString::number(i), {"chiller_fault"}), t0 + i);
        QCOMPARE(f.lasers().size(), size_t(3));
        QCOMPARE(f.overLaserCap(), quint64(2));
        QCOMPARE(f.alarmList().size(), size_t(2));
        QCOMPARE(f.alarmEntriesDropped(), quint64(1));
        QCOMPARE(f.alarmList().front().laserId, QStringLiteral("2"));
        // The list's model saw none of it yet: two lines to add, none of its own to drop.
        const fleet::Fleet::ListChange change = f.takeListChange();
        QCOMPARE(change.added, 2);
        QCOMPARE(change.dropped, 0);

        for (int i = 0; i < 4; ++i)
            f.apply(eventOf(QStringLiteral("0"), t0 + i), t0 + i);
        QCOMPARE(f.lasers()[0].events.size(), size_t(2));
        QCOMPARE(f.lasers()[0].events.front().at, t0 + 3);
        QCOMPARE(f.lasers()[0].eventsDropped, quint64(2));

        plant::FleetBatch batch;
        batch.rejected[size_t(plant::Rejection::NotJson)] = 4;
        batch.overrun = 7;
        f.apply(batch, t0);
        QCOMPARE(f.rejectedTotal(), quint64(4));
        QCOMPARE(f.overrun(), quint64(7));
    }
};

QTEST_GUILESS_MAIN(FleetStateTest)
#include "fleet_state_test.moc"
