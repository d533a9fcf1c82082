#pragma once

#include "events/records.h"
#include "plant/config.h"
#include "plant/payloads.h"
#include "plant/publisher.h"
#include "plant/summary_payload.h"

#include <QElapsedTimer>
#include <QJsonObject>
#include <QObject>
#include <QString>

class QThread;
class QTimer;

namespace plant {

// The plant link as the window sees it: lives in the GUI thread, turns events, samples and the
// status into messages and hands them to the publisher's thread without waiting.
class SparkplugLink;

class PlantLink : public QObject {
    Q_OBJECT

public:
    // Reads the settings at `configFile`. With a problem in it the link stays off and its state
    // line says why; nothing connects. `portName` makes the default laser id and is not read
    // again: the id stays the same for the whole run.
    PlantLink(const QString &configFile, const QString &hostName, const QString &portName,
              QObject *parent = nullptr);
    ~PlantLink() override;

    QString laserId() const { return id; }
    QString topicBase() const { return base; }
    Report report() const { return lastReport; }
    QString stateLine() const { return plant::stateLine(lastReport); }
    // The state line and the client certificate's dates, for the diagnostics window.
    QString linkTabText() const { return plant::linkTabText(lastReport); }
    // Sends what is queued, then online=false, and disconnects (bounded by the publisher's own
    // waits). Nothing is published after it. The destructor does it too.
    void stop();

    // The history's outbox (plant/catch_up.h), given right after construction: events written
    // to the history then go out once each, live or late.
    void setOutbox(const OutboxAccess &access);

public slots:
    // An event without a row id, sent as it comes (nothing sends it again).
    void publishEvent(const events::Event &event);
    // An event written to the history, with its row id.
    void publishStored(const events::StoredEvent &event);
    void publishSample(const events::Sample &sample);
    // Called from every refresh pass; publishes when something changed, at most once a second.
    // `readings` are the temperatures at full precision (see statusObject); `unacknowledged` the
    // history keys of the alarms waiting for an acknowledgement.
    void updateStatus(const protocol::DeviceState &state, const plant::LinkInfo &link,
                      const events::Sample &readings = noReadings(),
                      const QStringList &unacknowledged = QStringList());
    // The alarm summary, retained under PREFIX/ID/alarm_summary (the newest only while the broker
    // is away).
    void publishSummary(const plant::AlarmSummary &summary);

signals:
    void stateLineChanged(const QString &line);
    void reportChanged(const plant::Report &report);

private:
    void received(const Report &report);
    void receivedSparkplug(const Report &report);
    void sendStatus();

    QString id;
    QString base;
    QString instance;
    Report lastReport;
    QThread *thread = nullptr;
    // The JSON's (format json or both) and the Sparkplug node's (sparkplug or both), each on a
    // connection of its own, both on `thread`.
    Publisher *publisher = nullptr;
    SparkplugLink *sparkplug = nullptr;
    Report jsonReport;
    Report sparkplugReport;
    QJsonObject current;
    QJsonObject sent;
    bool anySent = false;
    QElapsedTimer sinceSent;
    QTimer *statusTimer = nullptr;
};

} // namespace plant
