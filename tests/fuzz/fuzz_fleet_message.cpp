// Arbitrary bytes as a message from the plant's broker, through the fleet's reader and into a
// fleet state with small bounds. Besides the sanitizers, the invariants below stop the run
// when they break: a message is either refused with a reason or has a usable laser id, and the
// state never holds more than its bounds.
//
// Input: one byte choosing the topic (bits 0-1: online, status, events, or the whole topic from
// the input, such as an alarm_summary; bit 2: retained), then the laser id (or the topic) up to the first newline, then
// the payload.

#include "fleet/fleet_state.h"
#include "fuzz/fuzz_check.h"
#include "plant/fleet_messages.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

const fleet::Limits limits{8, 4, 4};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 1)
        return 0;
    const QByteArray input(reinterpret_cast<const char *>(data + 1), static_cast<int>(size - 1));
    const int newline = input.indexOf('\n');
    const QByteArray head = newline < 0 ? input : input.left(newline);
    const QByteArray payload = newline < 0 ? QByteArray() : input.mid(newline + 1);
    static const char *const kinds[] = {"/online", "/status", "/events"};
    const int kind = data[0] & 3;
    const QByteArray topic = kind == 3 ? head : "laser/" + head + kinds[kind];
    const bool retained = (data[0] & 4) != 0;

    const plant::ParseResult r =
        plant::parseFleetMessage(QStringLiteral("laser"), topic, payload, retained);
    fleet::Fleet f(limits);
    plant::FleetBatch batch;
    if (r.rejection == plant::Rejection::None) {
        FUZZ_CHECK(!r.message.laserId.isEmpty());
        FUZZ_CHECK(r.message.laserId.toUcs4().size() <= plant::maxLaserIdLength);
        // Shown as they are: nothing in them that visibleText() would write as <U+XXXX>.
        FUZZ_CHECK(plant::visibleText(r.message.laserId) == r.message.laserId);
        for (const QString &key : r.message.status.otherAlarms + r.message.status.unacknowledged)
            FUZZ_CHECK(plant::visibleText(key) == key);
        for (const plant::SummaryPeriod &p : r.message.summary.periods)
            FUZZ_CHECK(p.alarms.size() <= size_t(plant::maxSummaryAlarms) && p.from <= p.to);
        FUZZ_CHECK(payload.size() <= plant::maxPayloadBytes);
        // The message again and again, and under more ids than the state keeps, so that every
        // bound is reached.
        for (int i = 0; i < 12; ++i) {
            plant::FleetMessage m = r.message;
            if (i >= 4)
                m.laserId += QString::number(i);
            batch.messages << m;
        }
    } else {
        ++batch.rejected[static_cast<size_t>(r.rejection)];
    }
    const qint64 now = 1796662420000 + static_cast<qint64>(size) * 997;
    f.apply(batch, now);
    FUZZ_CHECK(f.rejectedTotal() == (r.rejection != plant::Rejection::None ? 1u : 0u));

    FUZZ_CHECK(static_cast<int>(f.lasers().size()) <= limits.maxLasers);
    FUZZ_CHECK(static_cast<int>(f.alarmList().size()) <= limits.maxAlarmEntries);
    for (const fleet::Laser &l : f.lasers())
        FUZZ_CHECK(static_cast<int>(l.events.size()) <= limits.maxEventsPerLaser);
    const std::vector<int> order = f.order(now);
    FUZZ_CHECK(order.size() == f.lasers().size());
    const fleet::Fleet::ListChange change = f.takeListChange();
    FUZZ_CHECK(change.added - change.dropped == static_cast<int>(f.alarmList().size()));
    FUZZ_CHECK(f.heldBytes() > 0 || f.lasers().empty());

    // Offline for the whole time a sweep may count: those lasers are forgotten, the others stay,
    // each found by its id.
    f.sweep(now, f.limits().forgetOfflineMs);
    for (size_t i = 0; i < f.lasers().size(); ++i) {
        FUZZ_CHECK(f.indexOf(f.lasers()[i].id) == static_cast<int>(i));
        FUZZ_CHECK(!f.isOffline(f.lasers()[i], now));
    }
    return 0;
}
