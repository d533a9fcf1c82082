// What the fleet makes of the messages: the order of the rows, the alarm list, offline by the
// last will or by silence, and the bounds on what it keeps.
#include "fleet/bad_actors.h"
#include "fleet/fleet_state.h"
#include "support/table.h"

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

plant::FleetMessage cleared(const QString &id, plant::Kind kind) {
    plant::FleetMessage m;
    m.kind = kind;
    m.laserId = id;
    m.retained = true;
    m.cleared = true;
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

// A summary whose last 24 h hold `alarms`: key, rises, active ms, chattering episodes, first outs.
plant::FleetMessage summaryOf(const QString &id, std::vector<plant::SummaryAlarm> alarms) {
    plant::FleetMessage m;
    m.kind = plant::Kind::Summary;
    m.laserId = id;
    m.summary.periods[plant::LastDay].alarms = std::move(alarms);
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

    // A step a second: s live status, S the broker's stored one, t online, f a goodbye or will,
    // each with its start's token (_ none, as from an older host).
    void twoHostsUnderOneIdAreToldFromARestart_data() {
        fixture::columns<QString, bool, bool>("steps", "twoHosts", "offline");
        QTest::newRow("a restart, the old will late") << "sa tb sb fa sb" << false << false;
        QTest::newRow("a stored status of an earlier start") << "Sa tb sb sb" << false << false;
        QTest::newRow("three taking turns") << "sa sb sc sa" << true << false;
        QTest::newRow("one of two says goodbye") << "sa sb sa fa sb" << false << false;
        QTest::newRow("both say goodbye") << "sa sb sa fa sb fb" << false << true;
        QTest::newRow("hosts without tokens") << "s_ s_ f_" << false << true;
    }
    void twoHostsUnderOneIdAreToldFromARestart() {
        QFETCH(QString, steps);
        fleet::Fleet f;
        qint64 now = t0;
        for (const QString &step : steps.split(QLatin1Char(' '))) {
            plant::FleetMessage m = step.at(0).toLower() == QLatin1Char('s')
                                        ? status(QStringLiteral("a"), {}, step.at(0) == 'S')
                                        : online(QStringLiteral("a"), step.at(0) == 't');
            m.instance = m.status.instance = step.mid(1).remove(QLatin1Char('_'));
            f.apply(m, now += 1000);
        }
        QTEST(fleet::twoHosts(f.lasers()[0], now, f.staleLimitMs()), "twoHosts");
        QTEST(f.isOffline(f.lasers()[0], now), "offline");
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
        // A late event (from the host's history after an outage) is filed by its time.
        f.apply(eventOf(QStringLiteral("0"), t0 + 10), t0 + 10);
        plant::FleetMessage late = eventOf(QStringLiteral("0"), t0 + 5);
        late.late = true;
        f.apply(late, t0 + 11);
        QCOMPARE(f.lasers()[0].events.back().at, t0 + 5);

        // Events are bounded in bytes as well as in number.
        fleet::Fleet small(fleet::Limits{3, 100, 10, 4096});
        plant::FleetMessage big = eventOf(QStringLiteral("a"), t0);
        big.event.detail = QString(plant::maxEventDetail, QLatin1Char('d'));
        for (int i = 0; i < 20; ++i)
            small.apply(big, t0);
        QVERIFY(small.lasers()[0].eventBytes <= 4096);
        QCOMPARE(small.lasers()[0].events.size() + small.lasers()[0].eventsDropped, size_t(20));

        // Within the whole budget a status keeps its summary; a payload beyond it is not kept.
        fleet::Fleet tight(fleet::Limits{3, 2, 2, 4096, 100, 1000, 20000});
        plant::FleetMessage heavy = status(QStringLiteral("a"), {"chiller_fault"});
        heavy.status.payload = QByteArray(16000, 'x');
        tight.apply(heavy, t0);
        heavy.laserId = QStringLiteral("b");
        tight.apply(heavy, t0);
        QCOMPARE(tight.payloadsNotKept(), quint64(1));
        QVERIFY(tight.lasers()[1].status.payload.isEmpty());
        QCOMPARE(int(tight.group(tight.lasers()[1], t0)), int(fleet::Group::Alarm));
        QVERIFY(tight.heldBytes() <= 20000);
        // Events that come on top of the payloads stay within it too: a payload makes room.
        for (const char *id : {"b", "b", "c", "c"}) {
            big.laserId = QLatin1String(id);
            tight.apply(big, t0);
        }
        QVERIFY2(tight.heldBytes() <= 20000, qPrintable(QString::number(tight.heldBytes())));
        QCOMPARE(tight.payloadsNotKept(), quint64(2));

        plant::FleetBatch batch;
        batch.rejected[size_t(plant::Rejection::NotJson)] = 4;
        batch.overrun = 7;
        f.apply(batch, t0);
        QCOMPARE(f.rejectedTotal(), quint64(4));
        QCOMPARE(f.overrun(), quint64(7));
    }

    void theLaserListFollowsTheBroker() {
        fleet::Fleet f(fleet::Limits{2, 2, 10});
        f.apply(status(QStringLiteral("a"), {"chiller_fault"}), t0);
        f.apply(online(QStringLiteral("a"), true), t0);
        // Its status deleted: still there by its flag, its alarm cleared.
        f.apply(cleared(QStringLiteral("a"), plant::Kind::Status), t0 + 1);
        QCOMPARE(f.lasers().size(), size_t(1));
        QCOMPARE(f.alarmList().front().clearedAt, t0 + 1);
        // Both retained topics deleted: it leaves the table.
        f.apply(cleared(QStringLiteral("a"), plant::Kind::Online), t0 + 2);
        QCOMPARE(f.lasers().size(), size_t(0));
        QCOMPARE(f.indexOf(QStringLiteral("a")), -1);

        // At the cap, the laser offline the longest makes room; with none offline, refused.
        f.apply(status(QStringLiteral("b"), {"door_interlock"}), t0);
        f.apply(online(QStringLiteral("b"), false), t0 + 10);
        f.apply(status(QStringLiteral("c"), {}), t0 + 20);
        f.apply(status(QStringLiteral("d"), {}), t0 + 30);
        QCOMPARE(f.indexOf(QStringLiteral("b")), -1);
        QCOMPARE(f.madeRoom(), quint64(1));
        QVERIFY(f.alarmList().front().laserGone);
        f.apply(status(QStringLiteral("e"), {}), t0 + 40);
        QCOMPARE(f.indexOf(QStringLiteral("e")), -1);
        QCOMPARE(f.overLaserCap(), quint64(1));
        for (size_t i = 0; i < f.lasers().size(); ++i)
            QCOMPARE(f.indexOf(f.lasers()[i].id), int(i));

        // Offline for the time set, counted by the sweeps' steady clock: forgotten.
        const qint64 later = t0 + 60000;
        f.apply(status(QStringLiteral("d"), {}), later);
        f.sweep(later, f.limits().forgetOfflineMs - 1);
        QCOMPARE(f.lasers().size(), size_t(2));
        f.sweep(later, 1);
        QCOMPARE(f.lasers().size(), size_t(1));
        QCOMPARE(f.lasers()[0].id, QStringLiteral("d"));
        QCOMPARE(f.forgotten(), quint64(1));
    }

    void theFleetsOwnClockDecidesAge() {
        fleet::Fleet f;
        // A live status is as old as the time since it came, whatever its own time; a host
        // 45 s behind is marked.
        plant::FleetMessage behind = status(QStringLiteral("a"), {}, false, t0 - 45000);
        behind.receivedAt = t0;
        behind.status.lastFrameAt = t0 - 45000 - 300;
        f.apply(behind, t0 + 50);
        const fleet::Laser &a = f.lasers()[0];
        QCOMPARE(a.statusTime, t0);
        QVERIFY(fleet::Fleet::clockDiffers(a));
        QCOMPARE(a.clockSkew, qint64(-45000));
        QCOMPARE(f.lastFrameAge(a, t0 + 1000), qint64(1300));
        QVERIFY(!f.isOffline(a, t0 + 30000));
        // Its retained will dates from its status, the host's time put right.
        plant::FleetMessage again = status(QStringLiteral("a"), {}, true, t0 - 45000 + 5000);
        f.apply(again, t0 + 6000);
        QCOMPARE(f.lasers()[0].statusTime, t0 + 5000);

        // A retained time of 0 is a clock never set: no telling when.
        f.apply(status(QStringLiteral("b"), {}, true, 0), t0);
        QCOMPARE(f.offlineSince(f.lasers()[1], t0), fleet::unknownTime);

        // The fleet's clock set back an hour: nothing looks newer than now, so a silent laser
        // still goes offline after the limit.
        f.advanceTo(t0 - 3600000);
        QVERIFY(!f.isOffline(f.lasers()[0], t0 - 3600000));
        QVERIFY(f.isOffline(f.lasers()[0], t0 - 3600000 + 31000));
    }

    void badActorsAreRankedByTheColumnChosenWhateverTheLasersPlaces_data() {
        fixture::columns<int, bool, QString>("key", "descending", "order");
        using K = fleet::BadActorKey;
        QTest::newRow("most rises") << int(K::Rises) << true << "b/door a/chiller b/fan a/door";
        QTest::newRow("longest active")
            << int(K::ActiveTime) << true << "a/door b/door a/chiller b/fan";
        QTest::newRow("most first outs")
            << int(K::FirstOuts) << true << "b/fan b/door a/chiller a/door";
        QTest::newRow("laser from z") << int(K::Laser) << true << "b/door b/fan a/chiller a/door";
        QTest::newRow("alarm from a") << int(K::Alarm) << false << "a/chiller b/door a/door b/fan";
    }
    void badActorsAreRankedByTheColumnChosenWhateverTheLasersPlaces() {
        QFETCH(int, key);
        QFETCH(bool, descending);
        QFETCH(QString, order);
        fleet::Fleet f;
        f.apply(status("b", {}), t0);
        f.apply(status("a", {}), t0);
        f.apply(summaryOf("b", {{"fan", 5, 10, 0, 9}, {"door", 9, 50, 2, 3}}), t0);
        f.apply(summaryOf("a", {{"door", 1, 90, 1, 0}, {"chiller", 7, 50, 4, 1}}), t0);
        // Not kept: a summary of a laser the fleet does not keep, and its deletion.
        f.apply(summaryOf("stranger", {{"door", 99, 0, 0, 0}}), t0);
        f.apply(cleared("stranger", plant::Kind::Summary), t0);
        QCOMPARE(f.summariesNotKept(), 1u);
        QStringList pairs;
        for (const fleet::BadActor &b : fleet::rankBadActors(
                 f.lasers(), plant::LastDay, fleet::BadActorKey(key), descending, 10))
            pairs << f.lasers()[size_t(b.laser)].id + '/' +
                         f.lasers()[size_t(b.laser)].summary.periods[0].alarms[size_t(b.alarm)].key;
        QCOMPARE(pairs.join(' '), order);
        // A deleted summary leaves the ranking, not the laser.
        f.apply(cleared("b", plant::Kind::Summary), t0);
        QCOMPARE(fleet::rankBadActors(f.lasers(), 0, fleet::BadActorKey(key), true, 9).size(), 2u);
        QCOMPARE(f.lasers().size(), size_t(2));
    }

    void anAlarmThatComesAndGoesKeepsToItsShareOfTheList() {
        fleet::Fleet f(fleet::Limits{4, 2, 10, 4096, 3});
        f.apply(status(QStringLiteral("steady"), {"chiller_fault"}), t0);
        for (int i = 0; i < 20; ++i)
            f.apply(status(QStringLiteral("flapping"), i % 2 ? QStringList() : QStringList{"x"}),
                    t0 + i);
        int flapping = 0;
        for (const fleet::AlarmEntry &e : f.alarmList())
            flapping += e.laserId == QLatin1String("flapping");
        QCOMPARE(flapping, 3);
        QCOMPARE(f.alarmList().back().laserId, QStringLiteral("steady"));
        // The steps for the list's model end where the list is.
        const fleet::Fleet::ListChange change = f.takeListChange();
        QCOMPARE(change.added - change.dropped, int(f.alarmList().size()));
        int rows = 0;
        for (const int row : change.removedRows)
            rows += row < 0 ? 1 : -1;
        QCOMPARE(rows, int(f.alarmList().size()));
    }
};

QTEST_GUILESS_MAIN(FleetStateTest)
#include "fleet_state_test.moc"
