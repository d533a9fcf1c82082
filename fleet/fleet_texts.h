#pragma once

#include <QString>

// The fleet window's words that are not the status page's: in context "Fleet". The status
// page's captions come from context "Serial".
namespace fleet {

// A status-page caption in the current language, without its trailing colon.
QString serialCaption(const char *source);

// "14:03:22" today, "2026-12-06 14:03" before; local time.
QString clockText(qint64 msSince1970, qint64 now);
// "5 s", "3 min", "2 h", "4 d".
QString ageText(qint64 ms);
// A temperature as received; "—" for none, 无效 (invalid) for infinity (a number beyond sense).
QString numberText(double value);
QString onOffText(bool on);

} // namespace fleet
