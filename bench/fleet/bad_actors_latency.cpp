// The bad-actor list end to end: the fleet window (offscreen) on a real mosquitto, 4,000 lasers'
// statuses and alarm summaries (each as large as a host makes one) published to it, then a
// changed summary of one laser, made the plant's worst, published again and again: the time from
// its publish until the list's first line is that laser. Prints each time, then the median and
// the largest, and what the fleet holds.
//   bad_actors_latency [--lasers N] [--changes M]
#include "fleet/bad_actor_list.h"
#include "fleet/fleet_window.h"
#include "plant/fleet_link.h"
#include "plant/payloads.h"
#include "plant/summary_payload.h"
#include "support/broker.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <mqtt/async_client.h>

#include <algorithm>
#include <cstdio>

namespace {

QByteArray summaryOf(const QString &id, qint64 worst) {
    events::PeriodFigures f;
    f.to = 1796662800000;
    f.from = f.to - 24 * 3600 * 1000;
    for (qint64 n = 25; n > 0; --n)
        f.alarms.push_back({QStringLiteral("board%1.").arg(n).leftJustified(64, 'x'),
                            n == 25 ? worst : n, n * 1000, 0, n / 5, n / 7});
    plant::AlarmSummary s;
    s.at = QDateTime::currentMSecsSinceEpoch();
    s.periods = {plant::summaryPeriod(f), plant::summaryPeriod(f)};
    return plant::summaryPayload(s, id);
}

bool waitFor(const std::function<bool()> &done, int ms) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    return done();
}

} // namespace

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const auto option = [&](const char *name, int fallback) {
        const int at = args.indexOf(QLatin1String(name));
        return at > 0 && at + 1 < args.size() ? args.at(at + 1).toInt() : fallback;
    };
    const int lasers = option("--lasers", 4000), changes = option("--changes", 20);
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    Broker broker;
    if (!broker.start())
        return 1;
    QDir().mkpath(QStringLiteral("config"));
    QFile ini(QStringLiteral("config/plant.ini"));
    ini.open(QIODevice::WriteOnly);
    ini.write("[mqtt]\nurl = " + broker.url().toUtf8() + "\n");
    ini.close();
    plant::FleetLink link(QStringLiteral("config/plant.ini"), QStringLiteral("bench"));
    fleet::FleetWindow window(&link);
    fleet::BadActorList *list = window.badActorList();
    // The state line in the source language (no catalogue here): connected.
    if (!waitFor([&] { return link.stateLine().contains(QString::fromUtf8("已连接")); }, 10000))
        return 1;

    mqtt::async_client host("tcp://127.0.0.1:" + std::to_string(broker.port), "bench-hosts");
    host.connect()->wait();
    const auto publish = [&](const QString &id, const char *level, const QByteArray &payload) {
        return host.publish("laser/" + id.toStdString() + level, payload.constData(),
                            size_t(payload.size()), 1, false);
    };
    for (int i = 0; i < lasers; ++i) {
        const QString id = QStringLiteral("cutter-%1").arg(i);
        publish(id, "/status",
                plant::statusPayload(plant::statusObject(protocol::DeviceState(), {}), id,
                                     QDateTime::currentMSecsSinceEpoch()));
        publish(id, "/alarm_summary", summaryOf(id, 25))->wait();
        QCoreApplication::processEvents();
    }
    if (!waitFor([&] { return window.state().summaries() >= quint64(lasers); }, 60000)) {
        std::printf("only %llu summaries arrived, %zu lasers, %llu refused; %s\n",
                    (unsigned long long)window.state().summaries(), window.state().lasers().size(),
                    (unsigned long long)window.state().rejectedTotal(),
                    qPrintable(link.stateLine()));
        return 1;
    }
    std::vector<qint64> took;
    for (int c = 0; c < changes; ++c) {
        const QString id = QStringLiteral("cutter-%1").arg((c * 197) % lasers);
        QElapsedTimer t;
        t.start();
        publish(id, "/alarm_summary", summaryOf(id, 1000 + c));
        const bool shown = waitFor(
            [&] {
                return list->rowCount() > 0 &&
                       list->index(0, fleet::BadActorList::LaserId).data().toString() == id &&
                       list->index(0, fleet::BadActorList::Rises).data().toInt() == 1000 + c;
            },
            5000);
        took.push_back(shown ? t.elapsed() : -1);
        std::printf("change %d: %lld ms\n", c, (long long)took.back());
    }
    std::sort(took.begin(), took.end());
    std::printf("lasers %d, summaries held, publish to first line: median %lld ms, max %lld ms; "
                "state %.1f MiB\n",
                lasers, (long long)took[took.size() / 2], (long long)took.back(),
                double(window.state().heldBytes()) / (1024 * 1024));
    host.disconnect()->wait();
    return 0;
}
