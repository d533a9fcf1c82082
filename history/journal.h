#pragma once

#include "protocol/dispatch.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <vector>

namespace history {

enum class Direction : quint8 {
    Received, // a complete frame out of reassembly
    Sent,     // a frame the program wrote to the port
    Skipped,  // a run of noise bytes the reassembly consumed without a frame
};

// One line of the frame journal.
struct JournalEntry {
    qint64 at = 0; // ms since 1970, UTC
    Direction direction = Direction::Received;
    protocol::Verdict verdict = protocol::Verdict::NotChecked; // received frames only
    QString name;                                              // code name; "Noise" for skipped
    QByteArray bytes;
    QString text; // the decoded line
};

// The last `capacity` journal entries, oldest first. Appending never allocates once full.
class Journal {
public:
    static constexpr int defaultCapacity = 10000;
    explicit Journal(int capacity = defaultCapacity);

    void append(JournalEntry entry);
    int size() const { return int(entries.size()); }
    int capacity() const { return limit; }
    // 0 is the oldest entry kept.
    const JournalEntry &at(int index) const;
    // Entries appended since the start (or the last clear), kept ones or not: a reader that
    // remembers this number knows how many entries are new.
    quint64 appended() const { return total; }
    void clear();

private:
    std::vector<JournalEntry> entries;
    int limit;
    int head = 0; // index of the oldest entry once the ring is full
    quint64 total = 0;
};

} // namespace history
