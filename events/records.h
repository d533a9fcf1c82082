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
} // namespace events
Q_DECLARE_METATYPE(events::Event)
Q_DECLARE_METATYPE(events::Sample)
