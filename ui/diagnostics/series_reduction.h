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

} // namespace diagnostics
