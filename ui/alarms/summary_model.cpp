#include "ui/alarms/summary_model.h"

#include "alarms/words.h"
#include "events/event_words.h"
#include "ui/alarms/summary_texts.h"

#include <QBrush>
#include <QColor>
#include <QDateTime>
#include <QFont>

namespace alarm_summary {

namespace {

QString timeText(qint64 at) {
    return at > 0 ? QDateTime::fromMSecsSinceEpoch(at).toString(
                        QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"))
                  : QString();
}

bool sameAlarms(const std::vector<alarms::Line> &a, const std::vector<alarms::Line> &b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].key != b[i].key)
            return false;
    return true;
}

} // namespace

void SummaryModel::setLines(std::vector<alarms::Line> lines) {
    if (!sameAlarms(shown, lines)) {
        beginResetModel();
        shown = std::move(lines);
        endResetModel();
        return;
    }
    shown = std::move(lines);
    if (!shown.empty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1));
}

int SummaryModel::rowOf(const QString &key) const {
    for (size_t i = 0; i < shown.size(); ++i)
        if (shown[i].key == key)
            return int(i);
    return -1;
}

void SummaryModel::retranslate() {
    emit headerDataChanged(Qt::Horizontal, 0, ColumnCount - 1);
    if (!shown.empty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1));
}

int SummaryModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(shown.size());
}

int SummaryModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QString SummaryModel::text(const alarms::Line &l, int column) const {
    switch (column) {
    case Name:
        return alarms::alarmName(l.key);
    case State:
        return alarms::stateText(l.state);
    case RaisedAt:
        return timeText(l.raisedAt);
    case ReturnedAt:
        return l.active ? QString() : timeText(l.returnedAt);
    case Rises:
        return QString::number(l.rises);
    case FirstOut:
        return l.firstOut ? Texts::tr("首出") : QString();
    case ShelfLeft:
        return l.shelfLeftMs >= 0 ? events::durationText(l.shelfLeftMs) : QString();
    default:
        return QString();
    }
}

QVariant SummaryModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return QVariant();
    const alarms::Line &l = shown[size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        return text(l, index.column());
    case KeyRole:
        return l.key;
    case Qt::ToolTipRole:
        return index.column() == ShelfLeft && !l.shelfReason.isEmpty() ? l.shelfReason : QVariant();
    case Qt::AccessibleTextRole: {
        // A cell read alone says what it is: "报警于: 2026-12-07 ...", never a bare number.
        const QString shown = text(l, index.column());
        if (index.column() == Name || index.column() == State)
            return shown;
        return Texts::tr("%1: %2").arg(headerData(index.column(), Qt::Horizontal).toString(),
                                       shown.isEmpty() ? Texts::tr("无") : shown);
    }
    case Qt::AccessibleDescriptionRole:
        return index.column() == Name ? alarms::stateText(l.state) : QVariant();
    case Qt::FontRole:
        if (l.unacknowledged) {
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        return QVariant();
    case Qt::BackgroundRole:
        return l.state == alarms::State::ActiveUnacknowledged ||
                       l.state == alarms::State::ActiveAcknowledged
                   ? QVariant(QBrush(QColor(255, 205, 205)))
                   : QVariant();
    default:
        return QVariant();
    }
}

QVariant SummaryModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case Name:
        return Texts::tr("报警");
    case State:
        return Texts::tr("状态");
    case RaisedAt:
        return Texts::tr("报警于");
    case ReturnedAt:
        return Texts::tr("恢复于");
    case Rises:
        return Texts::tr("次数");
    case FirstOut:
        return Texts::tr("首出");
    case ShelfLeft:
        return Texts::tr("搁置剩余");
    default:
        return QVariant();
    }
}

} // namespace alarm_summary
