#include "ui/diagnostics/series_reduction.h"

#include <algorithm>
#include <cmath>

namespace diagnostics {

std::vector<TrendPoint> reduceToColumns(const std::vector<TrendPoint> &points, qint64 from,
                                        qint64 to, int columns) {
    std::vector<TrendPoint> out;
    if (to < from || columns < 1)
        return out;
    const double span = double(to - from) + 1.0;
    out.reserve(std::min(points.size(), size_t(columns) * 2));

    int column = -1;
    TrendPoint low, high;
    const auto flush = [&] {
        if (column < 0)
            return;
        if (low.at == high.at && low.value == high.value) {
            out.push_back(low);
        } else if (low.at <= high.at) {
            out.push_back(low);
            out.push_back(high);
        } else {
            out.push_back(high);
            out.push_back(low);
        }
    };

    for (const TrendPoint &p : points) {
        if (p.at < from || p.at > to || std::isnan(p.value))
            continue;
        const int c = std::min(columns - 1, int(double(p.at - from) * columns / span));
        if (c != column) {
            flush();
            column = c;
            low = high = p;
            continue;
        }
        // Ties keep the first point, so equal values do not move the column's picture.
        if (p.value < low.value)
            low = p;
        if (p.value > high.value)
            high = p;
    }
    flush();
    return out;
}

std::vector<size_t> gapStarts(const std::vector<TrendPoint> &points, qint64 gapMs) {
    std::vector<size_t> starts;
    for (size_t i = 1; i < points.size(); ++i)
        if (points[i].at - points[i - 1].at > gapMs)
            starts.push_back(i);
    return starts;
}

qint64 gapFor(qint64 resolutionMs, qint64 spanMs, int columns) {
    const qint64 step = std::max<qint64>(resolutionMs, 1000);
    return std::max(5 * step, 3 * spanMs / std::max(columns, 1));
}

} // namespace diagnostics
