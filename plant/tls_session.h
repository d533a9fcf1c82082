#pragma once

#include "plant/config.h"

#include <QByteArray>
#include <QString>

struct ssl_st;
struct ssl_ctx_st;
struct bio_st;

namespace plant {

// One TLS client session over memory buffers, with the settings the MQTT client's own TLS takes
// (the authorities of ca_file or the system's, the broker's name or address checked, the client
// certificate with its chain): the owner feeds it what comes from the broker and sends what it
// gives out; the socket is the owner's. The TLS probe reads the broker's verdict with it, the
// fleet's packet gate its messages.
class TlsSession {
public:
    TlsSession() = default;
    ~TlsSession();
    TlsSession(const TlsSession &) = delete;
    TlsSession &operator=(const TlsSession &) = delete;

    // False when the settings cannot make a session (a file gone since it was read).
    bool setUp(const Config &config);
    // What came from the broker.
    void received(const QByteArray &bytes);
    // Runs the handshake on; true once it is done.
    bool handshake();
    bool handshaken() const { return done; }
    // Up to `size` bytes of what the broker sent, after the handshake: how many, 0 when nothing
    // more is there now (or the session ended).
    int read(char *buffer, int size);
    void write(const QByteArray &plain);
    // What is to go to the broker now: the handshake, data, an alert.
    QByteArray toSend();
    // The broker ended the session, or it failed: see reason().
    bool ended() const { return over; }
    // Why, as the broker's alert or the check of its certificate says; empty when it says
    // nothing the operator can act on.
    QString reason(const Config &config);

private:
    void look(int result);

    ssl_ctx_st *context = nullptr;
    ssl_st *ssl = nullptr;
    bio_st *in = nullptr;  // from the broker
    bio_st *out = nullptr; // to the broker
    bool done = false;
    bool over = false;
    int failure = 0; // the reason code of the first TLS error
};

} // namespace plant
