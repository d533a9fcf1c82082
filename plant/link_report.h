#pragma once

#include "plant/config.h"

#include <QMetaType>
#include <QString>

// What a broker connection (the host's publisher, the fleet's reader) reports of itself, and the
// lines the status bar and the Link tab make of it.
namespace plant {

enum class LinkState { Off, Connecting, Connected, Reconnecting };

// The Sparkplug B edge node's side of the link (format sparkplug or both): its own connection's
// state, and what it sent and was sent, counted from the start.
struct SparkplugReport {
    bool on = false;
    LinkState state = LinkState::Off;
    bool waitingForHost = false; // connected; the primary host's STATE online has not come
    bool ready = false;          // the laser's birth is out on this connection: late events can go
    quint8 bdSeq = 0;            // of the connection now or last made
    quint8 seq = 0;              // of the next message
    quint64 births = 0;          // NBIRTHs published
    quint64 refused = 0;         // commands refused: every DCMD, any NCMD but a rebirth
    quint64 unreadable = 0;      // commands and STATE too large, unreadable or past
    quint64 notOurs = 0;         // messages on topics of another node
    quint64 dropped = 0;         // came faster than they could be taken: dropped unread
    quint64 lateUnsent = 0;      // late events while the laser had no birth: not sent
    bool operator==(const SparkplugReport &o) const {
        return on == o.on && state == o.state && waitingForHost == o.waitingForHost &&
               ready == o.ready && bdSeq == o.bdSeq && seq == o.seq && births == o.births &&
               refused == o.refused && unreadable == o.unreadable && notOurs == o.notOurs &&
               dropped == o.dropped && lateUnsent == o.lateUnsent;
    }
};

// What the status bar and the diagnostics show of the broker connection.
struct Report {
    LinkState state = LinkState::Off;
    QString server; // host:port
    QString lastError;
    int buffered = 0;
    quint64 dropped = 0;
    // Samples older than their expiry when they could have been sent, so never sent.
    quint64 expired = 0;
    // Messages the broker refused (MQTT 5 says so; 3.1.1 brokers drop them in silence), and why.
    quint64 refused = 0;
    QString refusedWhy;
    // Said in every line while it holds, e.g. that the password travels unencrypted.
    QString notice;
    // The client certificate in use; null without one.
    ClientCertificate certificate;
    // Another host publishes under this laser id (a status of another start's token came).
    bool otherHost = false;
    SparkplugReport sparkplug;
    // Events sent late, from the history, this run; whether the catch-up is under way.
    quint64 late = 0;
    bool catchingUp = false;
    // The history cannot be read (or its outbox written): why, and the events not sent (-1:
    // not known).
    QString unsentWhy;
    qint64 unsent = -1;
};
bool operator==(const Report &a, const Report &b);

// Reads a link's settings file: `config` and a report that is connecting to its server, or
// false and a report that is off with the file's error (which never quotes a value).
bool loadLinkConfig(const QString &file, Config *config, Report *report);
inline bool operator!=(const Report &a, const Report &b) {
    return !(a == b);
}

// One line for the status bar in the current language, e.g. "Plant link: reconnecting to
// broker:1883 (connection lost); 12 buffered". Shown as plain text, never rich text.
QString stateLine(const Report &report);
// The diagnostics window's Link tab: the state line, and on a line of its own the client
// certificate with the dates it is valid between.
QString linkTabText(const Report &report);

// Why the broker refused a message, from an MQTT 5 acknowledgement's reason code.
QString publishRefusal(int reason);

} // namespace plant

Q_DECLARE_METATYPE(plant::Report)
