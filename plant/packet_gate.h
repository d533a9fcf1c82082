#pragma once

#include "plant/config.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QTcpServer;
class QTcpSocket;

namespace plant {

class TlsSession;

// Between the fleet's MQTT client and the broker, so that what the client reads of the broker
// stays bounded whatever the broker sends (the MQTT library reads a whole packet, of any size
// the broker announces, before anyone sees it). The client connects to a port of the gate's own
// on loopback (one connection, then the port closes); once its first packet is a CONNECT with
// the client id it was given (no other program on the PC knows it), the gate connects to the
// broker. With mqtts:// the gate's TLS session, with the settings the client's own TLS would
// have, is the connection's.
// The gate reads the header of each packet the broker sends: a publish at QoS 0 (as the fleet
// subscribes) of more than `limit` bytes is read past and counted, never passed on; any other
// packet that large ends the connection. It reads from the broker only while the client takes
// what it passed, so it holds a few chunks at most. Its sockets live on the owner's thread.
class PacketGate : public QObject {
public:
    PacketGate(const Config &config, const QByteArray &clientId, int limit,
               QObject *parent = nullptr);
    ~PacketGate() override;

    // Listens on loopback for the client: the address to give it, empty when it cannot.
    QString open();
    // Called with the size of each publish read past.
    std::function<void(qint64 bytes)> readPast;
    // Why the connection ended, where the gate can tell (a packet too large, the broker's TLS
    // verdict); empty otherwise.
    QString failure() const { return why; }
    // The client has said its last (its DISCONNECT), the owner's thread waiting meanwhile: passed
    // on to the broker, waiting at most `ms`, then both ends close.
    void finish(int ms);

private:
    void accepted();
    void fromClient();
    // What the broker sent, as far as the client takes it (all of it: the broker has gone).
    void fromBroker(bool all = false);
    void pass(const QByteArray &bytes);
    void end(const QString &reason);
    void tlsOut();

    Config config;
    QByteArray clientId;
    int limit;
    bool admitted = false; // the client's CONNECT came, with its id
    QTcpServer *server = nullptr;
    QTcpSocket *client = nullptr;
    QTcpSocket *broker = nullptr;
    std::unique_ptr<TlsSession> tls;
    QByteArray waiting; // from the client before its CONNECT is whole or the handshake is done
    // The packet from the broker under way: its header as far as read, its bytes still to come,
    // and whether it is read past.
    QByteArray head;
    qint64 left = 0;
    bool skipping = false;
    bool ended = false;
    QString why;
};

} // namespace plant
