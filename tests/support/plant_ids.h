#pragma once

#include "support/table.h"

#include <QString>

#include <utility>

// One table of ids for both programs: the host refuses every invalid one as its laser_id, the
// fleet every message under it. No row holds a line end.
inline void addPlantIdRows() {
    fixture::columns<QString, bool>("id", "valid");
    using Row = std::pair<const char *, const char *>;
    for (const Row &row : {Row{"plain", "cutter-7"}, Row{"Chinese", "切割机-7"},
                           Row{"a composed accent", "caf\u00e9"}})
        QTest::newRow(row.first) << QString::fromUtf8(row.second) << true;
    for (const Row &row :
         {Row{"empty", ""}, Row{"a level", "hall/7"}, Row{"a wildcard", "cutter+7"},
          Row{"a space", "cutter 7"}, Row{"a no-break space", "cutter\u00a07"},
          Row{"a leading blank", " cutter-7"}, Row{"Hangul filler", "cutter-7\u3164"},
          Row{"Braille blank", "cutter-7\u2800"}, Row{"Hangul choseong filler", "cutter-7\u115f"},
          Row{"grapheme joiner", "cutter-7\u034f"}, Row{"variation selector", "cutter-7\ufe0f"},
          Row{"direction override", "cutter-\u202e7"}, Row{"next line U+0085", "cutter\u0085"},
          Row{"a control", "cutter\x01"}, Row{"private use", "cutter\ue000"},
          Row{"broken UTF-8", "cutter\ufffd"}, Row{"a decomposed accent", "cafe\u0301"},
          Row{"a mark with nothing before it", "\u0301cutter"}})
        QTest::newRow(row.first) << QString::fromUtf8(row.second) << false;
    // Look-alike letters: each word in one of Latin, Greek and Cyrillic.
    for (const Row &row : {Row{"a Cyrillic c among Latin", "\u0441utter"},
                           Row{"a Greek o among Latin", "cutt\u03bfr"}})
        QTest::newRow(row.first) << QString::fromUtf8(row.second) << false;
    QTest::newRow("a Cyrillic word, a Latin one") << QString::fromUtf8("резак-COM3") << true;
    QTest::newRow("129 characters") << QString(129, QLatin1Char('x')) << false;
    QTest::newRow("128 characters of two units each")
        << QString::fromUtf8("\U0001F525").repeated(128) << true;
}
