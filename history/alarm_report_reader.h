#pragma once

#include "events/alarm_figures.h"

#include <QString>
#include <QtGlobal>

#include <functional>
#include <limits>

namespace history {

// What a report asks for: [from, to) in whole hours of the history's time (the rows' own
// times), and the report's clock (`now`, ms since 1970), against which rows stamped more than a
// day ahead are said and not counted.
struct ReportRequest {
    // `from` at or before this: from the history's first row.
    static constexpr qint64 sinceTheStart = std::numeric_limits<qint64>::min() / 4;
    qint64 from = sinceTheStart;
    qint64 to = 0;
    qint64 now = 0;
};

// The hours around `from` and `to`: from floored, to rounded up, at least an hour apart.
ReportRequest alignedRequest(qint64 from, qint64 to, qint64 now);

enum class ReportOutcome { Ok, NoDatabase, Cancelled, Failed };

// Reads the figures of a period from log/history.sqlite, read-only, on a connection of the
// calling thread's own, in one read transaction that ends before the call returns: the tallies
// the writer keeps (alarm_rollup.h) and the rows written after its last fold, folded here. A
// history without tallies is folded whole (slow for millions of rows, and said in
// `rowsFolded`). `cancelled` is asked now and then. No database: NoDatabase, figures with
// noHistory.
ReportOutcome readPeriodFigures(const QString &path, const ReportRequest &request,
                                events::PeriodFigures *figures, QString *error,
                                const std::function<bool()> &cancelled = {},
                                qint64 *rowsFolded = nullptr);

} // namespace history
