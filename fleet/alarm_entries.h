#pragma once

#include <QHash>
#include <QString>

#include <deque>
#include <vector>

namespace fleet {

// One line of the alarm list.
struct AlarmEntry {
    quint64 serial = 0;
    qint64 raisedAt = 0; // local ms
    QString laserId;
    QString key;
    bool acknowledged = false;
    qint64 clearedAt = 0;   // 0 while active
    bool laserGone = false; // cleared because the laser left the table
};

// The alarm list, newest first: a line for each alarm raised, marked when it clears or its laser
// leaves, found by laser and key through a hash. Bounded in lines overall and per laser (the
// oldest go first, counted); follows its changes for the list's model and counts its bytes.
class AlarmEntries {
public:
    AlarmEntries(int maxEntries, int maxPerLaser);

    const std::deque<AlarmEntry> &list() const { return entries; }
    void raised(const QString &laserId, const QString &key, qint64 now);
    // `gone`: because the laser left the table.
    void cleared(const QString &laserId, const QString &key, qint64 now, bool gone);

    void acknowledge(quint64 serial);
    void acknowledgeAll();
    int unacknowledged() const;

    // What happened to the list since the last call, in order, for the list's model: lines
    // added at the top, and lines removed at a row of the list as it was at that moment. With
    // too many changes, `reset` says to read the list anew.
    struct ListChange {
        int added = 0;
        int dropped = 0;
        std::vector<int> removedRows; // -1: a line added at the top
        bool reset = false;
    };
    ListChange takeListChange();

    // Lines dropped to stay within the bounds, since the start.
    quint64 dropped() const { return entriesDropped; }
    // The lines and their keys in the hashes, in bytes (as plant::heldBytes counts).
    qint64 heldBytes() const { return held; }

private:
    void dropEntry(size_t row);
    int entryRow(quint64 serial) const;

    int maxEntries;
    int maxPerLaser;
    std::deque<AlarmEntry> entries;
    QHash<QString, quint64> activeEntries; // laser id + '\n' + key -> serial
    QHash<QString, int> entriesPerLaser;
    quint64 nextSerial = 1;
    ListChange change;
    quint64 entriesDropped = 0;
    qint64 held = 0;
};

} // namespace fleet
