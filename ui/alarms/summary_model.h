#pragma once

#include "alarms/decisions.h"

#include <QAbstractTableModel>

#include <vector>

namespace alarm_summary {

// The summary's lines as the core gives them (every alarm that is not normal, newest first), in
// the operator's words: name, state, raised at, returned at, rises, first out, shelf time left.
// A screen reader finds each cell's meaning in its accessible text, and the alarm's state with
// its name.
class SummaryModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Name, State, RaisedAt, ReturnedAt, Rises, FirstOut, ShelfLeft, ColumnCount };
    static constexpr int KeyRole = Qt::UserRole; // the alarm's stored key

    using QAbstractTableModel::QAbstractTableModel;

    // The lines to show. The same alarms in the same order repaint in place; anything else
    // resets the model (the view keeps its current alarm by key).
    void setLines(std::vector<alarms::Line> lines);
    const std::vector<alarms::Line> &lines() const { return shown; }
    // -1 when not listed.
    int rowOf(const QString &key) const;
    // The header and every word again, in the language now installed.
    void retranslate();

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    QString text(const alarms::Line &line, int column) const;

    std::vector<alarms::Line> shown;
};

} // namespace alarm_summary
