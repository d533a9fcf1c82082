#pragma once

#include "fleet/fleet_state.h"

#include <QAbstractTableModel>
#include <QString>

#include <vector>

namespace fleet {

// The table of lasers, one row each, in the fleet's order (alarms, offline, the rest) and
// narrowed by the filter text. refresh() brings it up to date after a batch or as time passes;
// selections follow their laser when rows move.
class LaserTable : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column {
        State,
        LaserId,
        Port,
        Alarms,
        WaterIn,
        WaterOut,
        DewPoint,
        DcOn,
        LaserReady,
        BeamOn,
        LastFrame,
        ColumnCount
    };
    static constexpr int LaserIdRole = Qt::UserRole;

    explicit LaserTable(const Fleet &fleet, QObject *parent = nullptr);

    void refresh(qint64 now);
    void setFilter(const QString &text);
    // The laser's row, or -1 while it is filtered out.
    int rowOf(const QString &laserId) const;
    // Texts of the whole row, as the filter matches them.
    QString rowText(int laserIndex) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // The state word of a laser ("报警", "离线 自 14:03:22", "在线"), and whether two hosts
    // publish under its id.
    QString stateText(const Laser &laser) const;
    QString alarmsText(const Laser &laser) const;

private:
    QString groupText(const Laser &laser) const;
    std::vector<int> visibleOrder() const;

    const Fleet &fleet;
    std::vector<int> rows; // laser indexes
    quint64 membership = 0;
    QString filter;
    qint64 now = 0;
};

} // namespace fleet
