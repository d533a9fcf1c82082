#pragma once

#include "history/journal.h"

#include <QAbstractTableModel>
#include <QSet>
#include <QString>
#include <QStringList>

#include <deque>

namespace diagnostics {

// The Frames tab: the journal entries that pass the filter, copied out of the ring in batches
// by refresh(). Pause stops the copying (resume catches up with what the ring still holds);
// clear empties the view without touching the journal.
class FrameModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column {
        TimeColumn,
        DirectionColumn,
        CodeColumn,
        HexColumn,
        VerdictColumn,
        TextColumn,
        ColumnCount
    };

    explicit FrameModel(const history::Journal &journal, QObject *parent = nullptr);

    // Takes the entries appended since the last call; returns how many rows were added.
    int refresh();
    void setPaused(bool paused);
    bool isPaused() const { return paused; }
    // Empty for every code; otherwise only entries of that code name.
    void setCodeFilter(const QString &name);
    void setFailedOnly(bool failedOnly);
    void clearView();
    // Code names met so far, sorted, for the filter's list.
    QStringList codeNames() const;

    const history::JournalEntry &entry(int row) const { return rows.at(size_t(row)); }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    static QString hexText(const QByteArray &bytes);
    static bool isFailure(const history::JournalEntry &e);

private:
    bool passes(const history::JournalEntry &e) const;
    // Rebuilds the rows from the entries the ring holds that came after the last clear.
    void rebuild();

    const history::Journal &journal;
    std::deque<history::JournalEntry> rows;
    quint64 seen = 0;      // journal.appended() at the last copy
    quint64 clearedAt = 0; // journal.appended() at the last clear
    QString code;
    bool failedOnly = false;
    bool paused = false;
    QSet<QString> names;
};

} // namespace diagnostics
