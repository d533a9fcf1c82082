#include "plant/tls_probe.h"

#include "plant/tls_session.h"

#include <QNetworkProxy>
#include <QTcpSocket>
#include <QTimer>

namespace plant {

namespace {

// Time for the connection and the handshake, then for the broker's verdict on the client's
// certificate (with TLS 1.3 it comes after the client has finished its part).
constexpr int handshakeMs = 5000;
constexpr int verdictMs = 1500;

} // namespace

TlsProbe::TlsProbe(const Config &config, std::function<void(const QString &)> done, QObject *parent)
    : QObject(parent), config(config), done(std::move(done)),
      session(std::make_unique<TlsSession>()), socket(new QTcpSocket(this)),
      deadline(new QTimer(this)) {
    deadline->setSingleShot(true);
    connect(deadline, &QTimer::timeout, this, [this] { finish(QString()); });
    connect(socket, &QTcpSocket::connected, this, [this] { step(); });
    connect(socket, &QTcpSocket::readyRead, this, [this] { step(); });
    // Refused, unreachable, or closed by the broker: what arrived before is read first.
    connect(socket, &QTcpSocket::disconnected, this, [this] {
        step();
        finish(QString());
    });
    connect(socket, &QAbstractSocket::errorOccurred, this, [this] {
        step();
        finish(QString());
    });
    if (!session->setUp(config)) {
        // Told once the owner is ready for it, never from within its own call.
        QTimer::singleShot(0, this, [this] { finish(QString()); });
        return;
    }
    deadline->start(handshakeMs);
    socket->setProxy(QNetworkProxy::NoProxy);
    socket->connectToHost(config.host, static_cast<quint16>(config.port));
}

TlsProbe::~TlsProbe() {
    finished = true;
    QObject::disconnect(socket, nullptr, this, nullptr);
    socket->abort();
}

void TlsProbe::step() {
    if (finished || socket->state() == QAbstractSocket::ConnectingState ||
        socket->state() == QAbstractSocket::HostLookupState)
        return;
    session->received(socket->readAll());
    if (!session->handshaken() && session->handshake())
        deadline->start(verdictMs);
    // The broker says nothing before the client's first packet: anything read is the TLS layer's
    // own (a session ticket) or the alert that ends it.
    char buffer[512];
    while (session->read(buffer, sizeof buffer) > 0) {
    }
    // Whatever OpenSSL wants sent (the handshake, or its own alert) goes out first.
    socket->write(session->toSend());
    if (session->ended())
        finish(session->reason(config));
}

void TlsProbe::finish(const QString &reason) {
    if (finished)
        return;
    finished = true;
    deadline->stop();
    if (done)
        done(reason);
}

} // namespace plant
