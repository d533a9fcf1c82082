// Store and forward: which path sends each event of the history, and an outage with a restart.
#include "history/recorder.h"
#include "plant/catch_up.h"
#include "plant/plant_link.h"
#include "support/broker.h"
#include "ui/plant_status.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

#include <algorithm>
#include <array>
#include <functional>
#include <map>

class CatchUpTest : public QObject {
    Q_OBJECT
private slots:
    // oN kept in the outbox, sN kept and arriving live, aN its live arrival, xN it left the
    // buffer unsent, dN delivered, rN no room for it in the MQTT library, f flush, c connected, l
    // lost, n next, ! history unreadable. Sent: "N" live, "~N" late.
    void eachEventGoesOnceByOnePath_data() {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("sent");
        for (const auto &row : std::vector<std::array<const char *, 3>>{
                 {"a restart: all late, in order", "o3 o1 o2 c n", "~1 ~2 ~3"},
                 {"an outage past the window", "s1 s2 x1 x2 c n", "1 2 ~1 ~2"},
                 {"read before its live arrival", "o5 c n a5", "~5"},
                 {"in the buffer: not late", "o1 s2 c n", "2 ~1"},
                 {"unconfirmed: again", "o1 o2 c n d1 l c n", "~1 ~2 ~2"},
                 {"confirmed: never again", "o1 c n d1 f l c n", "~1"},
                 {"left after the pass", "o1 c n d1 s2 x2 n", "~1 2 ~2"},
                 {"not connected", "o1 n", ""},
                 {"no room in the library: again", "o1 o2 c n r2 n", "~1 ~2 ~2"},
                 {"unreadable: said, counted", "o1 ! c n", ""}})
            QTest::newRow(row[0]) << row[1] << row[2];
        // A live one confirmed and its row taken away while the catch-up's window was full.
        QString steps, sent = QStringLiteral("22");
        for (int i = 1; i <= 21; ++i)
            steps += QStringLiteral("o%1 ").arg(i), sent += QStringLiteral(" ~%1").arg(i);
        QTest::newRow("confirmed live while read: not late")
            << steps + "s22 c n d22 f d1 d2 n" << sent;
    }
    void eachEventGoesOnceByOnePath() {
        QFETCH(QString, steps);
        std::map<qint64, events::StoredEvent> box;
        bool unreadable = false;
        plant::OutboxAccess access{
            [&](qint64 after, int n, auto *out, qint64 *last, int *, QString *error) {
                for (auto i = box.upper_bound(after); i != box.end() && n-- > 0; ++i)
                    out->push_back(i->second), *last = i->first;
                *error = QStringLiteral("disk I/O error");
                return !unreadable;
            },
            [&](const std::vector<qint64> &ids, QString *) {
                return std::all_of(ids.begin(), ids.end(),
                                   [&](qint64 id) { return box.erase(id); });
            },
            [&] { return qint64(box.size()); }};
        plant::CatchUp c(access);
        QStringList sent;
        const auto live = [&](qint64 id) {
            if (c.takeLive(id))
                sent << QString::number(id);
        };
        const std::map<QChar, std::function<void(qint64)>> act{
            {'o', [&](qint64 id) { box[id].id = id; }},
            {'s', [&](qint64 id) { box[id].id = id, live(id); }},
            {'a', live},
            {'x', [&](qint64 id) { c.leftBuffer(id); }},
            {'d', [&](qint64 id) { c.delivered(id); }},
            {'r', [&](qint64 id) { c.notSent(id); }},
            {'f', [&](qint64) { c.flush(); }},
            {'c', [&](qint64) { c.connected(); }},
            {'l', [&](qint64) { c.connectionLost(); }},
            {'!', [&](qint64) { unreadable = true; }},
            {'n', [&](qint64) {
                 for (const events::StoredEvent &e : c.next(0))
                     sent << QLatin1Char('~') + QString::number(e.id);
             }}};
        for (const QString &step : steps.split(QLatin1Char(' ')))
            act.at(step[0])(step.mid(1).toLongLong());
        QTEST(sent.join(QLatin1Char(' ')), "sent");
        QCOMPARE(c.unsent(), unreadable ? qint64(box.size()) : -1);
    }

    // While the broker is away the program records three events and is restarted; with the
    // broker there, each arrives once, in the order written, marked late; a live one is not.
    void anOutageWithARestartLosesNothing() {
        Broker broker;
        QTemporaryDir dir;
        QFile ini(dir.filePath(QStringLiteral("plant.ini")));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[mqtt]\nurl = " + broker.url().toUtf8() + "\nlaser_id = bay5\n");
        ini.close();
        const auto run = [&](const QStringList &names, const std::function<void(int)> &wait) {
            history::RecorderOptions options;
            options.logDir = dir.filePath(QStringLiteral("log"));
            history::Recorder recorder(nullptr, options);
            plant::PlantLink link(ini.fileName(), QStringLiteral("pc"), QStringLiteral("tty0"));
            feedFromHistory(link, recorder);
            wait(3); // the late ones first: the live one then surely comes live
            for (const QString &name : names)
                recorder.settingsProfile(name, QStringLiteral("saved"), QString());
            recorder.flushNow();
            wait(4);
        };
        run({"down-1", "down-2", "down-3"}, [](int) {});
        QVERIFY(broker.start());
        Subscriber subscriber(broker.port, "laser/bay5/events");
        run({"live"}, [&](int n) { subscriber.collect(QStringLiteral("events"), n, 15000); });
        QStringList seen;
        double lastId = 0;
        // A repeat would come within the 2 s.
        for (const Subscriber::Received &m :
             subscriber.collect(QStringLiteral("events"), 5, 2000)) {
            const QJsonObject o = QJsonDocument::fromJson(m.payload).object();
            QVERIFY(o[QStringLiteral("id")].toDouble() > lastId);
            lastId = o[QStringLiteral("id")].toDouble();
            seen << o[QStringLiteral("name")].toString() +
                        (o[QStringLiteral("late")].toBool() ? "~" : "");
        }
        QCOMPARE(seen.join(QLatin1Char(' ')), QStringLiteral("down-1~ down-2~ down-3~ live"));
    }
};

QTEST_GUILESS_MAIN(CatchUpTest)
#include "catch_up_test.moc"
