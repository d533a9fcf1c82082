#pragma once

// Included by publisher.cpp alone: what Paho calls back on its own threads for the publisher.

#include "plant/connect_listener.h"
#include "plant/publisher.h"

#include <QMetaObject>

#include <mqtt/async_client.h>

#include <utility>

namespace plant {

// Paho calls these on its own threads; each hands the outcome to the publisher's thread.
struct Publisher::Listeners {
    using Connect = ConnectListener<Publisher>;
    struct Delivery : mqtt::iaction_listener {
        Publisher *p;
        explicit Delivery(Publisher *publisher) : p(publisher) {}
        // The context of a message carries its generation and its id in the buffer.
        void on_success(const mqtt::token &token) override {
            const auto *tag =
                static_cast<const std::pair<quint64, quint64> *>(token.get_user_context());
            if (!tag)
                return;
            const std::pair<quint64, quint64> t = *tag;
            delete tag;
            QMetaObject::invokeMethod(
                p, [this, t] { p->delivered(t.first, t.second); }, Qt::QueuedConnection);
        }
        void on_failure(const mqtt::token &token) override {
            const auto *tag =
                static_cast<const std::pair<quint64, quint64> *>(token.get_user_context());
            if (!tag)
                return;
            const std::pair<quint64, quint64> t = *tag;
            delete tag;
            // An MQTT 5 broker that refuses the message says so in its acknowledgement; sending
            // it again would be refused again.
            const int reason = token.get_reason_code();
            if (reason >= 0x80)
                QMetaObject::invokeMethod(
                    p, [this, t, reason] { p->refusedByBroker(t.first, t.second, reason); },
                    Qt::QueuedConnection);
            else
                QMetaObject::invokeMethod(
                    p, [this, t] { p->deliveryFailed(t.first); }, Qt::QueuedConnection);
        }
    };
    // For online and the status, which are sent again on every connect: only a refusal counts.
    struct Direct : mqtt::iaction_listener {
        Publisher *p;
        explicit Direct(Publisher *publisher) : p(publisher) {}
        void on_success(const mqtt::token &) override {}
        void on_failure(const mqtt::token &token) override {
            const int reason = token.get_reason_code();
            if (reason >= 0x80)
                QMetaObject::invokeMethod(
                    p, [this, reason] { p->refusedByBroker(p->generation, 0, reason); },
                    Qt::QueuedConnection);
        }
    };
    struct Ignore : mqtt::iaction_listener {
        void on_success(const mqtt::token &) override {}
        void on_failure(const mqtt::token &) override {}
    };

    explicit Listeners(Publisher *p) : connect(p), delivery(p), direct(p) {}
    Connect connect;
    Delivery delivery;
    Direct direct;
    Ignore ignore;
};

} // namespace plant
