#include "plant/fleet_link.h"

#include "plant/broker_connection.h"
#include "plant/plant_id.h"
#include "plant/subscriber.h"

#include <QRandomGenerator>
#include <QThread>

namespace plant {

FleetLink::FleetLink(const QString &configFile, const QString &hostName, QObject *parent)
    : QObject(parent) {
    qRegisterMetaType<plant::FleetBatch>();

    Config config;
    if (!loadLinkConfig(configFile, &config, &lastReport))
        return;
    prefix = config.topicPrefix;

    // Several fleet windows may watch one broker: each needs a session of its own.
    const QString clientId = QStringLiteral("laser-fleet-") + plantIdFrom(hostName) +
                             QLatin1Char('-') +
                             QString::number(QRandomGenerator::global()->generate(), 16);
    thread = new QThread(this);
    subscriber = new Subscriber(config, clientId);
    subscriber->moveToThread(thread);
    connect(thread, &QThread::finished, subscriber, &QObject::deleteLater);
    connect(subscriber, &Subscriber::batchReady, this, &FleetLink::batchArrived);
    connect(subscriber, &Subscriber::reportChanged, this, [this](const Report &report) {
        const QString before = stateLine();
        lastReport = report;
        if (stateLine() != before)
            emit stateLineChanged(stateLine());
    });
    thread->start();
    QMetaObject::invokeMethod(subscriber, &Subscriber::start, Qt::QueuedConnection);
}

FleetLink::~FleetLink() {
    if (!thread)
        return;
    // Whatever the subscriber is doing ends first, so the stop below does not wait behind it.
    subscriber->requestStop();
    QMetaObject::invokeMethod(subscriber, &Subscriber::stop, Qt::BlockingQueuedConnection);
    thread->quit();
    thread->wait();
}

void FleetLink::batchTaken() {
    if (subscriber)
        QMetaObject::invokeMethod(subscriber, &Subscriber::batchTaken, Qt::QueuedConnection);
}

} // namespace plant

#include "moc_fleet_link.cpp"
