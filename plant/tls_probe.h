#pragma once

#include "plant/config.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QTcpSocket;
class QTimer;

namespace plant {

class TlsSession;

// Why a broker ended a TLS connection, which the MQTT library does not tell: one handshake of
// its own with the same settings, on the owner's thread, never waiting. It reads the broker's
// alert (no client certificate, an unknown authority, an expired certificate) or why the
// broker's own certificate is not trusted. Calls `done` once, within a few seconds, with the
// reason in the current language, or with an empty text when it cannot tell (the broker cannot
// be reached, or it took the certificate). Deleting it stops it.
class TlsProbe : public QObject {
public:
    TlsProbe(const Config &config, std::function<void(const QString &)> done,
             QObject *parent = nullptr);
    ~TlsProbe() override;

private:
    void step();
    void finish(const QString &reason);

    Config config;
    std::function<void(const QString &)> done;
    std::unique_ptr<TlsSession> session;
    QTcpSocket *socket;
    QTimer *deadline;
    bool finished = false;
};

} // namespace plant
