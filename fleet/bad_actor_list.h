#pragma once

#include "fleet/bad_actors.h"
#include "fleet/fleet_state.h"

#include <QAbstractTableModel>
#include <QWidget>

class QComboBox;
class QLabel;
class QTableView;
class QTreeWidget;

namespace fleet {

// The plant's bad actors: the top laser × alarm pairs of the lasers' alarm summaries, in a
// period chosen (the last 24 h or 7 d), sorted by any column (most rises first to begin with).
// Ranked anew only when a summary or the lasers changed.
class BadActorList : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { LaserId, Alarm, Rises, ActiveTime, Chatters, FirstOuts, ColumnCount };
    static constexpr int LaserIdRole = Qt::UserRole;
    static constexpr size_t shownPairs = 100;

    explicit BadActorList(const Fleet &fleet, QObject *parent = nullptr);

    // Ranks anew when the fleet's summaries or lasers changed since the last call.
    void refresh();
    void setSpan(int span);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

private:
    void rank();

    const Fleet &fleet;
    std::vector<BadActor> rows;
    int period = plant::LastDay;
    BadActorKey key = BadActorKey::Rises;
    bool descending = true;
    quint64 membership = ~quint64(0);
    quint64 summaries = ~quint64(0);
};

// The list with its title and the period's chooser.
class BadActorPanel : public QWidget {
    Q_OBJECT

public:
    BadActorPanel(BadActorList *list, QWidget *parent);
    QTableView *view() const { return tableView; }
    void retranslate();

signals:
    void laserChosen(const QString &id);

private:
    QLabel *title;
    QComboBox *periodBox;
    QTableView *tableView;
};

// The period's name: 最近 24 小时 / 最近 7 天.
QString spanText(int span);
// A laser's alarm summary in the details: each period, each alarm with its figures.
void fillFigures(QTreeWidget *tree, const Laser *laser, qint64 now);
// The figures' column captions (alarm, rises, active time, chattering, first out).
QStringList figureHeader();

} // namespace fleet
