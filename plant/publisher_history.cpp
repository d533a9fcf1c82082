// The publisher's part in sending the history's events: live ones into the buffer, the late
// ones the catch-up reads (plant/catch_up.h), each once.
#include "plant/delivery_listeners.h"
#include "plant/payloads.h"
#include "plant/publisher.h"
#include "plant/texts.h"

#include <mqtt/async_client.h>

namespace plant {

void Publisher::setOutbox(const OutboxAccess &access) {
    catchUp = CatchUp(access);
    if (isConnected)
        catchUp.connected();
}

void Publisher::publishStored(const events::StoredEvent &event) {
    // An event without a row id (the history could not take it) is not the catch-up's.
    const bool tracked = catchUp.isOn() && event.id > 0;
    if (stopped || (tracked && !catchUp.takeLive(event.id)))
        return;
    const qint64 now = steadyMs();
    // Without the history's outbox it waits as long as any message, and is counted if dropped.
    Message message{topicBase + "/events", eventPayload(event), 1, false,
                    tracked ? now + liveWindowMs : 0};
    message.eventId = tracked ? event.id : 0;
    buffer.push(std::move(message), now);
    handOverLeft();
    pump();
    emitReport();
}

void Publisher::handOverLeft() {
    for (qint64 id : buffer.takeLeft())
        catchUp.leftBuffer(id);
}

void Publisher::sendLate() {
    const std::vector<events::StoredEvent> late = catchUp.next(steadyMs());
    for (size_t i = 0; i < late.size(); ++i) {
        const QByteArray payload = eventPayload(late[i]);
        auto *tag =
            new std::pair<quint64, quint64>(generation.load(), quint64(late[i].id) | lateTag);
        try {
            client->publish(mqtt::make_message(std::string((topicBase + "/events").constData()),
                                               payload.constData(),
                                               static_cast<size_t>(payload.size()), 1, false),
                            tag, listeners->delivery);
            emit sentLate(late[i].event);
        } catch (const mqtt::exception &) {
            delete tag;
            // No room in the library's queue: these go again after the next confirmation.
            for (size_t j = late.size(); j-- > i;)
                catchUp.notSent(late[j].id);
            if (!client->is_connected())
                lostConnection(Texts::tr("连接中断"));
            return;
        }
    }
}

void Publisher::settle(quint64 id) {
    const qint64 event = (id & lateTag) ? qint64(id & ~lateTag) : buffer.confirm(id);
    if (event > 0)
        catchUp.delivered(event);
}

void Publisher::reportLate() {
    // A catch-up of thousands a second is said twice a second, not at each confirmation.
    const qint64 now = steadyMs();
    if (!catchUp.isCatchingUp() || now - lateSaidAt >= 500) {
        report.late = catchUp.sentLate();
        report.catchingUp = catchUp.isCatchingUp();
        lateSaidAt = now;
    }
    report.unsentWhy = catchUp.trouble();
    report.unsent = catchUp.unsent();
}

} // namespace plant
