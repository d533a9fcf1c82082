#pragma once
#include <QMetaType>
#include <QString>
#include <QtGlobal>
namespace events {
// One row of the events table; `at` is ms since 1970, UTC.
struct Event {
    qint64 at = 0;
    QString category;
    QString name;
    QString value;
    QString detail;
};
// One temperature sample a second; NaN where no value has arrived yet.
struct Sample {
    qint64 at = 0;
    double waterIn = 0;
    double waterOut = 0;
    double dewPoint = 0;
};
// An event as the history holds it: its row's id in the events table (the order it was written
// in, and the key by which a consumer of the plant link drops a repeat), and whether it is sent
// late, from the history after an outage, rather than as it happened.
struct StoredEvent {
    qint64 id = 0;
    Event event;
    bool late = false;
};
} // namespace events
Q_DECLARE_METATYPE(events::Event)
Q_DECLARE_METATYPE(events::StoredEvent)
Q_DECLARE_METATYPE(events::Sample)
