// Store and forward: which path sends each event of the history (live or late), and an outage
// with a restart of the program against a real mosquitto.
#include "history/recorder.h"
#include "plant/catch_up.h"
#include "plant/plant_link.h"
#include "support/broker.h"
#include "support/table.h"
#include "ui/plant_status.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

#include <map>

class CatchUpTest : public QObject {
    Q_OBJECT
private slots:
    // Steps: oN stored (outbox only), sN stored and arriving live, aN its live arrival, xN it left
    // the buffer unsent, dN delivered, f flush, c connected, l connection lost, n next late ones,
    // ! the history unreadable. What went: "N" live, "~N" late.
    void eachEventGoesOnceByOnePath_data() {
        fixture::columns<QString, QString>("steps", "sent");
        for (auto row : std::vector<std::array<const char *, 3>>{
                 {"a restart sends the outbox late, in order", "o3 o1 o2 c n", "~1 ~2 ~3"},
                 {"nothing late while live", "c s1 n", "1"},
                 {"an outage past the live window", "s1 s2 x1 x2 c n", "1 2 ~1 ~2"},
                 {"read before its live arrival", "o5 c n a5", "~5"},
                 {"held by the buffer: not late", "o1 s2 c n", "2 ~1"},
                 {"a reconnect resends what was unconfirmed", "o1 o2 c n d1 l c n", "~1 ~2 ~2"},
                 {"delivered and flushed: never again", "o1 c n d1 f l c n", "~1"},
                 {"left after the pass", "o1 c n d1 s2 x2 n", "~1 2 ~2"},
                 {"not connected: nothing late", "o1 n", ""},
                 {"an unreadable history sends nothing", "o1 ! c n", ""},
             })
            QTest::newRow(row[0]) << row[1] << row[2];
    }
    void eachEventGoesOnceByOnePath() {
        QFETCH(QString, steps);
        QFETCH(QString, sent);
        std::map<qint64, events::StoredEvent> outbox;
        bool unreadable = false;
        plant::OutboxAccess access;
        access.read = [&](qint64 after, int limit, std::vector<events::StoredEvent> *out,
                          qint64 *last, int *, QString *error) {
            *error = QStringLiteral("disk I/O error");
            for (auto it = outbox.upper_bound(after); it != outbox.end() && limit-- > 0; ++it)
                out->push_back(it->second), *last = it->first;
            return !unreadable;
        };
        access.remove = [&](const std::vector<qint64> &ids, QString *) {
            for (qint64 id : ids)
                outbox.erase(id);
            return true;
        };
        access.count = [&] { return qint64(outbox.size()); };
        plant::CatchUp c(access);
        QStringList out;
        for (const QString &step : steps.split(QLatin1Char(' '))) {
            const qint64 id = step.mid(1).toLongLong();
            const QChar k = step[0];
            if (k == 'o' || k == 's')
                outbox[id] = events::StoredEvent{id, {}, false};
            if ((k == 's' || k == 'a') && c.takeLive(id))
                out << QString::number(id);
            if (k == 'x')
                c.leftBuffer(id);
            if (k == 'd')
                c.delivered(id);
            if (k == 'f')
                c.flush();
            if (k == 'c')
                c.connected();
            if (k == 'l')
                c.connectionLost();
            if (k == '!')
                unreadable = true;
            if (k == 'n')
                for (const events::StoredEvent &e : c.next(0))
                    out << QLatin1Char('~') + QString::number(e.id);
        }
        QCOMPARE(out.join(QLatin1Char(' ')), sent);
        QCOMPARE(c.trouble().isEmpty(), !unreadable);
        if (unreadable)
            QCOMPARE(c.unsent(), qint64(outbox.size()));
    }

    // Events recorded while the broker is down, the program restarted, the broker back: each
    // arrives once, in the order written, marked late; the live ones before and after are not.
    void anOutageWithARestartLosesNothing() {
        if (!Broker::available())
            QSKIP("mosquitto is not installed");
        Broker broker;
        QVERIFY(broker.start());
        QTemporaryDir dir;
        const QString ini = dir.filePath(QStringLiteral("plant.ini"));
        QFile file(ini);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[mqtt]\nurl = " + broker.url().toUtf8() + "\nlaser_id = bay5\n");
        file.close();
        std::vector<QJsonObject> got;
        const auto run = [&](const std::function<void(history::Recorder &)> &between) {
            history::RecorderOptions options;
            options.logDir = dir.filePath(QStringLiteral("log"));
            history::Recorder recorder(nullptr, options);
            plant::PlantLink link(ini, QStringLiteral("pc"), QStringLiteral("tty0"));
            feedFromHistory(link, recorder);
            between(recorder);
        };
        const auto record = [](history::Recorder &r, const char *name) {
            r.settingsProfile(QString::fromLatin1(name), QStringLiteral("saved"), QString());
            r.flushNow();
        };
        Subscriber before(broker.port, "laser/bay5/events");
        run([&](history::Recorder &r) {
            record(r, "live-1");
            QCOMPARE(before.collect(QStringLiteral("events"), 1).size(), size_t(1));
            broker.stop();
            for (const char *name : {"down-1", "down-2", "down-3"})
                record(r, name);
        });
        QVERIFY(broker.start());
        Subscriber after(broker.port, "laser/bay5/events");
        run([&](history::Recorder &r) {
            QCOMPARE(after.collect(QStringLiteral("events"), 3, 20000).size(), size_t(3));
            record(r, "live-2");
            after.collect(QStringLiteral("events"), 4);
            // A repeat would come within this time.
            for (const Subscriber::Received &m : after.collect(QStringLiteral("events"), 5, 2000))
                got.push_back(QJsonDocument::fromJson(m.payload).object());
        });
        QStringList seen;
        for (const QJsonObject &o : got)
            seen << o[QStringLiteral("name")].toString() +
                        (o[QStringLiteral("late")].toBool() ? QStringLiteral("~") : QString());
        QCOMPARE(seen.join(QLatin1Char(' ')), QStringLiteral("down-1~ down-2~ down-3~ live-2"));
        for (size_t i = 1; i < got.size(); ++i)
            QVERIFY(got[i][QStringLiteral("id")].toDouble() >
                    got[i - 1][QStringLiteral("id")].toDouble());
    }
};

QTEST_GUILESS_MAIN(CatchUpTest)
#include "catch_up_test.moc"
