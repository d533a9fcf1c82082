#include "plant/sparkplug_link.h"

#include "plant/connect_listener.h"
#include "plant/sparkplug_metrics.h"
#include "plant/texts.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTimer>

#include <mqtt/async_client.h>

#include <algorithm>

namespace plant {

namespace {

qint64 nowMs() {
    return QDateTime::currentMSecsSinceEpoch();
}

constexpr int largestPacket = 64 * 1024;

quint8 readBdSeq(const QString &path) {
    // Written by this program alone; anything else there (a link, a folder) starts from 0.
    const QFileInfo info(path);
    QFile file(path);
    if (info.isSymLink() || !info.isFile() || !file.open(QIODevice::ReadOnly))
        return 0;
    bool ok = false;
    const uint value = file.read(16).trimmed().toUInt(&ok);
    return ok && value <= 255 ? quint8(value) : 0;
}

} // namespace

// Paho calls these on its own threads; the outcome goes to the link's thread.
struct SparkplugLink::Listeners {
    struct Ignore : mqtt::iaction_listener {
        void on_success(const mqtt::token &) override {}
        void on_failure(const mqtt::token &) override {}
    };
    // A new connection only once the library is done with the old one: one asked for sooner
    // never completes.
    struct Disconnect : mqtt::iaction_listener {
        SparkplugLink *link;
        explicit Disconnect(SparkplugLink *l) : link(l) {}
        void retry() {
            SparkplugLink *l = link;
            QMetaObject::invokeMethod(
                l, [l] { l->retryLater(); }, Qt::QueuedConnection);
        }
        void on_success(const mqtt::token &) override { retry(); }
        void on_failure(const mqtt::token &) override { retry(); }
    };
    explicit Listeners(SparkplugLink *link) : connect(link), disconnect(link) {}
    ConnectListener<SparkplugLink> connect;
    Disconnect disconnect;
    Ignore ignore;
};

SparkplugLink::SparkplugLink(const Config &config, const QString &clientId,
                             const QString &edgeNodeId)
    : config(config), setup(config, Role::Publisher), clientId(clientId.toUtf8()),
      node({config.groupId, edgeNodeId, QStringLiteral("laser"), config.primaryHostId},
           sparkplug::laserMetrics(), readBdSeq(bdSeqPath(config, edgeNodeId))),
      bdSeqFile(bdSeqPath(config, edgeNodeId)) {
    report.server = config.server();
    report.sparkplug.on = true;
}

SparkplugLink::~SparkplugLink() {
    stop();
}

QString SparkplugLink::bdSeqPath(const Config &config, const QString &edgeNodeId) {
    // The ids may hold what a file name may not (on Windows ':' or '*'): named by their hash.
    const QByteArray id = (config.groupId + QLatin1Char('/') + edgeNodeId).toUtf8();
    const QByteArray hash = QCryptographicHash::hash(id, QCryptographicHash::Sha1).toHex();
    return QFileInfo(config.fileName)
        .dir()
        .filePath(QStringLiteral("sparkplug-%1.bdseq").arg(QLatin1String(hash.left(16))));
}

void SparkplugLink::offer(sparkplug::Device device) {
    QMutexLocker lock(&offerLock);
    offered = std::move(device);
    if (offerWaiting)
        return;
    offerWaiting = true;
    QMetaObject::invokeMethod(
        this, [this] { takeOffered(); }, Qt::QueuedConnection);
}

void SparkplugLink::takeOffered() {
    sparkplug::Device device;
    {
        QMutexLocker lock(&offerLock);
        device = std::move(offered);
        offerWaiting = false;
    }
    send(node.refresh(device, nowMs()));
    for (; !heldLate.empty() && node.deviceAnnounced() && isConnected; heldLate.pop_front())
        late(heldLate.front());
    // A birth or death said at once, the seq of data at most once a second.
    emitReport(node.deviceAnnounced() == report.sparkplug.ready);
}

void SparkplugLink::start() {
    if (client || stopped)
        return;
    retryTimer = new QTimer(this);
    retryTimer->setSingleShot(true);
    connect(retryTimer, &QTimer::timeout, this, [this] { connectNow(); });
    // The seq moves with every message: the line says it at most once a second.
    reportTimer = new QTimer(this);
    reportTimer->setSingleShot(true);
    connect(reportTimer, &QTimer::timeout, this, [this] { emitReport(); });
    listeners = std::make_unique<Listeners>(this);
    // On Paho's thread: a bounded copy of each message, a bounded number of them waiting.
    const auto arrived = [this](mqtt::const_message_ptr message) {
        if (!message)
            return;
        if (inbox.fetch_add(1) >= largestInbox) {
            --inbox;
            ++overflow;
            return;
        }
        const std::string &t = message->get_topic();
        const std::string &p = message->get_payload();
        const QByteArray topic = t.size() > size_t(sparkplug::EdgeNode::longestTopicBytes)
                                     ? QByteArray()
                                     : QByteArray(t.data(), int(t.size()));
        // One byte past the largest read is enough for the node to refuse it as too large.
        const QByteArray payload(
            p.data(), int(std::min(p.size(), size_t(sparkplug::largestIncomingBytes) + 1)));
        QMetaObject::invokeMethod(
            this,
            [this, topic, payload] {
                --inbox;
                received(topic, payload);
            },
            Qt::QueuedConnection);
    };
    QString refused;
    client = makeClient(
        config, clientId, this, generation,
        [this](quint64 g) {
            if (g == generation && !stopped)
                lostConnection(Texts::tr("连接中断"));
        },
        refused, arrived);
    if (!client) {
        setState(LinkState::Off, refused);
        return;
    }
    setState(LinkState::Connecting, QString());
    connectNow();
}

void SparkplugLink::connectNow() {
    if (!client || stopped)
        return;
    const quint64 g = ++generation;
    const QString unusable = setup.prepare();
    if (unusable.isEmpty()) {
        try {
            mqtt::connect_options options = setup.options();
            // An MQTT 5 broker keeps what is far beyond a command from the node (and drops it
            // unseen); the rest is cut to one byte past the largest read on arrival.
            if (setup.mqtt5())
                options.set_properties(
                    mqtt::properties{{mqtt::property::MAXIMUM_PACKET_SIZE, largestPacket}});
            // Each attempt a new bdSeq, kept before the broker may hold it as a will.
            const sparkplug::Outgoing will = node.will(nowMs());
            keepBdSeq();
            options.set_will(mqtt::will_options(std::string(will.topic.constData()),
                                                will.payload.constData(),
                                                size_t(will.payload.size()), will.qos, false));
            client->connect(options, generationContext(g), listeners->connect);
            return;
        } catch (const mqtt::exception &e) {
            connectFailed(g, e.get_return_code());
            return;
        }
    }
    setState(report.state == LinkState::Connecting ? LinkState::Connecting
                                                   : LinkState::Reconnecting,
             unusable);
    retryLater();
}

void SparkplugLink::keepBdSeq() {
    // Never through a link, nor over anything but a file: renamed into place, the number would
    // replace what a link leads to.
    const QFileInfo existing(bdSeqFile);
    QString problem;
    if (existing.isSymLink() || (existing.exists() && !existing.isFile())) {
        problem = Texts::tr("%1 不是普通文件，bdSeq 不保存").arg(existing.fileName());
    } else {
        QSaveFile file(bdSeqFile);
        const QByteArray content = QByteArray::number(node.nextBdSeq()) + '\n';
        if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) ||
            file.write(content) != content.size() || !file.commit())
            problem = Texts::tr("%1 无法写入，bdSeq 不保存").arg(existing.fileName());
    }
    if (problem != bdSeqProblem && !problem.isEmpty())
        qWarning("%s", qPrintable(problem));
    bdSeqProblem = problem;
}

void SparkplugLink::connected(quint64 g) {
    if (g != generation || stopped)
        return;
    isConnected = true;
    retryPause.connected();
    setup.succeeded();
    try {
        // Subscribed before the births go out: a rebirth asked for at once is heard.
        for (const QByteArray &topic : node.subscriptions())
            client->subscribe(std::string(topic.constData()), 1, nullptr, listeners->ignore);
    } catch (const mqtt::exception &) {
        // Not connected after all: the connection-lost callback follows.
    }
    send(node.connected(nowMs()));
    setState(LinkState::Connected, QString());
}

void SparkplugLink::connectFailed(quint64 g, int code) {
    if (g != generation || stopped)
        return;
    isConnected = false;
    const QString why = setup.failed(code, this, [this](const QString &reason) {
        if (!isConnected && !stopped && report.state != LinkState::Off)
            setState(report.state, reason);
    });
    setState(report.state == LinkState::Connecting ? LinkState::Connecting
                                                   : LinkState::Reconnecting,
             why);
    retryLater();
}

void SparkplugLink::lostConnection(const QString &why, bool retry) {
    isConnected = false;
    ++generation;
    node.connectionLost();
    setState(LinkState::Reconnecting, why);
    if (retry)
        retryLater();
}

void SparkplugLink::retryLater() {
    if (stopped)
        return;
    retryTimer->start(retryPause.next());
}

void SparkplugLink::received(const QByteArray &topic, const QByteArray &payload) {
    if (!stopped)
        send(node.received(topic, payload, nowMs()));
    emitReport();
}

namespace {

// The laser's metric of an alarm or state event and the flag's value; false for any other.
bool flagOf(const events::Event &event, QString *metric, bool *on) {
    const bool alarm = event.category == QLatin1String("alarm");
    *on = event.value == QLatin1String("on");
    *metric = QLatin1String(alarm ? "Alarms/" : "States/") + event.name;
    return (alarm || event.category == QLatin1String("state")) &&
           (*on || event.value == QLatin1String("off"));
}

} // namespace

void SparkplugLink::liveEvent(const events::Event &event) {
    QString metric;
    bool on = false;
    if (!stopped && flagOf(event, &metric, &on))
        node.edge(metric, on, event.at);
}

void SparkplugLink::late(const events::Event &event) {
    QString metric;
    bool on = false;
    if (stopped || !flagOf(event, &metric, &on))
        return; // not the edge of a flag: no metric of the laser's to send it as
    if (!node.deviceAnnounced() || !isConnected) {
        heldLate.size() < 10000 ? heldLate.push_back(event) : void(++lateUnsent);
        return;
    }
    const sparkplug::Reaction r = node.late(metric, on, event.at, nowMs());
    if (r.publish.empty())
        ++lateUnsent;
    send(r);
    emitReport(true);
}

void SparkplugLink::send(const sparkplug::Reaction &reaction) {
    if (!client || !isConnected)
        return;
    try {
        for (const sparkplug::Outgoing &o : reaction.publish) {
            if (o.topic.contains("/NBIRTH/"))
                ++births;
            client->publish(mqtt::make_message(std::string(o.topic.constData()),
                                               o.payload.constData(), size_t(o.payload.size()),
                                               o.qos, o.retained),
                            nullptr, listeners->ignore);
        }
        if (reaction.disconnect) {
            // The primary host went offline: its NDEATH above goes first, then a new connection
            // waits for the host to come back.
            lostConnection(Texts::tr("主应用已下线"), false);
            client->disconnect(300, nullptr, listeners->disconnect);
        }
    } catch (const mqtt::exception &) {
        lostConnection(Texts::tr("连接中断"));
    }
}

void SparkplugLink::stop() {
    if (stopped)
        return;
    stopped = true;
    setup.cancel();
    if (retryTimer)
        retryTimer->stop();
    if (reportTimer)
        reportTimer->stop();
    if (!client)
        return;
    try {
        // The clean end takes the will back: the hosts get the death from here instead.
        for (const sparkplug::Outgoing &o : node.leaving(nowMs()).publish)
            if (isConnected)
                client
                    ->publish(mqtt::make_message(std::string(o.topic.constData()),
                                                 o.payload.constData(), size_t(o.payload.size()),
                                                 o.qos, false))
                    ->wait_for(std::chrono::milliseconds(500));
        if (isConnected)
            client->disconnect(std::chrono::milliseconds(300))
                ->wait_for(std::chrono::milliseconds(500));
    } catch (const mqtt::exception &) {
    }
    isConnected = false;
    client.reset();
}

void SparkplugLink::setState(LinkState state, const QString &error) {
    report.state = state;
    report.lastError = error;
    emitReport();
}

void SparkplugLink::emitReport(bool soon) {
    if (soon) {
        if (reportTimer && !reportTimer->isActive())
            reportTimer->start(1000);
        return;
    }
    QStringList notices{setup.notice(), bdSeqProblem};
    notices.removeAll(QString());
    report.notice = notices.join(QStringLiteral("; "));
    report.certificate = setup.certificate();
    SparkplugReport &s = report.sparkplug;
    const sparkplug::Counts &c = node.counts();
    s.state = report.state;
    s.waitingForHost = node.waitingForHost();
    s.ready = node.deviceAnnounced();
    s.bdSeq = node.connectionBdSeq();
    s.seq = node.nextSeq();
    s.births = births;
    s.refused = c.refused;
    s.unreadable = c.unreadable + c.staleStates;
    s.notOurs = c.notOurs;
    s.dropped = overflow + c.edgesDropped;
    s.lateUnsent = lateUnsent;
    if (reported && report == lastReport)
        return;
    reported = true;
    lastReport = report;
    emit reportChanged(report);
}

} // namespace plant

#include "moc_sparkplug_link.cpp"
