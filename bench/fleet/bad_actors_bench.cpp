// The plant's bad-actor list with 4,000 lasers' alarm summaries, each as large as a host makes
// one (20 alarms in each period, keys of 64 characters, 5 more summed): what one changed summary
// costs from its bytes to the list ranked again, and what the summaries hold in memory.
#include "fleet/bad_actor_list.h"
#include "fleet/fleet_state.h"
#include "plant/fleet_messages.h"
#include "plant/payloads.h"
#include "plant/summary_payload.h"

#include <benchmark/benchmark.h>

#include <QFile>

namespace {

constexpr int lasers = 4000;
constexpr qint64 t0 = 1796662420000;

// The laser's summary payload; `seed` varies the figures so that the ranks differ.
QByteArray summaryPayload(const QString &id, qint64 seed) {
    events::PeriodFigures f;
    f.to = 1796662800000;
    f.from = f.to - 24 * 3600 * 1000;
    for (qint64 n = 25; n > 0; --n)
        f.alarms.push_back(
            {QStringLiteral("board%1.channel%2.").arg(n).arg(seed % 8).leftJustified(64, 'x'),
             (n * 7919 + seed * 104729) % 1000, n * 1000, 0, n / 5, n / 7});
    std::sort(f.alarms.begin(), f.alarms.end(),
              [](const events::AlarmFigures &a, const events::AlarmFigures &b) {
                  return a.rises > b.rises;
              });
    plant::AlarmSummary s;
    s.at = t0;
    s.instance = QStringLiteral("3f9a6c2e81d04b57");
    s.periods = {plant::summaryPeriod(f), plant::summaryPeriod(f)};
    return plant::summaryPayload(s, id);
}

// Read as the subscriber reads it; a message it would refuse stops the bench.
plant::FleetMessage parsed(const QString &id, const QByteArray &topicLevel,
                           const QByteArray &payload) {
    const plant::ParseResult r = plant::parseFleetMessage(
        QStringLiteral("laser"), "laser/" + id.toUtf8() + '/' + topicLevel, payload, false);
    if (r.rejection != plant::Rejection::None)
        qFatal("refused: %s", topicLevel.constData());
    return r.message;
}

qint64 residentKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return 0;
}

// The fleet with every laser's status and summary, and the list ranked once.
struct Plant {
    fleet::Fleet fleet;
    fleet::BadActorList list{fleet};
    qint64 rssBefore = residentKiB();
    qint64 rssAfter = 0;
    Plant() {
        for (int i = 0; i < lasers; ++i) {
            const QString id = QStringLiteral("hall%1-cutter-%2").arg(i / 100).arg(i);
            fleet.apply(parsed(id, "status",
                               plant::statusPayload(
                                   plant::statusObject(protocol::DeviceState(), {}), id, t0)),
                        t0);
            fleet.apply(parsed(id, "alarm_summary", summaryPayload(id, i)), t0);
        }
        list.refresh();
        rssAfter = residentKiB();
    }
};

Plant &plantOf() {
    static Plant plant;
    return plant;
}

// One summary's bytes read as the subscriber's thread reads them.
void readOneSummary(benchmark::State &state) {
    const QByteArray payload = summaryPayload(QStringLiteral("cutter-7"), 7);
    for (auto _ : state)
        benchmark::DoNotOptimize(parsed(QStringLiteral("cutter-7"), "alarm_summary", payload));
    state.counters["bytes"] = double(payload.size());
}
BENCHMARK(readOneSummary)->Unit(benchmark::kMicrosecond);

// A changed summary applied and the list of the 100 worst ranked anew among 80,000 pairs: what
// the window does on its next refresh after the batch that carries it.
void changeToList(benchmark::State &state) {
    Plant &p = plantOf();
    qint64 seed = lasers;
    for (auto _ : state) {
        const QString id =
            QStringLiteral("hall%1-cutter-%2").arg(seed % lasers / 100).arg(seed % lasers);
        const plant::FleetMessage m = parsed(id, "alarm_summary", summaryPayload(id, ++seed));
        p.fleet.apply(m, t0);
        p.list.refresh();
        benchmark::DoNotOptimize(p.list.rowCount());
    }
    state.counters["lasers"] = double(p.fleet.lasers().size());
    state.counters["state_MiB"] = double(p.fleet.heldBytes()) / (1024 * 1024);
    state.counters["rss_growth_MiB"] = double(p.rssAfter - p.rssBefore) / 1024;
}
BENCHMARK(changeToList)->Unit(benchmark::kMillisecond);

// The same list sorted by another column (a click on its header).
void sortByChattering(benchmark::State &state) {
    Plant &p = plantOf();
    int column = fleet::BadActorList::Chatters;
    for (auto _ : state) {
        p.list.sort(column, Qt::DescendingOrder);
        column = column == fleet::BadActorList::Chatters ? fleet::BadActorList::Rises
                                                         : fleet::BadActorList::Chatters;
    }
}
BENCHMARK(sortByChattering)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
