#pragma once

#include <QtGlobal>

#include <vector>

namespace diagnostics {

struct TrendPoint {
    qint64 at = 0; // ms since 1970
    double value = 0;
};

// Reduces a series, sorted by time, to at most two points per pixel column: the minimum and
// the maximum of the points that fall into the column, in their time order. The time span
// [from, to] is cut into `columns` equal columns; points outside it and NaN values are left
// out. A series that fits already comes back unchanged (without NaN and outside points), so
// no peak is ever lost and a week of samples still draws at once.
std::vector<TrendPoint> reduceToColumns(const std::vector<TrendPoint> &points, qint64 from,
                                        qint64 to, int columns);

// Where a series, sorted by time, is cut so that no line is drawn across a time without
// samples: the index of every point that follows the one before it by more than `gapMs`.
std::vector<size_t> gapStarts(const std::vector<TrendPoint> &points, qint64 gapMs);

// The longest step between two points in a row that is still drawn as a line: a few sample
// intervals (`resolutionMs`, 0 for raw samples a second apart), and never under three pixel
// columns of the span, where the reduction leaves a point or two per column.
qint64 gapFor(qint64 resolutionMs, qint64 spanMs, int columns);

} // namespace diagnostics
