#include "events/flag_watch.h"

namespace events {

using protocol::DeviceState;

namespace {

const char *const alarm = "alarm";
const char *const stateCategory = "state";

} // namespace

FlagWatch::FlagWatch() {
    const auto add = [this](const char *category, const QString &name, quint8 code,
                            bool (*get)(const DeviceState &, int, int), int i = 0, int j = 0) {
        table.push_back(Flag{category, name, code, get, i, j});
    };

    systemFirst = table.size();
    add(alarm, QStringLiteral("extEStop"), 0xE6,
        [](const DeviceState &s, int, int) { return s.extEStop; });
    add(alarm, QStringLiteral("doorInterlock"), 0xE6,
        [](const DeviceState &s, int, int) { return s.doorInterlock; });
    add(alarm, QStringLiteral("systemFault"), 0xE6,
        [](const DeviceState &s, int, int) { return s.systemFault; });
    add(alarm, QStringLiteral("chillerFault"), 0xE6,
        [](const DeviceState &s, int, int) { return s.chillerFault; });
    add(stateCategory, QStringLiteral("redLightOn"), 0xE6,
        [](const DeviceState &s, int, int) { return s.redLightOn; });
    add(stateCategory, QStringLiteral("laserReady"), 0xE6,
        [](const DeviceState &s, int, int) { return s.laserReady; });
    add(stateCategory, QStringLiteral("dcOn"), 0xE6,
        [](const DeviceState &s, int, int) { return s.dcOn; });
    systemLast = table.size();

    moduleFirst = table.size();
    for (int m = 0; m < protocol::moduleCount; ++m) {
        const QString prefix = QStringLiteral("module%1.").arg(m);
        add(
            alarm, prefix + QStringLiteral("qbhFault"), 0xE2,
            [](const DeviceState &s, int i, int) { return s.moduleStatus[i].qbhFault; }, m);
        add(
            alarm, prefix + QStringLiteral("fiberBreakFault"), 0xE2,
            [](const DeviceState &s, int i, int) { return s.moduleStatus[i].fiberBreakFault; }, m);
        add(
            alarm, prefix + QStringLiteral("waterInHiFault"), 0xE2,
            [](const DeviceState &s, int i, int) { return s.moduleStatus[i].waterInHiFault; }, m);
        add(
            alarm, prefix + QStringLiteral("waterOutHiFault"), 0xE2,
            [](const DeviceState &s, int i, int) { return s.moduleStatus[i].waterOutHiFault; }, m);
        add(
            alarm, prefix + QStringLiteral("pdFault"), 0xE2,
            [](const DeviceState &s, int i, int) { return s.moduleStatus[i].pdFault; }, m);
        add(
            stateCategory, prefix + QStringLiteral("beamOn"), 0xE2,
            [](const DeviceState &s, int i, int) { return s.moduleStatus[i].beamOn; }, m);
    }
    moduleLast = table.size();

    driverFirst = table.size();
    for (int b = 0; b < protocol::driverBoardCount; ++b) {
        for (int c = 0; c < protocol::driverChannelCount; ++c) {
            const QString prefix = QStringLiteral("board%1.channel%2.").arg(b).arg(c);
            add(
                alarm, prefix + QStringLiteral("overCurrent1"), 0xD2,
                [](const DeviceState &s, int i, int j) {
                    return s.driverChannel[i][j].overCurrent1;
                },
                b, c);
            add(
                alarm, prefix + QStringLiteral("overCurrent2"), 0xD2,
                [](const DeviceState &s, int i, int j) {
                    return s.driverChannel[i][j].overCurrent2;
                },
                b, c);
            add(
                alarm, prefix + QStringLiteral("overTemp1"), 0xD2,
                [](const DeviceState &s, int i, int j) { return s.driverChannel[i][j].overTemp1; },
                b, c);
            add(
                alarm, prefix + QStringLiteral("overTemp2"), 0xD2,
                [](const DeviceState &s, int i, int j) { return s.driverChannel[i][j].overTemp2; },
                b, c);
            add(
                alarm, prefix + QStringLiteral("overTemp3"), 0xD2,
                [](const DeviceState &s, int i, int j) { return s.driverChannel[i][j].overTemp3; },
                b, c);
            add(
                alarm, prefix + QStringLiteral("overTemp4"), 0xD2,
                [](const DeviceState &s, int i, int j) { return s.driverChannel[i][j].overTemp4; },
                b, c);
        }
    }
    driverLast = table.size();

    ioFirst = table.size();
    add(stateCategory, QStringLiteral("dinEStop2"), 0xEF,
        [](const DeviceState &s, int, int) { return s.dinEStop2; });
    add(stateCategory, QStringLiteral("dinPwm"), 0xEF,
        [](const DeviceState &s, int, int) { return s.dinPwm; });
    add(stateCategory, QStringLiteral("dinDcOn"), 0xEF,
        [](const DeviceState &s, int, int) { return s.dinDcOn; });
    add(stateCategory, QStringLiteral("dinLaserOn"), 0xEF,
        [](const DeviceState &s, int, int) { return s.dinLaserOn; });
    add(stateCategory, QStringLiteral("doutDcOn"), 0xEF,
        [](const DeviceState &s, int, int) { return s.doutDcOn; });
    add(stateCategory, QStringLiteral("doutFault"), 0xEF,
        [](const DeviceState &s, int, int) { return s.doutFault; });
    ioLast = table.size();

    seen.assign(table.size(), 0);
}

void FlagWatch::compareRange(size_t first, size_t last, const DeviceState &state, qint64 at,
                             std::vector<Event> &out) {
    for (size_t k = first; k < last; ++k) {
        const Flag &f = table[k];
        const char now = f.get(state, f.i, f.j) ? 1 : 0;
        if (now == seen[k])
            continue;
        seen[k] = now;
        Event e;
        e.at = at;
        e.category = QLatin1String(f.category);
        e.name = f.name;
        e.value = now ? QStringLiteral("on") : QStringLiteral("off");
        out.push_back(std::move(e));
    }
}

void FlagWatch::frameApplied(quint8 code, const DeviceState &state, qint64 at,
                             std::vector<Event> &out) {
    switch (code) {
    case 0xE6:
        compareRange(systemFirst, systemLast, state, at, out);
        break;
    case 0xE2:
        compareRange(moduleFirst, moduleLast, state, at, out);
        break;
    case 0xD2:
        compareRange(driverFirst, driverLast, state, at, out);
        break;
    case 0xEF:
        compareRange(ioFirst, ioLast, state, at, out);
        break;
    default:
        break;
    }
}

void FlagWatch::compareAll(const DeviceState &state, qint64 at, std::vector<Event> &out) {
    compareRange(0, table.size(), state, at, out);
}

void FlagWatch::rebase(const DeviceState &state) {
    for (size_t k = 0; k < table.size(); ++k)
        seen[k] = table[k].get(state, table[k].i, table[k].j) ? 1 : 0;
}

} // namespace events
