#pragma once

#include <QString>

namespace plant {

// Where the program looks for the plant link settings, relative to the working directory.
QString configPath();

// The [mqtt] section of config/plant.ini.
struct Config {
    // What the client connects to: tcp://host:port or ssl://host:port.
    QString serverUri;
    bool tls = false;
    QString host;
    int port = 0;
    QString caFile;
    QString username;
    QString password;
    QString topicPrefix = QStringLiteral("laser");
    // Empty: the program makes one from the host name and the port name.
    QString laserId;

    // "host:port" for people, an IPv6 host in brackets.
    QString server() const;
    // A password over a url without TLS: it works, and the operator is told.
    bool passwordInClear() const { return !password.isEmpty() && !tls; }
};

struct ConfigResult {
    Config config;
    // Empty when the file is usable; otherwise one line, in the current language, naming the
    // file, the line and what is wrong. It quotes a key only when the key is a plain name
    // ([a-z_]+) and never any other text of a line, so a password cannot leak through it.
    QString error;
};

// Reads the settings text. `fileName` only names the file in error texts.
ConfigResult parseConfig(const QByteArray &text, const QString &fileName);
// Reads the file; a missing or unreadable file is an error too.
ConfigResult loadConfig(const QString &path);

// A laser id that is safe as one topic level: no '/', '+', '#' or control characters.
QString topicLevel(const QString &text);
// The host name and the port name, e.g. "pc7-ttyUSB0"; the host name alone without a port.
QString defaultLaserId(const QString &hostName, const QString &portName);

} // namespace plant
