// What a broker hands the Sparkplug edge node: records of [topic][length, 2 bytes][payload] on
// its command and STATE topics and elsewhere, with refresh passes between them. Besides the
// sanitizers: the node only ever answers with births (or an NDEATH and a disconnect on a
// STATE), every message it makes reads back, and an NBIRTH starts at seq 0.

#include "fuzz/fuzz_check.h"
#include "plant/sparkplug_node.h"
#include "sparkplug_b.pb.h"

#include <QList>

#include <algorithm>
#include <cstddef>
#include <cstdint>

using namespace plant::sparkplug;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    NodeSettings settings;
    settings.groupId = QStringLiteral("hall2");
    settings.edgeNodeId = QStringLiteral("cutter-7");
    if (size > 0 && (data[0] & 0x80))
        settings.primaryHostId = QStringLiteral("scada");
    EdgeNode node(settings, {{QStringLiteral("Alarms/a"), DataType::Boolean, QString(), 0},
                             {QStringLiteral("Product/type"), DataType::String, QString(), 0}});
    const QByteArray topics[] = {"spBv1.0/hall2/NCMD/cutter-7", "spBv1.0/hall2/DCMD/cutter-7/laser",
                                 "spBv1.0/STATE/scada", "spBv1.0/hall2/NCMD/cutter-7/x"};
    qint64 now = 1796662420000;
    Device device{true, {Value(false), Value(QStringLiteral("FL"))}};
    node.will(now);
    node.connected(now);
    for (size_t i = 0; i + 3 <= size;) {
        const int topic = data[i] & 3;
        const size_t length = std::min(size - i - 3, size_t(data[i + 1] | data[i + 2] << 8));
        const QByteArray payload(reinterpret_cast<const char *>(data + i + 3), int(length));
        i += 3 + length;
        now += 300;
        const Reaction r = node.received(topics[topic], payload, now);
        FUZZ_CHECK(!r.disconnect || (topic == 2 && r.publish.size() == 1));
        for (const Outgoing &o : r.publish) {
            sparkplug_b::Payload p;
            FUZZ_CHECK(p.ParseFromArray(o.payload.constData(), o.payload.size()));
            const QByteArray type = o.topic.split('/').value(2);
            FUZZ_CHECK(type == "NBIRTH" || type == "DBIRTH" || (r.disconnect && type == "NDEATH"));
            FUZZ_CHECK(type != "NBIRTH" || p.seq() == 0);
            FUZZ_CHECK(topic == 0 || topic == 2);
        }
        device.values[0] = !std::get<bool>(device.values[0]);
        node.refresh(device, now);
    }
    return 0;
}
