#include "history/journal.h"

#include <utility>

namespace history {

Journal::Journal(int capacity) : limit(capacity > 0 ? capacity : 1) {
    entries.reserve(size_t(limit));
}

void Journal::append(JournalEntry entry) {
    ++total;
    if (int(entries.size()) < limit) {
        entries.push_back(std::move(entry));
        return;
    }
    entries[size_t(head)] = std::move(entry);
    head = (head + 1) % limit;
}

const JournalEntry &Journal::at(int index) const {
    return entries[size_t((head + index) % int(entries.size()))];
}

void Journal::clear() {
    entries.clear();
    head = 0;
    total = 0;
}

} // namespace history
