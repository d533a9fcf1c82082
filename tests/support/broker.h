#pragma once

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
#include <vector>

// A real mosquitto on a free loopback port, with a configuration of its own in a temporary
// directory. With a user it refuses anonymous clients and knows that one user's password.
class Broker {
public:
    // With `tlsAltName` (e.g. "IP:127.0.0.1") it speaks TLS only, with a server certificate for
    // that name signed by a certificate authority of its own (caFile()).
    explicit Broker(const QString &user = QString(), const QString &password = QString(),
                    const QString &tlsAltName = QString())
        : Broker(user.isEmpty() ? QList<QPair<QString, QString>>()
                                : QList<QPair<QString, QString>>{{user, password}},
                 QByteArray(), tlsAltName) {}
    // Several users, and with `acl` the access rules of an acl_file.
    Broker(const QList<QPair<QString, QString>> &users, const QByteArray &acl,
           const QString &tlsAltName = QString()) {
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
        if (users.isEmpty()) {
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
            conf += "acl_file " + aclFile.fileName().toUtf8() + "\n";
        }
        if (!tlsAltName.isEmpty()) {
            certificatesMade = makeCertificates(tlsAltName);
            conf += "cafile " + caFile().toUtf8() + "\ncertfile " +
                    dir.filePath(QStringLiteral("server.pem")).toUtf8() + "\nkeyfile " +
                    dir.filePath(QStringLiteral("server.key")).toUtf8() + "\n";
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
    QString caFile() const { return dir.filePath(QStringLiteral("ca.pem")); }
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
    bool openssl(const QStringList &args) {
        QProcess p;
        p.setWorkingDirectory(dir.path());
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(QStringLiteral("openssl"), args);
        return p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit &&
               p.exitCode() == 0;
    }
    bool makeCertificates(const QString &altName) {
        const QStringList key{
            QStringLiteral("-newkey"), QStringLiteral("ec"), QStringLiteral("-pkeyopt"),
            QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes")};
        QFile ext(dir.filePath(QStringLiteral("ext.cnf")));
        ext.open(QIODevice::WriteOnly);
        ext.write("subjectAltName=" + altName.toUtf8() + "\n");
        ext.close();
        return openssl(QStringList{QStringLiteral("req"), QStringLiteral("-x509")} + key +
                       QStringList{QStringLiteral("-keyout"), QStringLiteral("ca.key"),
                                   QStringLiteral("-out"), QStringLiteral("ca.pem"),
                                   QStringLiteral("-days"), QStringLiteral("2"),
                                   QStringLiteral("-subj"), QStringLiteral("/CN=plant test CA")}) &&
               openssl(QStringList{QStringLiteral("req")} + key +
                       QStringList{QStringLiteral("-keyout"), QStringLiteral("server.key"),
                                   QStringLiteral("-out"), QStringLiteral("server.csr"),
                                   QStringLiteral("-subj"), QStringLiteral("/CN=plant broker")}) &&
               openssl({QStringLiteral("x509"), QStringLiteral("-req"), QStringLiteral("-in"),
                        QStringLiteral("server.csr"), QStringLiteral("-CA"),
                        QStringLiteral("ca.pem"), QStringLiteral("-CAkey"),
                        QStringLiteral("ca.key"), QStringLiteral("-CAcreateserial"),
                        QStringLiteral("-out"), QStringLiteral("server.pem"),
                        QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-extfile"),
                        QStringLiteral("ext.cnf")});
    }

    QTemporaryDir dir;
    QProcess process;
    QByteArray logText;
};

// A plain subscriber that keeps what arrives, in order. With a session name it keeps its
// session on the broker: what arrives while it is away waits for it.
class Subscriber {
public:
    Subscriber(quint16 port, const std::string &filter, const std::string &session = {})
        : client("tcp://127.0.0.1:" + std::to_string(port),
                 session.empty() ? "test-subscriber-" + std::to_string(++count) : session) {
        client.start_consuming();
        mqtt::connect_options options;
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
            Received r{QString::fromStdString(message->get_topic()),
                       QByteArray(payload.data(), static_cast<int>(payload.size())),
                       message->is_retained()};
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

// Skips the case, or from initTestCase the suite, on a machine without mosquitto (QtTest
// included by the suite).
#define SKIP_WITHOUT_BROKER()                                                                      \
    do {                                                                                           \
        if (!Broker::available())                                                                  \
            QSKIP("mosquitto is not installed (tools/packages.sh lists it)");                      \
    } while (false)
