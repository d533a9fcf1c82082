#pragma once

#include "fleet/fleet_state.h"

#include <QAbstractTableModel>

namespace fleet {

// The alarm list: time, laser, alarm, whether acknowledged, when cleared; newest first.
class AlarmList : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { Time, LaserId, Alarm, Acknowledged, Cleared, ColumnCount };
    static constexpr int SerialRole = Qt::UserRole;
    static constexpr int LaserIdRole = Qt::UserRole + 1;

    AlarmList(Fleet &fleet, QObject *parent = nullptr);

    // Takes the fleet's additions and drops since the last call, and repaints the rest.
    Fleet::ListChange refresh(qint64 now);
    void acknowledge(const QModelIndexList &rows);
    void acknowledgeAll();

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    Fleet &fleet;
    int shown = 0;
    qint64 now = 0;
};

} // namespace fleet
