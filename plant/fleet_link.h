#pragma once

#include "plant/fleet_messages.h"
#include "plant/publisher.h"

#include <QObject>
#include <QString>

class QThread;

namespace plant {

class Subscriber;

// The fleet's side of the plant link, as its window sees it: reads the settings, runs the
// read-only subscriber on its own thread and passes its batches and its state line on. The
// window calls batchTaken() after each batch; until then the next one waits.
class FleetLink : public QObject {
    Q_OBJECT

public:
    // With a problem in the settings the link stays off and its state line says why.
    FleetLink(const QString &configFile, const QString &hostName, QObject *parent = nullptr);
    ~FleetLink() override;

    QString topicPrefix() const { return prefix; }
    Report report() const { return lastReport; }
    QString stateLine() const { return plant::stateLine(lastReport); }

public slots:
    void batchTaken();

signals:
    void batchArrived(const plant::FleetBatch &batch);
    void stateLineChanged(const QString &line);

private:
    QString prefix;
    Report lastReport;
    QThread *thread = nullptr;
    Subscriber *subscriber = nullptr;
};

} // namespace plant
