#include "plant/packet_gate.h"

#include "plant/texts.h"
#include "plant/tls_session.h"

#include <QHostAddress>
#include <QNetworkProxy>
#include <QTcpServer>
#include <QTcpSocket>

#include <algorithm>

namespace plant {

namespace {

// Read from the broker at a time, and passed to the client before the gate waits for it.
constexpr int chunkBytes = 64 * 1024;
constexpr qint64 mostQueued = 128 * 1024;

// 1: `bytes` begin with a whole CONNECT packet of the client id `id`; 0: not all of it yet;
// -1: anything else.
int connectOf(const QByteArray &bytes, const QByteArray &id) {
    if (bytes.isEmpty())
        return 0;
    if (quint8(bytes.at(0)) != 0x10)
        return -1;
    int at = 1;
    int length = 0;
    for (int shift = 0;; shift += 7, ++at) {
        if (at > 4)
            return -1;
        if (at >= bytes.size())
            return 0;
        length |= (quint8(bytes.at(at)) & 0x7f) << shift;
        if (!(quint8(bytes.at(at)) & 0x80))
            break;
    }
    if (bytes.size() < ++at + length)
        return 0;
    // "\0\4MQTT", the protocol level, the flags, the keep-alive; with MQTT 5 the properties.
    const QByteArray body = bytes.mid(at, length);
    if (!body.startsWith(QByteArray("\0\4MQTT", 6)) || body.size() < 10)
        return -1;
    int p = 10;
    if (body.at(6) == 5) {
        int properties = 0;
        for (int shift = 0; p < body.size() && shift < 28; shift += 7) {
            properties |= (quint8(body.at(p)) & 0x7f) << shift;
            if (!(quint8(body.at(p++)) & 0x80))
                break;
        }
        p += properties;
    }
    if (p + 2 > body.size())
        return -1;
    const int n = (quint8(body.at(p)) << 8) | quint8(body.at(p + 1));
    return body.mid(p + 2, n) == id ? 1 : -1;
}

} // namespace

PacketGate::PacketGate(const Config &config, const QByteArray &clientId, int limit, QObject *parent)
    : QObject(parent), config(config), clientId(clientId), limit(limit) {}

PacketGate::~PacketGate() {
    ended = true;
    for (QTcpSocket *socket : {client, broker})
        if (socket) {
            QObject::disconnect(socket, nullptr, this, nullptr);
            socket->abort();
        }
}

QString PacketGate::open() {
    server = new QTcpServer(this);
    server->setProxy(QNetworkProxy::NoProxy);
    if (!server->listen(QHostAddress::LocalHost, 0))
        return QString();
    connect(server, &QTcpServer::newConnection, this, [this] { accepted(); });
    return QStringLiteral("tcp://127.0.0.1:%1").arg(server->serverPort());
}

void PacketGate::accepted() {
    if (client)
        return;
    client = server->nextPendingConnection();
    // One client: nobody else comes in by this door.
    server->close();
    connect(client, &QTcpSocket::readyRead, this, [this] { fromClient(); });
    connect(client, &QTcpSocket::bytesWritten, this, [this] { fromBroker(); });
    connect(client, &QTcpSocket::disconnected, this, [this] {
        if (broker && !ended)
            broker->disconnectFromHost();
    });
    broker = new QTcpSocket(this);
    broker->setProxy(QNetworkProxy::NoProxy);
    // Nothing more is read from the broker than the client takes.
    broker->setReadBufferSize(chunkBytes);
    connect(broker, &QTcpSocket::connected, this, [this] {
        if (tls) {
            tls->handshake();
            tlsOut();
        }
    });
    connect(broker, &QTcpSocket::readyRead, this, [this] { fromBroker(); });
    // What the broker said before it went (a refusal, its TLS alert) reaches the client first.
    connect(broker, &QTcpSocket::disconnected, this, [this] {
        fromBroker(true);
        if (tls && tls->ended())
            end(tls->reason(config));
        else if (client && !ended)
            client->disconnectFromHost();
    });
    // Not reached at all: the client's connect fails as if it had tried itself.
    connect(broker, &QAbstractSocket::errorOccurred, this, [this] {
        if (broker->error() != QAbstractSocket::RemoteHostClosedError && client && !ended)
            client->disconnectFromHost();
    });
    fromClient();
}

void PacketGate::fromClient() {
    waiting += client->readAll();
    if (!admitted) {
        const int verdict = connectOf(waiting, clientId);
        if (verdict < 0 || waiting.size() > limit)
            return end(QString());
        if (verdict == 0)
            return;
        admitted = true;
        if (config.tls) {
            tls = std::make_unique<TlsSession>();
            if (!tls->setUp(config))
                return end(QString());
        }
        broker->connectToHost(config.host, static_cast<quint16>(config.port));
    }
    if (!tls) {
        broker->write(waiting); // held while the connection is being made
        waiting.clear();
        return;
    }
    if (!tls->handshaken())
        return;
    tls->write(waiting);
    waiting.clear();
    tlsOut();
}

void PacketGate::fromBroker(bool all) {
    QByteArray plain(chunkBytes, Qt::Uninitialized);
    while (!ended && client && (all || client->bytesToWrite() < mostQueued)) {
        const int n = tls ? tls->read(plain.data(), chunkBytes) : 0;
        if (n > 0) {
            pass(QByteArray::fromRawData(plain.constData(), n));
            continue;
        }
        const QByteArray bytes = broker->read(chunkBytes);
        if (bytes.isEmpty())
            break;
        if (!tls) {
            pass(bytes);
            continue;
        }
        tls->received(bytes);
        if (!tls->handshaken() && tls->handshake() && !waiting.isEmpty()) {
            tls->write(waiting);
            waiting.clear();
        }
        if (tls->ended())
            break;
    }
    if (tls && !ended) {
        tlsOut();
        if (tls->ended())
            end(tls->reason(config));
    }
}

void PacketGate::tlsOut() {
    const QByteArray bytes = tls->toSend();
    if (!bytes.isEmpty())
        broker->write(bytes);
}

void PacketGate::pass(const QByteArray &bytes) {
    // What is passed goes to the client a stretch at a time, without another copy here.
    int from = 0;
    const auto flush = [&](int to) {
        if (to > from)
            client->write(bytes.constData() + from, to - from);
    };
    for (int at = 0; at < bytes.size();) {
        if (left > 0) {
            const int n = static_cast<int>(std::min<qint64>(left, bytes.size() - at));
            if (skipping) {
                flush(at);
                from = at + n;
            }
            at += n;
            left -= n;
            continue;
        }
        // The header: the type, then the remaining length in one to four bytes. It is held
        // back until it is whole (it may come in two pieces), then passed or read past.
        flush(at);
        head.append(bytes.at(at++));
        from = at;
        if (head.size() < 2 || (quint8(head.back()) & 0x80)) {
            if (head.size() == 5)
                return end(Texts::tr("代理服务器发来的数据包长度无效"));
            continue;
        }
        qint64 length = 0;
        for (int i = head.size() - 1; i >= 1; --i)
            length = length * 128 + (quint8(head.at(i)) & 0x7f);
        const qint64 whole = head.size() + length;
        skipping = whole > limit;
        if (skipping && (quint8(head.at(0)) & 0xf6) != 0x30) // not a publish at QoS 0
            return end(Texts::tr("代理服务器发来 %1 字节的数据包，超过本程序接收的 %2 字节")
                           .arg(whole)
                           .arg(limit));
        if (skipping && readPast)
            readPast(whole);
        if (!skipping)
            client->write(head);
        left = length;
        head.clear();
    }
    flush(bytes.size());
}

void PacketGate::end(const QString &reason) {
    if (ended)
        return;
    ended = true;
    why = reason;
    if (client)
        client->abort();
    if (broker)
        broker->abort();
}

void PacketGate::finish(int ms) {
    if (ended || !client || !broker)
        return;
    if (client->bytesAvailable() > 0 || client->waitForReadyRead(ms / 2))
        fromClient();
    if (broker->state() == QAbstractSocket::ConnectedState && broker->bytesToWrite() > 0)
        broker->waitForBytesWritten(ms / 2);
    broker->disconnectFromHost();
}

} // namespace plant
