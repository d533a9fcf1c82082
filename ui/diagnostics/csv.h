#pragma once

#include "history/csv.h"
#include "ui/diagnostics/event_reader.h"

#include <QString>

#include <functional>
#include <vector>

class QAbstractItemModel;

namespace diagnostics {

// The cells themselves are written by the history's CSV helper, the one place that does.
using history::csvField;
using history::csvLine;
using history::csvRecord;
using history::csvTime;
using history::looksLikeFormula;
using history::writeTextFile;

// The header and every row the model holds (display texts), in its order.
QString modelToCsv(const QAbstractItemModel &model);

// What an event's category (cell 0), name (1) and value (2) read as in the language in use:
// "报警", "水冷机警报", "出现"; the detail (3) as stored.
QString shownEventCell(const EventRow &row, int cell);
// The events' CSV: the header in the language in use, then a line a row: the time (csvTime),
// the category shown, the key and the value as stored, the name and the value shown, the detail.
QString eventsCsvHeader();
QString eventCsvLine(const EventRow &row);
// Writes the events' CSV to `path`: `taken`, then every row `source` (started) reads, telling
// `written` the rows so far after each page; the reason when it could not, or "已取消" when
// `cancelled` said so (nothing is left under `path` then).
QString writeEventsCsv(const QString &path, const std::vector<EventRow> &taken, EventReader &source,
                       const std::function<bool()> &cancelled,
                       const std::function<void(qint64)> &written);

// Why no export may be written to `target` (translated), or empty: it would replace a file of
// the program's own, in `logDir` or config/ (see service::ownFolderTarget).
QString exportRefusal(const QString &target, const QString &logDir);

// A time as the Events tab shows it: "2026-12-07 14:37:45.123" in local time; where the clocks
// went back and that local time was passed twice, with its offset from UTC, so that the two
// instants never read alike: "2026-10-25 02:30:00.000 +02:00", "2026-10-25 02:30:00.000 +01:00".
QString eventTimeText(qint64 at);

} // namespace diagnostics
