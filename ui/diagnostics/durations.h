#pragma once

#include <QtGlobal>

namespace diagnostics {

// Lengths of time in ms, for the periods the tabs offer.
constexpr qint64 minuteMs = 60 * 1000;
constexpr qint64 hourMs = 60 * minuteMs;
constexpr qint64 dayMs = 24 * hourMs;

} // namespace diagnostics
