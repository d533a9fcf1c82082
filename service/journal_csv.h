#pragma once

#include "history/journal.h"

#include <QByteArray>

#include <vector>

namespace service {

// The frame journal as CSV: UTC time, direction, code name, bytes, verdict, decoded line.
QByteArray journalCsv(const std::vector<history::JournalEntry> &entries);

} // namespace service
