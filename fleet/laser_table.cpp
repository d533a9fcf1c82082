#include "fleet/laser_table.h"

#include "fleet/texts.h"

#include "events/alarm_names.h"
#include "fleet/fleet_texts.h"

#include <QBrush>
#include <QColor>
#include <QCoreApplication>
#include <QFont>
#include <QIcon>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <algorithm>
#include <array>

namespace fleet {

namespace {

// Shapes that differ without their colour: a triangle for an alarm, a hollow ring for offline,
// a filled dot for online.
QIcon makeIcon(Group group) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    switch (group) {
    case Group::Alarm: {
        QPainterPath triangle;
        triangle.moveTo(8, 1);
        triangle.lineTo(15, 14);
        triangle.lineTo(1, 14);
        triangle.closeSubpath();
        p.fillPath(triangle, QColor(200, 30, 30));
        p.setPen(QPen(Qt::white, 2));
        p.drawLine(8, 5, 8, 9);
        p.drawPoint(8, 12);
        break;
    }
    case Group::Offline:
        p.setPen(QPen(QColor(90, 90, 90), 2));
        p.drawEllipse(QRectF(3, 3, 10, 10));
        break;
    case Group::Online:
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(30, 140, 60));
        p.drawEllipse(QRectF(3, 3, 10, 10));
        break;
    }
    return QIcon(pixmap);
}

bool sameLasers(std::vector<int> a, std::vector<int> b) {
    if (a.size() != b.size())
        return false;
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    return a == b;
}

const QIcon &iconFor(Group group) {
    static const std::array<QIcon, 3> icons{makeIcon(Group::Alarm), makeIcon(Group::Offline),
                                            makeIcon(Group::Online)};
    return icons[static_cast<size_t>(group)];
}

} // namespace

LaserTable::LaserTable(const Fleet &fleet, QObject *parent)
    : QAbstractTableModel(parent), fleet(fleet) {}

std::vector<int> LaserTable::visibleOrder() const {
    std::vector<int> order = fleet.order(now);
    if (filter.isEmpty())
        return order;
    std::vector<int> shown;
    for (int i : order)
        if (rowText(i).contains(filter, Qt::CaseInsensitive))
            shown.push_back(i);
    return shown;
}

void LaserTable::refresh(qint64 time) {
    now = time;
    std::vector<int> next = visibleOrder();
    if (fleet.membership() != membership) {
        // Lasers came or went: their indexes may have moved.
        membership = fleet.membership();
        beginResetModel();
        rows = std::move(next);
        endResetModel();
        return;
    }
    if (next == rows) {
        if (!rows.empty())
            emit dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1));
        return;
    }
    if (sameLasers(next, rows)) {
        // Same lasers, other places: a layout change keeps the selection on its laser.
        emit layoutAboutToBeChanged();
        const QModelIndexList before = persistentIndexList();
        std::vector<int> rowOfLaser(fleet.lasers().size(), -1);
        for (size_t r = 0; r < next.size(); ++r)
            rowOfLaser[static_cast<size_t>(next[r])] = static_cast<int>(r);
        QModelIndexList after;
        for (const QModelIndex &i : before) {
            const int laser = rows[static_cast<size_t>(i.row())];
            const int row = laser < static_cast<int>(rowOfLaser.size())
                                ? rowOfLaser[static_cast<size_t>(laser)]
                                : -1;
            after << (row < 0 ? QModelIndex() : index(row, i.column()));
        }
        rows = std::move(next);
        changePersistentIndexList(before, after);
        emit layoutChanged();
        return;
    }
    // New lasers, or the filter changed what is shown.
    beginResetModel();
    rows = std::move(next);
    endResetModel();
}

void LaserTable::setFilter(const QString &text) {
    filter = text.trimmed();
    refresh(now);
}

int LaserTable::rowOf(const QString &laserId) const {
    const int laser = fleet.indexOf(laserId);
    const auto it = std::find(rows.begin(), rows.end(), laser);
    return laser < 0 || it == rows.end() ? -1 : static_cast<int>(it - rows.begin());
}

QString LaserTable::rowText(int laserIndex) const {
    const Laser &l = fleet.lasers()[static_cast<size_t>(laserIndex)];
    return l.id + QLatin1Char(' ') + l.status.port + QLatin1Char(' ') + stateText(l) +
           QLatin1Char(' ') + alarmsText(l);
}

QString LaserTable::stateText(const Laser &laser) const {
    if (twoHosts(laser, now, fleet.staleLimitMs()))
        return groupText(laser) + Texts::tr("（两台主机使用此 ID）");
    return groupText(laser);
}

QString LaserTable::groupText(const Laser &laser) const {
    switch (fleet.group(laser, now)) {
    case Group::Alarm:
        if (fleet.offlineSince(laser, now) == unknownTime)
            return Texts::tr("报警（离线，时间不明）");
        if (fleet.isOffline(laser, now))
            return Texts::tr("报警（离线 自 %1）")
                .arg(clockText(fleet.offlineSince(laser, now), now));
        return Texts::tr("报警");
    case Group::Offline:
        // A retained status whose own time cannot be believed.
        if (fleet.offlineSince(laser, now) == unknownTime)
            return Texts::tr("离线（时间不明）");
        return Texts::tr("离线 自 %1").arg(clockText(fleet.offlineSince(laser, now), now));
    case Group::Online:
        break;
    }
    return Texts::tr("在线");
}

QString LaserTable::alarmsText(const Laser &laser) const {
    QStringList captions;
    for (const QString &key : laser.status.alarmKeys())
        captions << events::alarmCaption(key);
    if (laser.status.alarmsIgnored > 0)
        captions << Texts::tr("另有 %1 个未知报警").arg(laser.status.alarmsIgnored);
    // What waits for an acknowledgement at the laser, as its own status bar counts it.
    if (laser.status.unacknowledgedCount > 0)
        captions << Texts::tr("主机上 %1 未确认").arg(laser.status.unacknowledgedCount);
    return captions.join(QStringLiteral(", "));
}

int LaserTable::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows.size());
}

int LaserTable::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant LaserTable::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || index.row() >= static_cast<int>(rows.size()))
        return QVariant();
    // A laser that left since the last refresh is not read (the refresh comes right after).
    const size_t laser = static_cast<size_t>(rows[static_cast<size_t>(index.row())]);
    if (laser >= fleet.lasers().size())
        return QVariant();
    const Laser &l = fleet.lasers()[laser];
    const plant::LaserStatus &s = l.status;
    const Group group = fleet.group(l, now);

    switch (role) {
    case LaserIdRole:
        return l.id;
    case Qt::BackgroundRole:
        if (group == Group::Alarm)
            return QBrush(QColor(255, 205, 205));
        if (group == Group::Offline)
            return QBrush(QColor(222, 222, 222));
        return QVariant();
    case Qt::FontRole:
        if (group == Group::Alarm) {
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        return QVariant();
    case Qt::DecorationRole:
        return index.column() == State ? QVariant(iconFor(group)) : QVariant();
    case Qt::ToolTipRole:
        return index.column() == Alarms ? QVariant(alarmsText(l)) : QVariant();
    case Qt::DisplayRole:
        break;
    default:
        return QVariant();
    }

    switch (index.column()) {
    case State:
        return stateText(l);
    case LaserId:
        return l.id;
    default:
        break;
    }
    if (!l.hasStatus)
        return QVariant();
    switch (index.column()) {
    case Port:
        return s.port;
    case Alarms:
        return alarmsText(l);
    case WaterIn:
        return numberText(s.waterIn);
    case WaterOut:
        return numberText(s.waterOut);
    case DewPoint:
        return numberText(s.dewPoint);
    case DcOn:
        return onOffText(s.dcOn);
    case LaserReady:
        return onOffText(s.laserReady);
    case BeamOn:
        return onOffText(s.beamOn);
    case LastFrame: {
        const qint64 age = fleet.lastFrameAge(l, now);
        return age >= 0 ? ageText(age) : QStringLiteral("—");
    }
    default:
        return QVariant();
    }
}

QVariant LaserTable::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case State:
        return Texts::tr("状态");
    case LaserId:
        return Texts::tr("激光器");
    case Port:
        return serialCaption("端口号：");
    case Alarms:
        return Texts::tr("报警");
    case WaterIn:
        return serialCaption("T3温度(C):");
    case WaterOut:
        return serialCaption("T4温度(C):");
    case DewPoint:
        return serialCaption("露点温度(C):");
    case DcOn:
        return serialCaption("直流开启");
    case LaserReady:
        return serialCaption("光闸开启");
    case BeamOn:
        return serialCaption("激光输出");
    case LastFrame:
        return Texts::tr("最后一帧");
    default:
        return QVariant();
    }
}

} // namespace fleet

#include "moc_laser_table.cpp"
