// The edge node's rules, one script a row: what happened, and the messages it gives in return
// as TYPE/seq (bd<bdSeq> on NBIRTH and NDEATH, :<metrics> on DDATA), then what it counted.
#include "plant/sparkplug_node.h"
#include "sparkplug_b.pb.h"
#include "support/table.h"

#include <QTest>

using namespace plant::sparkplug;

namespace {

QByteArray command(const char *name, quint64 alias, bool value) {
    sparkplug_b::Payload p;
    sparkplug_b::Payload::Metric *m = p.add_metrics();
    if (name)
        m->set_name(name);
    else
        m->set_alias(alias);
    m->set_boolean_value(value);
    const std::string bytes = p.SerializeAsString();
    return QByteArray(bytes.data(), int(bytes.size()));
}

QString rendered(const Reaction &r) {
    QStringList out;
    for (const Outgoing &o : r.publish) {
        sparkplug_b::Payload p;
        if (!p.ParseFromArray(o.payload.constData(), o.payload.size()))
            return QStringLiteral("unreadable ") + QString::fromUtf8(o.topic);
        QString s = QString::fromUtf8(o.topic.split('/').at(2));
        if (p.has_seq())
            s += QLatin1Char('/') + QString::number(p.seq());
        for (const auto &m : p.metrics())
            if (m.name() == "bdSeq")
                s += QStringLiteral(" bd") + QString::number(m.long_value());
        if (s.startsWith(QLatin1String("DDATA")))
            s += QLatin1Char(':') + QString::number(p.metrics_size());
        if (p.metrics_size() > 0 && p.metrics(0).is_historical())
            s += QStringLiteral(" late");
        out << s;
    }
    if (r.disconnect)
        out << QStringLiteral("disconnect");
    return out.join(QLatin1Char(' '));
}

} // namespace

class SparkplugRulesTest : public QObject {
    Q_OBJECT

private slots:
    void scriptGivesMessages_data() {
        fixture::columns<QString, QString, QString>("setup", "steps", "expected");
        const QString born = QStringLiteral("NDEATH bd0 NBIRTH/0 bd0 DBIRTH/1");
        const auto row = [](const char *tag, const char *setup, const char *steps,
                            const QString &out) { QTest::newRow(tag) << setup << steps << out; };
        row("births, data by exception, the device's death and return", "",
            "will connect up same hot same down up", born + " DDATA/2:2 DDEATH/3 DBIRTH/4");
        row("no DBIRTH before the device is there", "", "will connect down up", born);
        row("a new connection: next bdSeq, seq from 0, nothing while away", "",
            "will connect up lost hot will connect", born + " NDEATH bd1 NBIRTH/0 bd1 DBIRTH/1");
        row("bdSeq wraps after 255", "bd=255", "will connect lost will",
            "NDEATH bd255 NBIRTH/0 bd255 NDEATH bd0");
        row("seq wraps after 255", "", "will connect up quiet*252 change change change",
            born + " DDATA/254:1 DDATA/255:1 DDATA/0:1");
        row("seq wrap during a rebirth, asked by alias", "",
            "will connect up quiet*253 change rebirth-alias change",
            born + " DDATA/255:1 NBIRTH/0 bd0 DBIRTH/1 DDATA/2:1 | rebirths=1");
        row("rebirths at most once a second", "", "will connect up rebirth rebirth same*4",
            born + " NBIRTH/0 bd0 DBIRTH/1 | rebirths=1");
        row("writes refused and counted", "",
            "will connect up write dcmd dcmd-other rebirth-false empty", born + " | refused=5");
        row("hostile bytes", "", "will connect up garbage huge other-node state=x",
            born + " | unreadable=2 notOurs=2");
        row("a late edge: only of a Boolean the device has, only after its birth", "",
            "will late connect late up late late-float", born + " DDATA/2:1 late");
        row("a clean end", "", "will connect up leave hot", born + " NDEATH bd0");
        row("births wait for the primary host", "host", "will connect up online@5", born);
        row("host offline: NDEATH, disconnect, births once it is back, earlier times forgotten",
            "host", "will connect up online@5 offline@6 online@7 lost will connect online@3",
            born + " NDEATH bd0 disconnect NDEATH bd1 NBIRTH/0 bd1 DBIRTH/1");
        row("STATE from the past ignored, one of the same time taken", "host",
            "will connect up online@5 offline@4 offline@5",
            born + " NDEATH bd0 disconnect | stale=1");
        row("STATE that is not a host's", "host",
            "will connect up state={\"online\":true} state={\"online\":1,\"timestamp\":5} "
            "state={\"online\":true,\"timestamp\":1e300} state={\"online\":true,\"timestamp\":-1} "
            "state={\"online\":true,\"timestamp\":1.5} state=[] online@5",
            born + " | unreadable=6");
    }
    void scriptGivesMessages() {
        QFETCH(QString, setup);
        QFETCH(QString, steps);
        QFETCH(QString, expected);
        NodeSettings settings;
        settings.groupId = QStringLiteral("hall2");
        settings.edgeNodeId = QStringLiteral("cutter-7");
        if (setup == QLatin1String("host"))
            settings.primaryHostId = QStringLiteral("scada");
        EdgeNode node(
            settings,
            {{QStringLiteral("Alarms/a"), DataType::Boolean, QString(), 0},
             {QStringLiteral("Temperatures/t"), DataType::Float, QStringLiteral("°C"), 0}},
            setup == QLatin1String("bd=255") ? 255 : 0);
        const QByteArray ncmd = "spBv1.0/hall2/NCMD/cutter-7";
        const QByteArray dcmd = "spBv1.0/hall2/DCMD/cutter-7/";
        const QByteArray state = "spBv1.0/STATE/scada";
        Device device{true, {Value(false), Value(20.0f)}};
        qint64 now = 1796662420000;
        QStringList out;
        for (const QString &token : steps.split(QLatin1Char(' '))) {
            const QStringList repeat = token.split(QLatin1Char('*'));
            const QString step = repeat[0];
            const QByteArray arg =
                step.section(QRegularExpression(QStringLiteral("[@=]")), 1).toUtf8();
            for (int n = repeat.value(1, QStringLiteral("1")).toInt(); n > 0; --n) {
                now += 200; // one refresh pass
                Reaction r;
                if (step == QLatin1String("will"))
                    r = {{node.will(now)}, false};
                else if (step == QLatin1String("connect"))
                    r = node.connected(now);
                else if (step == QLatin1String("lost"))
                    node.connectionLost();
                else if (step.startsWith(QLatin1String("late")))
                    r = node.late(QLatin1String(step == QLatin1String("late") ? "Alarms/a"
                                                                              : "Temperatures/t"),
                                  true, now - 60000, now);
                else if (step == QLatin1String("leave"))
                    r = node.leaving(now);
                else if (step == QLatin1String("rebirth"))
                    r = node.received(ncmd, command(rebirthMetric, 0, true), now);
                else if (step == QLatin1String("rebirth-alias"))
                    r = node.received(ncmd, command(nullptr, EdgeNode::rebirthAlias, true), now);
                else if (step == QLatin1String("rebirth-false"))
                    r = node.received(ncmd, command(rebirthMetric, 0, false), now);
                else if (step == QLatin1String("write"))
                    r = node.received(ncmd, command("Alarms/a", 0, true), now);
                else if (step == QLatin1String("empty"))
                    r = node.received(ncmd, QByteArray(), now);
                else if (step == QLatin1String("dcmd"))
                    r = node.received(dcmd + "laser", command("Alarms/a", 0, true), now);
                else if (step == QLatin1String("dcmd-other"))
                    r = node.received(dcmd + "other", QByteArray("\xff"), now);
                else if (step == QLatin1String("garbage"))
                    r = node.received(ncmd, QByteArray("\x0a\xff\x01", 3), now);
                else if (step == QLatin1String("huge")) // a well-formed payload, too large
                    r = node.received(ncmd, QByteArray("\x2a\x88\x27", 3) + QByteArray(5000, 'x'),
                                      now);
                else if (step == QLatin1String("other-node"))
                    r = node.received("spBv1.0/hall2/NCMD/cutter-8",
                                      command(rebirthMetric, 0, true), now);
                else if (step.startsWith(QLatin1String("state=")))
                    r = node.received(state, arg, now);
                else if (step.startsWith(QLatin1String("online@")) ||
                         step.startsWith(QLatin1String("offline@")))
                    r = node.received(
                        state,
                        "{\"online\":" + QByteArray(step[1] == 'n' ? "true" : "false") +
                            ",\"timestamp\":" + arg + '}',
                        now);
                else {
                    device.present = step != QLatin1String("down");
                    if (step == QLatin1String("hot"))
                        device.values[0] = true;
                    if (step != QLatin1String("same") && step != QLatin1String("up"))
                        device.values[1] = std::get<float>(device.values[1]) + 1;
                    r = node.refresh(device, now);
                }
                if (step != QLatin1String("quiet") && !rendered(r).isEmpty())
                    out << rendered(r);
            }
        }
        const Counts &c = node.counts();
        QStringList counts;
        const std::pair<const char *, quint64> tally[] = {{"rebirths", c.rebirths},
                                                          {"refused", c.refused},
                                                          {"unreadable", c.unreadable},
                                                          {"notOurs", c.notOurs},
                                                          {"stale", c.staleStates}};
        for (const auto &[name, n] : tally)
            if (n > 0)
                counts << QStringLiteral("%1=%2").arg(QLatin1String(name)).arg(n);
        const QString got =
            out.join(QLatin1Char(' ')) +
            (counts.isEmpty() ? QString() : QStringLiteral(" | ") + counts.join(QLatin1Char(' ')));
        QCOMPARE(got, expected);
    }
};

QTEST_GUILESS_MAIN(SparkplugRulesTest)
#include "sparkplug_rules_test.moc"
