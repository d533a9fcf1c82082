#pragma once

#include "support/table.h"

#include <QString>

// One table of ids for both programs: the host refuses every invalid one as its laser_id, the
// fleet every message under it. Written one line each: no row holds a line end.
inline void addPlantIdRows() {
    fixture::columns<QString, bool>("id", "valid");
    const auto row = [](const char *tag, const char *utf8, bool valid) {
        QTest::newRow(tag) << QString::fromUtf8(utf8) << valid;
    };
    row("plain", "cutter-7", true);
    row("dots and underscores", "Halle_2.Laser-07", true);
    row("Chinese", "切割机-7", true);
    row("composed accent", "caf\u00e9", true);
    row("a pair of surrogates", "laser-\U0001F525", true);
    row("empty", "", false);
    row("a level", "hall/7", false);
    row("a wildcard", "cutter+7", false);
    row("a wildcard at the end", "cutter#", false);
    row("a space inside", "cutter 7", false);
    row("a no-break space inside", "cutter\u00a07", false);
    row("a leading blank", " cutter-7", false);
    row("a trailing blank", "cutter-7 ", false);
    row("ideographic space", "cutter\u30007", false);
    row("Hangul filler", "cutter-7\u3164", false);
    row("Braille blank", "cutter-7\u2800", false);
    row("Hangul choseong filler", "cutter-7\u115f", false);
    row("combining grapheme joiner", "cutter-7\u034f", false);
    row("variation selector", "cutter-7\ufe0f", false);
    row("zero-width space", "cutter\u200b-7", false);
    row("direction override", "cutter-\u202e7", false);
    row("next line U+0085", "cutter\u0085", false);
    row("a control", "cutter\x01", false);
    row("a tag character", "cutter\U000E0041", false);
    row("private use", "cutter\ue000", false);
    row("broken UTF-8", "cutter\ufffd", false);
    row("decomposed accent", "cafe\u0301", false);
    row("a mark with nothing before it", "\u0301cutter", false);
    QTest::newRow("128 characters") << QString(128, QLatin1Char('x')) << true;
    QTest::newRow("129 characters") << QString(129, QLatin1Char('x')) << false;
    QTest::newRow("100 characters of two units each")
        << QString::fromUtf8("\U0001F525").repeated(100) << true;
}
