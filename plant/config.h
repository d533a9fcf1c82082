#pragma once

#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>

namespace plant {

// Where the program looks for the plant link settings, relative to the working directory.
QString configPath();

// A settings file is a few lines: no reader of it takes more than this, and a larger file is
// refused as no settings file.
constexpr int largestConfigBytes = 64 * 1024;

// What the program shows of its client certificate (never the key).
struct ClientCertificate {
    QString name; // the subject's common name, control and direction characters made visible
    QDateTime notBefore;
    QDateTime notAfter; // UTC; invalid while no certificate is configured
    bool isNull() const { return !notAfter.isValid(); }
    bool operator==(const ClientCertificate &o) const {
        return name == o.name && notBefore == o.notBefore && notAfter == o.notAfter;
    }
};

enum class Protocol { Mqtt5, Mqtt311 };

// What the plant link publishes: its own JSON (what the fleet view reads), Sparkplug B, or both
// side by side, each on a connection of its own (each has a last will of its own).
enum class Format { Json, Sparkplug, Both };

// The [mqtt] section of config/plant.ini.
struct Config {
    // What the client connects to: tcp://host:port or ssl://host:port.
    QString serverUri;
    bool tls = false;
    QString host;
    int port = 0;
    QString caFile;
    QString username;
    // From `password`, or from the first line of `password_file` once the files are read.
    QString password;
    QString passwordFile;
    // The client certificate (PEM) and its key; an encrypted key's passphrase is the first line
    // of `keyPasswordFile`, read into `keyPassword`.
    QString certFile;
    QString keyFile;
    QString keyPasswordFile;
    QByteArray keyPassword; // as OpenSSL takes it: bytes
    ClientCertificate certificate;
    Protocol protocol = Protocol::Mqtt5;
    QString topicPrefix = QStringLiteral("laser");
    // Empty: the program makes one from the host name and the port name.
    QString laserId;
    Format format = Format::Json;
    // Sparkplug's group, needed for its formats; the primary host whose STATE the node follows
    // (empty: none).
    QString groupId;
    QString primaryHostId;
    // The settings file's name and the line of each key given, for what is found later.
    QString fileName;
    QHash<QString, int> lines;
    // What holds a secret and can be read by other users: the keys of the files, or the
    // settings file's own name when it holds the password.
    QStringList exposed;

    // "host:port" for people, an IPv6 host in brackets.
    QString server() const;
    // A password over a url without TLS: it works, and the operator is told.
    bool passwordInClear() const { return !password.isEmpty() && !tls; }
    bool json() const { return format != Format::Sparkplug; }
    bool sparkplug() const { return format != Format::Json; }
};

struct ConfigResult {
    Config config;
    // Empty when the file is usable; otherwise one line, in the current language, naming the
    // file, the line and what is wrong. It quotes a key only when the key is a plain name
    // ([a-z_]+) and never any other text of a line, so a password cannot leak through it.
    QString error;
};

// Reads the settings text. `fileName` only names the file in error texts. Reads none of the
// files the text names but checks that ca_file is a readable file.
ConfigResult parseConfig(const QByteArray &text, const QString &fileName);
// Reads the file, then the files it names (readClientFiles); a missing or unreadable file is an
// error too. Says which files holding a secret other users can read in `exposed`.
ConfigResult loadConfig(const QString &path);
// Reads password_file, key_password_file, cert_file and key_file into `config` and checks that
// the key opens and belongs to the certificate. An error names the settings file, the line and
// the reason, never what a file holds; empty when all is usable. Done again before each
// connection attempt, so a renewed certificate is taken up.
QString readClientFiles(Config &config);

// The host name and the port name, e.g. "pc7-ttyUSB0"; the host name alone without a port. Made
// a valid id (plant_id.h): what the rule refuses is written as '_'.
QString defaultLaserId(const QString &hostName, const QString &portName);

} // namespace plant
