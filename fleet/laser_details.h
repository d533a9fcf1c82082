#pragma once

#include "fleet/fleet_state.h"

#include <QJsonObject>
#include <QWidget>

class QLabel;
class QTreeWidget;
class QTreeWidgetItem;

namespace fleet {

// One laser in full: its whole last status, field by field under the status page's captions
// (the alarms unacknowledged at the laser under their own caption), its host's alarm summary, and
// the events received for it since the window started, newest first.
class LaserDetails : public QWidget {
    Q_OBJECT

public:
    explicit LaserDetails(QWidget *parent = nullptr);

    // Null: nothing selected.
    void showLaser(const Laser *laser, const QString &stateText, qint64 now);
    // Only the title line: the state may change while the rest stays.
    void setTitle(const Laser *laser, const QString &stateText);
    void retranslate();

    QTreeWidget *statusTree() const { return status; }
    QTreeWidget *eventTree() const { return events; }
    QTreeWidget *figureTree() const { return figures; }

private:
    QLabel *title;
    QTreeWidget *status;
    QTreeWidget *figures;
    QTreeWidget *events;
    QLabel *eventNote;
};

// The text of one JSON value of a status: numbers as numbers, flags as on/off (alarms as
// alarm/normal), null as a dash, texts cut and with every hidden character made visible.
QString valueText(const QJsonValue &value, bool isAlarm);
// A field's value: times (`at`, `*_at`) and temperatures out of range as invalid, the rest as
// valueText.
QString fieldText(const QString &section, const QString &key, const QJsonValue &value, qint64 now);

} // namespace fleet
