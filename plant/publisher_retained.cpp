// What the publisher keeps on the broker beside the events: the status and the other retained
// topics, the online flag, and its answers to another host heard under the same id.
#include "plant/delivery_listeners.h"
#include "plant/publisher.h"

#include <QTimer>

#include <mqtt/async_client.h>

namespace plant {

void Publisher::setStatus(const QByteArray &payload) {
    status = payload;
    if (isConnected)
        publishStatus();
}

void Publisher::setRetained(const QByteArray &topicLevel, const QByteArray &payload) {
    retainedLevels.insert(topicLevel, payload);
    if (isConnected)
        publishDirect(topicLevel, payload, true);
}

void Publisher::publishStatus() {
    if (!status.isEmpty())
        publishDirect("status", status, true);
}

void Publisher::publishDirect(const QByteArray &topicLevel, const QByteArray &payload,
                              bool retained) {
    try {
        client->publish(mqtt::make_message(std::string((topicBase + '/' + topicLevel).constData()),
                                           payload.constData(), static_cast<size_t>(payload.size()),
                                           1, retained),
                        nullptr, listeners->direct);
    } catch (const mqtt::exception &) {
        // Not connected after all: the connection-lost callback follows and resends on connect.
    }
}

mqtt::message_ptr Publisher::onlineMessage(bool online) const {
    const QByteArray word = online ? "true" : "false";
    mqtt::message_ptr message =
        mqtt::make_message(std::string((topicBase + "/online").constData()), word.constData(),
                           static_cast<size_t>(word.size()), 1, true);
    if (setup.mqtt5())
        message->set_properties(instanceProperties(instance));
    return message;
}

void Publisher::heardOtherHost() {
    otherHeard = false;
    if (stopped)
        return;
    otherHostTimer->start(otherHostMs);
    if (report.otherHost)
        return;
    report.otherHost = true;
    emitReport();
}

void Publisher::heardGoodbye() {
    goodbyeHeard = false;
    if (!isConnected || stopped)
        return;
    try {
        client->publish(onlineMessage(true), nullptr, listeners->direct);
    } catch (const mqtt::exception &) {
        // Not connected after all: the connection-lost callback follows, and "true" on connect.
    }
}

} // namespace plant
