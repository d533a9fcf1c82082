// The edge node's rules, a script a row: what happened, and what the node published in return,
// TYPE/seq (bd<bdSeq> on NBIRTH and NDEATH, :<metrics> on DDATA, "late" if historical), then
// what it counted.
#include "plant/sparkplug_node.h"
#include "sparkplug_b.pb.h"
#include "support/table.h"

#include <QTest>

#include <functional>
#include <map>

using namespace plant::sparkplug;

namespace {
const QByteArray ncmd = "spBv1.0/hall2/NCMD/cutter-7";
const QByteArray rebirth = QByteArrayLiteral("\x12\x18\x0a\x14Node Control/Rebirth\x70\x01");
const QByteArray write = QByteArrayLiteral("\x12\x0c\x0a\x08"
                                           "Alarms/a\x70\x01");
// What a broker may hand the node, by step: the topic and the payload.
const QHash<QString, QPair<QByteArray, QByteArray>> incoming = {
    {"rebirth", {ncmd, rebirth}},
    {"rebirth-alias", {ncmd, QByteArrayLiteral("\x12\x04\x10\x01\x70\x01")}},
    {"rebirth-false", {ncmd, QByteArrayLiteral("\x12\x18\x0a\x14Node Control/Rebirth\x70\x00")}},
    {"write", {ncmd, write}},
    {"empty", {ncmd, ""}},
    {"dcmd", {"spBv1.0/hall2/DCMD/cutter-7/laser", write}},
    {"dcmd-other", {"spBv1.0/hall2/DCMD/cutter-7/other", "\xff"}},
    {"garbage", {ncmd, "\x0a\xff\x01"}},
    {"huge", {ncmd, QByteArrayLiteral("\x2a\x88\x27") + QByteArray(5000, 'x')}}, // well-formed
    {"other-node", {"spBv1.0/hall2/NCMD/cutter-8", rebirth}},
};
} // namespace

class SparkplugRulesTest : public QObject {
    Q_OBJECT

private slots:
    void scriptGivesMessages_data() {
        fixture::columns<QString, QString>("steps", "expected"); // a step with a dot is not shown
        const QString born = "NDEATH bd0 NBIRTH/0 bd0 DBIRTH/1";
        const auto row = [](const char *tag, const char *steps, const QString &out) {
            QTest::newRow(tag) << steps << out;
        };
        row("births, data by exception, the device's death and return",
            "will connect down up up hot up down up", born + " DDATA/2:2 DDEATH/3 DBIRTH/4");
        row("a new connection: next bdSeq, wrapping; seq from 0; nothing while away",
            ".will*255 will connect up lost hot will connect",
            "NDEATH bd255 NBIRTH/0 bd255 DBIRTH/1 NDEATH bd0 NBIRTH/0 bd0 DBIRTH/1");
        row("seq wraps after 255, and during a rebirth (asked by alias)",
            "will connect up .change*253 change rebirth-alias .change*253 change change",
            born + " DDATA/255:1 NBIRTH/0 bd0 DBIRTH/1 DDATA/255:1 DDATA/0:1 rebirths=1");
        row("rebirths at most once a second", "will connect up rebirth rebirth up*4",
            born + " NBIRTH/0 bd0 DBIRTH/1 rebirths=1");
        row("writes refused, hostile bytes dropped, all counted",
            "will connect up write dcmd dcmd-other rebirth-false empty garbage huge other-node",
            born + " refused=5 unreadable=2 notOurs=1");
        row("an alarm that rose and cleared between two passes: its edges, each at its time",
            "will edge connect up edge up up", born + " DDATA/2:2");
        row("a late edge only of a Boolean the device has, after its birth; a clean end",
            "will late connect late up late late-float leave hot",
            born + " DDATA/2:1 late NDEATH bd0");
        row("births wait for the primary host; offline: NDEATH, disconnect, earlier times "
            "forgotten",
            "will connect up online@5 offline@6 online@7 lost will connect online@3",
            born + " NDEATH bd0 disconnect NDEATH bd1 NBIRTH/0 bd1 DBIRTH/1");
        row("STATE that is not a host's, from the past; one of the same time taken",
            R"(will connect up state={"online":true} state={"online":1,"timestamp":5} )"
            R"(state={"online":true,"timestamp":1e300} state={"online":true,"timestamp":1.5} )"
            "online@5 offline@4 offline@5",
            born + " NDEATH bd0 disconnect unreadable=4 stale=1");
    }
    void scriptGivesMessages() {
        QFETCH(QString, steps);
        const bool host = steps.contains("line@"); // a primary host named
        EdgeNode node(
            {"hall2", "cutter-7", "laser", host ? "scada" : ""},
            {{"Alarms/a", DataType::Boolean, "", 0}, {"Temperatures/t", DataType::Float, "°C", 0}});
        Device device{true, {Value(false), Value(20.0f)}};
        qint64 now = 1796662420000;
        const std::map<QString, std::function<Reaction()>> acts = {
            {"will", [&] { return Reaction{{node.will(now)}}; }},
            {"connect", [&] { return node.connected(now); }},
            {"lost", [&] { return node.connectionLost(), Reaction(); }},
            {"leave", [&] { return node.leaving(now); }},
            {"late", [&] { return node.late("Alarms/a", true, now - 60000, now); }},
            {"late-float", [&] { return node.late("Temperatures/t", true, now - 60000, now); }},
            {"edge",
             [&] {
                 return node.edge("Alarms/a", true, now - 99),
                        node.edge("Alarms/a", false, now - 9), Reaction();
             }},
        };
        steps.replace(QRegularExpression("online@(\\d+)"),
                      R"(state={"online":true,"timestamp":\1})");
        steps.replace(QRegularExpression("offline@(\\d+)"),
                      R"(state={"online":false,"timestamp":\1})");
        QStringList out;
        for (const QString &token : steps.split(' ')) {
            const QString step = token.section('*', 0, 0).remove(QRegularExpression("^\\."));
            for (int n = qMax(1, token.section('*', 1).toInt()); n > 0; --n) {
                now += 200; // one refresh pass
                Reaction r;
                if (incoming.contains(step))
                    r = node.received(incoming[step].first, incoming[step].second, now);
                else if (step.startsWith("state="))
                    r = node.received("spBv1.0/STATE/scada", step.mid(6).toUtf8(), now);
                else if (acts.count(step))
                    r = acts.at(step)();
                else { // the device: up, down, hot (both values change), change (one)
                    device.present = step != "down";
                    device.values[0] = std::get<bool>(device.values[0]) || step == "hot";
                    if (step != "up" && step != "down")
                        device.values[1] = std::get<float>(device.values[1]) + 1;
                    r = node.refresh(device, now);
                }
                for (const Outgoing &o : token[0] == '.' ? std::vector<Outgoing>() : r.publish) {
                    sparkplug_b::Payload p;
                    QVERIFY(p.ParseFromArray(o.payload.constData(), o.payload.size()));
                    out << o.topic.split('/').at(2) +
                               (p.has_seq() ? '/' + QString::number(p.seq()) : "");
                    if (out.last()[0] == 'N')
                        out.last() += " bd" + QString::number(p.metrics(0).long_value());
                    if (out.last().startsWith("DDATA"))
                        out.last() += ':' + QString::number(p.metrics_size()) +
                                      (p.metrics(0).is_historical() ? " late" : "");
                }
                if (r.disconnect)
                    out << "disconnect";
            }
        }
        const Counts &c = node.counts();
        const quint64 counts[] = {c.rebirths, c.refused, c.unreadable, c.notOurs, c.staleStates};
        for (int i = 0; i < 5; ++i)
            if (counts[i] > 0)
                out << QString("rebirths refused unreadable notOurs stale").section(' ', i, i) +
                           '=' + QString::number(counts[i]);
        QTEST(out.join(' '), "expected");
    }

    // Ids at their longest, of four UTF-8 bytes a character: a command to the node, or to any
    // device under it, is still read as one.
    void theLongestIdsFitTheTopicsTheLinkReads() {
        const QByteArray id = QString("🔥").repeated(plant::maxPlantIdCharacters).toUtf8();
        for (QByteArray topic : EdgeNode({id, id, "laser", id}, {}).subscriptions())
            QVERIFY(topic.replace("/+", "/" + id).size() <= EdgeNode::longestTopicBytes);
    }
};

QTEST_GUILESS_MAIN(SparkplugRulesTest)
#include "sparkplug_rules_test.moc"
