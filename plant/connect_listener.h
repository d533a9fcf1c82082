#pragma once

#include <QMetaObject>
#include <QtGlobal>

#include <mqtt/async_client.h>

namespace plant {

// The generation of a connection, carried as the context of its connect (or subscribe) token.
inline void *generationContext(quint64 generation) {
    return reinterpret_cast<void *>(static_cast<quintptr>(generation));
}
inline quint64 generationOf(const mqtt::token &token) {
    return static_cast<quint64>(reinterpret_cast<quintptr>(token.get_user_context()));
}

// Paho calls it on its own thread when a connect ends; it hands the outcome to the owner's
// thread: owner->connected(generation) or owner->connectFailed(generation, code).
template <typename Owner> struct ConnectListener : mqtt::iaction_listener {
    Owner *owner;
    explicit ConnectListener(Owner *o) : owner(o) {}
    void on_success(const mqtt::token &token) override {
        const quint64 g = generationOf(token);
        Owner *o = owner;
        QMetaObject::invokeMethod(
            o, [o, g] { o->connected(g); }, Qt::QueuedConnection);
    }
    void on_failure(const mqtt::token &token) override {
        const quint64 g = generationOf(token);
        const int code = token.get_return_code();
        Owner *o = owner;
        QMetaObject::invokeMethod(
            o, [o, g, code] { o->connectFailed(g, code); }, Qt::QueuedConnection);
    }
};

} // namespace plant
