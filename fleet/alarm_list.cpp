#include "fleet/alarm_list.h"

#include "fleet/texts.h"

#include "events/alarm_names.h"
#include "fleet/fleet_texts.h"

#include <QBrush>
#include <QColor>
#include <QCoreApplication>
#include <QFont>

#include <numeric>
#include <vector>

namespace fleet {

AlarmList::AlarmList(Fleet &fleet, QObject *parent) : QAbstractTableModel(parent), fleet(fleet) {}

Fleet::ListChange AlarmList::refresh(qint64 time) {
    now = time;
    const Fleet::ListChange change = fleet.takeListChange();
    const int size = static_cast<int>(fleet.alarmList().size());
    if (change.reset) {
        beginResetModel();
        shown = size;
        endResetModel();
    } else {
        // The list's steps in their order, played on the rows the model shows, then told to the
        // views at once: the lines that went, a run at a time from the bottom, and the new
        // lines on top in one block. A selected line stays on its line.
        std::vector<int> rows(static_cast<size_t>(shown));
        std::iota(rows.begin(), rows.end(), 0);
        for (const int row : change.removedRows) {
            if (row < 0)
                rows.insert(rows.begin(), -1);
            else if (static_cast<size_t>(row) < rows.size())
                rows.erase(rows.begin() + row);
        }
        std::vector<bool> kept(static_cast<size_t>(shown), false);
        int added = 0;
        for (const int origin : rows) {
            if (origin < 0)
                ++added;
            else
                kept[static_cast<size_t>(origin)] = true;
        }
        for (int last = shown - 1; last >= 0;) {
            if (kept[static_cast<size_t>(last)]) {
                --last;
                continue;
            }
            int first = last;
            while (first > 0 && !kept[static_cast<size_t>(first - 1)])
                --first;
            beginRemoveRows(QModelIndex(), first, last);
            shown -= last - first + 1;
            endRemoveRows();
            last = first - 1;
        }
        if (added > 0) {
            beginInsertRows(QModelIndex(), 0, added - 1);
            shown += added;
            endInsertRows();
        }
        if (shown != size) {
            beginResetModel();
            shown = size;
            endResetModel();
        }
    }
    if (shown > 0)
        emit dataChanged(index(0, 0), index(shown - 1, ColumnCount - 1));
    return change;
}

void AlarmList::acknowledge(const QModelIndexList &indexes) {
    for (const QModelIndex &i : indexes)
        fleet.acknowledge(i.data(SerialRole).toULongLong());
    refresh(now);
}

void AlarmList::acknowledgeAll() {
    fleet.acknowledgeAll();
    refresh(now);
}

int AlarmList::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : shown;
}

int AlarmList::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant AlarmList::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || index.row() >= static_cast<int>(fleet.alarmList().size()))
        return QVariant();
    const AlarmEntry &e = fleet.alarmList()[static_cast<size_t>(index.row())];
    switch (role) {
    case SerialRole:
        return e.serial;
    case LaserIdRole:
        return e.laserId;
    case Qt::FontRole:
        if (!e.acknowledged) {
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        return QVariant();
    case Qt::BackgroundRole:
        return e.clearedAt == 0 ? QVariant(QBrush(QColor(255, 205, 205))) : QVariant();
    case Qt::DisplayRole:
        break;
    default:
        return QVariant();
    }
    switch (index.column()) {
    case Time:
        return clockText(e.raisedAt, now);
    case LaserId:
        return e.laserId;
    case Alarm:
        return events::alarmCaption(e.key);
    case Acknowledged:
        return e.acknowledged ? Texts::tr("已确认") : Texts::tr("未确认");
    case Cleared:
        if (e.clearedAt == 0)
            return Texts::tr("仍在报警");
        // The laser left the table (its retained topics deleted, or offline too long).
        if (e.laserGone)
            return Texts::tr("激光器已移除 %1").arg(clockText(e.clearedAt, now));
        return Texts::tr("已清除 %1").arg(clockText(e.clearedAt, now));
    default:
        return QVariant();
    }
}

QVariant AlarmList::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case Time:
        return Texts::tr("时间");
    case LaserId:
        return Texts::tr("激光器");
    case Alarm:
        return Texts::tr("报警");
    case Acknowledged:
        return Texts::tr("确认");
    case Cleared:
        return Texts::tr("清除");
    default:
        return QVariant();
    }
}

} // namespace fleet

#include "moc_alarm_list.cpp"
