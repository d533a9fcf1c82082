#pragma once

#include "events/records.h"

#include <QtGlobal>

#include <optional>

// The history's clock rows: a jump of the wall clock, category "clock", name "jump", value
// "forward" or "back", at the time the clock jumped to, detail "<from> -> <to>" in UTC
// ("2026-12-07 14:37:45 UTC -> 2036-12-07 14:37:45 UTC"). The history writes them; the alarm
// report reads them back and counts no time across a jump.
namespace events {

struct ClockJumpRow {
    qint64 from = 0; // ms since 1970: where the clock should have been
    qint64 to = 0;   // where it was (the row's time)
};

Event clockJumpRow(qint64 from, qint64 to);
// A clock row whose detail does not read as a jump is none.
std::optional<ClockJumpRow> readClockJumpRow(const Event &row);

} // namespace events
