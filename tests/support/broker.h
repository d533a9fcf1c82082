#pragma once

#include "support/certificates.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>

#include <mqtt/async_client.h>

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <vector>

// A real mosquitto on a free loopback port, with a configuration of its own in a temporary
// directory. With a user it refuses anonymous clients and knows that one user's password.
class Broker {
public:
    // The deployment of docs/plant-link.md: TLS only, with the broker certificate of
    // `certificates` (made for IP:127.0.0.1); only clients with a certificate of the plant's
    // authority are taken, each with its certificate's common name as user name, which `acl`
    // may use in its patterns.
    Broker(const Certificates &certificates, const QByteArray &acl)
        : Broker(QList<QPair<QString, QString>>(), acl, QString(), &certificates) {}
    // With `tlsAltName` (e.g. "IP:127.0.0.1") it speaks TLS only, with a server certificate for
    // that name signed by a certificate authority of its own (caFile()).
    explicit Broker(const QString &user = QString(), const QString &password = QString(),
                    const QString &tlsAltName = QString())
        : Broker(user.isEmpty() ? QList<QPair<QString, QString>>()
                                : QList<QPair<QString, QString>>{{user, password}},
                 QByteArray(), tlsAltName) {}
    // Several users, and with `acl` the access rules of an acl_file.
    Broker(const QList<QPair<QString, QString>> &users, const QByteArray &acl,
           const QString &tlsAltName = QString(),
           const Certificates *clientCertificates = nullptr) {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        port = probe.serverPort();
        probe.close();
        QByteArray conf = "listener " + QByteArray::number(port) + " 127.0.0.1\nlog_dest stderr\n";
        // Sessions and their queued messages survive a stop and start, as with a plant broker.
        conf += "persistence true\npersistence_location " + dir.path().toUtf8() + "/\n";
        // Started as root it would drop to a user that may not read the temporary directory.
        if (geteuid() == 0)
            conf += "user root\n";
        if (clientCertificates) {
            conf += "allow_anonymous false\nrequire_certificate true\n"
                    "use_identity_as_username true\n";
        } else if (users.isEmpty()) {
            conf += "allow_anonymous true\n";
        } else {
            const QString passwords = dir.filePath(QStringLiteral("passwords"));
            for (const auto &user : users)
                QProcess::execute(
                    executable("mosquitto_passwd"),
                    (user == users.first() ? QStringList{QStringLiteral("-c")} : QStringList()) +
                        QStringList{QStringLiteral("-b"), passwords, user.first, user.second});
            conf += "allow_anonymous false\npassword_file " + passwords.toUtf8() + "\n";
        }
        if (!acl.isEmpty()) {
            QFile aclFile(dir.filePath(QStringLiteral("acl")));
            aclFile.open(QIODevice::WriteOnly);
            aclFile.write(acl);
            // The documented deployment's queue: every laser's retained topics at a subscribe.
            conf += "acl_file " + aclFile.fileName().toUtf8() + "\nmax_queued_messages 10000\n";
        }
        if (!tlsAltName.isEmpty())
            own = std::make_unique<Certificates>(tlsAltName);
        certificates = clientCertificates ? clientCertificates : own.get();
        if (certificates) {
            certificatesMade = certificates->made;
            conf += "cafile " + caFile().toUtf8() + "\ncertfile " +
                    certificates->brokerCert().toUtf8() + "\nkeyfile " +
                    certificates->brokerKey().toUtf8() + "\n";
        }
        QFile file(dir.filePath(QStringLiteral("mosquitto.conf")));
        file.open(QIODevice::WriteOnly);
        file.write(conf);
    }
    ~Broker() { stop(); }

    static QString executable(const char *name) {
        return QStandardPaths::findExecutable(
            QLatin1String(name), {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/bin"),
                                  QStringLiteral("/sbin"), QStringLiteral("/bin")});
    }
    static bool available() {
        return !executable("mosquitto").isEmpty() && !executable("mosquitto_passwd").isEmpty();
    }

    // Starts it and waits until it takes connections.
    bool start() {
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(executable("mosquitto"),
                      {QStringLiteral("-c"), dir.filePath(QStringLiteral("mosquitto.conf"))});
        if (!process.waitForStarted(5000))
            return false;
        for (int i = 0; i < 100; ++i) {
            QTcpSocket socket;
            socket.connectToHost(QHostAddress::LocalHost, port);
            if (socket.waitForConnected(100))
                return true;
            if (process.state() != QProcess::Running)
                return false;
            QThread::msleep(50);
        }
        return false;
    }
    void stop() {
        if (process.state() == QProcess::NotRunning)
            return;
        process.terminate();
        if (!process.waitForFinished(5000))
            process.kill();
        process.waitForFinished(2000);
    }
    QString url() const { return QStringLiteral("mqtt://127.0.0.1:%1").arg(port); }
    QString tlsUrl() const { return QStringLiteral("mqtts://127.0.0.1:%1").arg(port); }
    QString caFile() const { return certificates ? certificates->caFile() : QString(); }
    bool certificatesMade = false;
    // What the broker logged so far: each connection, and why it ended.
    QByteArray log() {
        logText += process.readAll();
        return logText;
    }
    // Waits until `text` stands in the log `times` times: the marker that clients came and
    // went, where nothing else tells.
    bool waitForLog(const QByteArray &text, int times, int timeoutMs = 15000) {
        QElapsedTimer timer;
        timer.start();
        while (log().count(text) < times) {
            if (timer.elapsed() > timeoutMs)
                return false;
            process.waitForReadyRead(50);
            QCoreApplication::processEvents();
        }
        return true;
    }
    qint64 pid() const { return process.processId(); }

    quint16 port = 0;

private:
    std::unique_ptr<Certificates> own;
    const Certificates *certificates = nullptr;
    QTemporaryDir dir;
    QProcess process;
    QByteArray logText;
};

// A plain subscriber that keeps what arrives, in order. With a session name it keeps its
// session on the broker: what arrives while it is away waits for it. With `mqtt5` it speaks
// MQTT 5 and sees each message's expiry.
class Subscriber {
public:
    Subscriber(quint16 port, const std::string &filter, const std::string &session = {},
               bool mqtt5 = false)
        : client("tcp://127.0.0.1:" + std::to_string(port),
                 session.empty() ? "test-subscriber-" + std::to_string(++count) : session,
                 mqtt::create_options(mqtt5 ? MQTTVERSION_5 : MQTTVERSION_3_1_1), nullptr) {
        client.start_consuming();
        mqtt::connect_options options;
        options.set_mqtt_version(mqtt5 ? MQTTVERSION_5 : MQTTVERSION_3_1_1);
        if (mqtt5)
            options.set_clean_start(session.empty());
        else
            options.set_clean_session(session.empty());
        client.connect(options)->wait_for(std::chrono::seconds(5));
        client.subscribe(filter, 1)->wait_for(std::chrono::seconds(5));
    }
    ~Subscriber() {
        try {
            if (client.is_connected())
                client.disconnect()->wait_for(std::chrono::seconds(2));
        } catch (const mqtt::exception &) {
        }
    }
    bool connected() const { return client.is_connected(); }

    struct Received {
        QString topic;
        QByteArray payload;
        bool retained;
        // The seconds left of its expiry when it arrived; -1 without one.
        int expiry = -1;
    };
    // Collects until `n` messages have arrived on topics ending in `level`, or the time is up.
    // Lets the calling thread's events run meanwhile.
    std::vector<Received> collect(const QString &level, size_t n, int timeoutMs = 10000) {
        std::vector<Received> found;
        for (const Received &r : all)
            if (r.topic.endsWith(QLatin1Char('/') + level))
                found.push_back(r);
        QElapsedTimer timer;
        timer.start();
        while (found.size() < n && timer.elapsed() < timeoutMs) {
            QCoreApplication::processEvents();
            mqtt::const_message_ptr message;
            if (!client.try_consume_message_for(&message, std::chrono::milliseconds(20)) ||
                !message)
                continue;
            const std::string &payload = message->get_payload_str();
            const mqtt::properties &properties = message->get_properties();
            Received r{QString::fromStdString(message->get_topic()),
                       QByteArray(payload.data(), static_cast<int>(payload.size())),
                       message->is_retained(),
                       properties.contains(mqtt::property::MESSAGE_EXPIRY_INTERVAL)
                           ? mqtt::get<int>(properties, mqtt::property::MESSAGE_EXPIRY_INTERVAL)
                           : -1};
            all.push_back(r);
            if (r.topic.endsWith(QLatin1Char('/') + level))
                found.push_back(r);
        }
        return found;
    }

private:
    static inline std::atomic<int> count{0};
    mqtt::async_client client;
    std::vector<Received> all;
};

// In front of a broker, a broker that knows only MQTT 3.1.1: a client's MQTT 5 CONNECT gets
// "unacceptable protocol version" and the end of the connection, as such a broker answers;
// anything else passes through to the broker and back. Works while the thread that made it
// processes its events.
class Mqtt311Front {
public:
    explicit Mqtt311Front(quint16 brokerPort) {
        server.listen(QHostAddress::LocalHost, 0);
        port = server.serverPort();
        QObject::connect(&server, &QTcpServer::newConnection, &server, [this, brokerPort] {
            while (QTcpSocket *client = server.nextPendingConnection())
                pass(client, brokerPort);
        });
    }
    quint16 port = 0;
    int refused = 0;
    QString url() const { return QStringLiteral("mqtt://127.0.0.1:%1").arg(port); }

private:
    void pass(QTcpSocket *client, quint16 brokerPort) {
        auto *broker = new QTcpSocket(client);
        broker->connectToHost(QHostAddress::LocalHost, brokerPort);
        if (!broker->waitForConnected(5000)) {
            client->deleteLater();
            return;
        }
        QObject::connect(client, &QTcpSocket::readyRead, client, [this, client, broker] {
            if (!client->property("looked").toBool()) {
                // CONNECT: the type byte, the remaining length (1 to 4 bytes), "\0\4MQTT", the
                // protocol level.
                const QByteArray head = client->peek(12);
                int at = 1;
                while (at < head.size() && (quint8(head.at(at)) & 0x80))
                    ++at;
                at += 7;
                if (at >= head.size())
                    return; // more to come
                client->setProperty("looked", true);
                if (quint8(head.at(at)) == 5) {
                    ++refused;
                    client->readAll();
                    client->write(QByteArray("\x20\x02\x00\x01", 4));
                    client->disconnectFromHost();
                    return;
                }
            }
            broker->write(client->readAll());
        });
        QObject::connect(broker, &QTcpSocket::readyRead, client,
                         [client, broker] { client->write(broker->readAll()); });
        QObject::connect(broker, &QTcpSocket::disconnected, client,
                         [client] { client->disconnectFromHost(); });
        QObject::connect(client, &QTcpSocket::disconnected, client, [client, broker] {
            broker->disconnectFromHost();
            client->deleteLater();
        });
        // Whatever came before the connections were made.
        if (client->bytesAvailable() > 0)
            QMetaObject::invokeMethod(client, "readyRead", Qt::QueuedConnection);
    }

    QTcpServer server;
};

// A broker that takes the connection and never answers it. Works while the thread that made it
// processes its events.
class MuteBroker {
public:
    MuteBroker() {
        server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server, &QTcpServer::newConnection, &server, [this] {
            while (server.nextPendingConnection())
                ++accepted;
        });
    }
    QString url() const { return QStringLiteral("mqtt://127.0.0.1:%1").arg(server.serverPort()); }
    int accepted = 0;

private:
    QTcpServer server;
};

// Skips the case, or from initTestCase the suite, on a machine without mosquitto (QtTest
// included by the suite).
#define SKIP_WITHOUT_BROKER()                                                                      \
    do {                                                                                           \
        if (!Broker::available())                                                                  \
            QSKIP("mosquitto is not installed (tools/packages.sh lists it)");                      \
    } while (false)
