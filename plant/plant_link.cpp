#include "plant/plant_link.h"

#include "plant/broker_connection.h"
#include "plant/sparkplug_link.h"
#include "plant/sparkplug_metrics.h"

#include <QDateTime>
#include <QRandomGenerator>
#include <QThread>
#include <QTimer>

namespace plant {

namespace {
constexpr int statusIntervalMs = 1000;
}

PlantLink::PlantLink(const QString &configFile, const QString &hostName, const QString &portName,
                     QObject *parent)
    : QObject(parent) {
    // The recorder may emit from its own thread: queued connections need the types known.
    qRegisterMetaType<events::Event>();
    qRegisterMetaType<events::Sample>();
    qRegisterMetaType<events::StoredEvent>();

    Config config;
    if (!loadLinkConfig(configFile, &config, &lastReport))
        return;
    id = config.laserId.isEmpty() ? defaultLaserId(hostName, portName) : config.laserId;
    base = config.topicPrefix + QLatin1Char('/') + id;

    statusTimer = new QTimer(this);
    statusTimer->setSingleShot(true);
    connect(statusTimer, &QTimer::timeout, this, [this] { sendStatus(); });

    // A second program for the same laser must not take this one's session over.
    const QString clientId =
        id + QLatin1Char('-') + QString::number(QRandomGenerator::global()->generate(), 16);
    // This start's token: two hosts under one id (a cloned PC) tell themselves apart by it.
    instance = QString::number(QRandomGenerator::global()->generate64(), 16)
                   .rightJustified(16, QLatin1Char('0'));
    thread = new QThread(this);
    if (config.json()) {
        publisher = new Publisher(config, clientId, base, instance);
        publisher->moveToThread(thread);
        connect(thread, &QThread::finished, publisher, &QObject::deleteLater);
        connect(publisher, &Publisher::reportChanged, this,
                [this](const Report &r) { received(r); });
    }
    if (config.sparkplug()) {
        sparkplug = new SparkplugLink(config, clientId + QStringLiteral("-spb"), id);
        sparkplug->moveToThread(thread);
        connect(thread, &QThread::finished, sparkplug, &QObject::deleteLater);
        connect(sparkplug, &SparkplugLink::reportChanged, this,
                [this](const Report &r) { receivedSparkplug(r); });
        lastReport.sparkplug.on = true;
        // The history's events sent late go to the node too, marked as historical.
        if (publisher)
            connect(publisher, &Publisher::sentLate, sparkplug, &SparkplugLink::late);
    }
    jsonReport = sparkplugReport = lastReport;
    thread->start();
    if (publisher)
        QMetaObject::invokeMethod(publisher, &Publisher::start, Qt::QueuedConnection);
    if (sparkplug)
        QMetaObject::invokeMethod(sparkplug, &SparkplugLink::start, Qt::QueuedConnection);
}

PlantLink::~PlantLink() {
    stop();
}

void PlantLink::stop() {
    if (!thread)
        return;
    // Says goodbye to the broker after what is queued; bounded by the publishers' own waits.
    if (publisher)
        QMetaObject::invokeMethod(publisher, &Publisher::stop, Qt::BlockingQueuedConnection);
    if (sparkplug)
        QMetaObject::invokeMethod(sparkplug, &SparkplugLink::stop, Qt::BlockingQueuedConnection);
    thread->quit();
    thread->wait();
    thread = nullptr;
    publisher = nullptr;
    sparkplug = nullptr;
    if (statusTimer)
        statusTimer->stop();
}

void PlantLink::publishEvent(const events::Event &event) {
    if (sparkplug)
        QMetaObject::invokeMethod(
            sparkplug, [s = sparkplug, event] { s->liveEvent(event); }, Qt::QueuedConnection);
    if (!publisher)
        return;
    QMetaObject::invokeMethod(publisher, "enqueue", Qt::QueuedConnection,
                              Q_ARG(QByteArray, QByteArrayLiteral("events")),
                              Q_ARG(QByteArray, eventPayload(event)), Q_ARG(int, 1), Q_ARG(int, 0));
}

void PlantLink::setOutbox(const OutboxAccess &access) {
    if (!publisher)
        return;
    Publisher *p = publisher;
    QMetaObject::invokeMethod(
        publisher, [p, access] { p->setOutbox(access); }, Qt::QueuedConnection);
}

void PlantLink::publishStored(const events::StoredEvent &event) {
    if (sparkplug)
        QMetaObject::invokeMethod(
            sparkplug, [s = sparkplug, e = event.event] { s->liveEvent(e); }, Qt::QueuedConnection);
    if (!publisher)
        return;
    Publisher *p = publisher;
    QMetaObject::invokeMethod(
        publisher, [p, event] { p->publishStored(event); }, Qt::QueuedConnection);
}

void PlantLink::publishSample(const events::Sample &sample) {
    if (!publisher)
        return;
    QMetaObject::invokeMethod(publisher, "enqueue", Qt::QueuedConnection,
                              Q_ARG(QByteArray, QByteArrayLiteral("samples")),
                              Q_ARG(QByteArray, samplePayload(sample)), Q_ARG(int, 0),
                              Q_ARG(int, Publisher::sampleExpirySeconds));
}

void PlantLink::updateStatus(const protocol::DeviceState &state, const LinkInfo &link,
                             const events::Sample &readings, const QStringList &unacknowledged) {
    if (sparkplug)
        sparkplug->offer(sparkplug::laserDevice(state, link, readings));
    if (!publisher)
        return;
    current = statusObject(state, link, readings, unacknowledged);
    if (anySent && current == sent)
        return;
    if (statusTimer->isActive())
        return;
    const qint64 since = anySent ? sinceSent.elapsed() : statusIntervalMs;
    if (since >= statusIntervalMs)
        sendStatus();
    else
        statusTimer->start(static_cast<int>(statusIntervalMs - since));
}

void PlantLink::publishSummary(const AlarmSummary &summary) {
    if (!publisher)
        return;
    AlarmSummary mine = summary;
    mine.instance = instance;
    QMetaObject::invokeMethod(publisher, "setRetained", Qt::QueuedConnection,
                              Q_ARG(QByteArray, QByteArrayLiteral("alarm_summary")),
                              Q_ARG(QByteArray, summaryPayload(mine, id)));
}

void PlantLink::sendStatus() {
    if (anySent && current == sent)
        return;
    sent = current;
    anySent = true;
    sinceSent.start();
    const QByteArray payload =
        statusPayload(current, id, QDateTime::currentMSecsSinceEpoch(), instance);
    QMetaObject::invokeMethod(publisher, "setStatus", Qt::QueuedConnection,
                              Q_ARG(QByteArray, payload));
}

void PlantLink::receivedSparkplug(const Report &report) {
    sparkplugReport = report;
    received(jsonReport);
}

void PlantLink::received(const Report &report) {
    const QString before = stateLine();
    // Sparkplug alone: its connection is the link; beside the JSON: a part of the line.
    jsonReport = report;
    lastReport = publisher ? report : sparkplugReport;
    if (sparkplug)
        lastReport.sparkplug = sparkplugReport.sparkplug;
    emit reportChanged(lastReport);
    const QString after = stateLine();
    if (after != before)
        emit stateLineChanged(after);
}

} // namespace plant

#include "moc_plant_link.cpp"
