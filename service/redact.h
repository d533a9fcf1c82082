#pragma once

#include "plant/config.h"

#include <QByteArray>
#include <QVector>

// The plant link's settings file as a support bundle carries it: rebuilt from what is known to
// be safe, never scrubbed.
namespace service {

// The plant link reads no more of the file than this; neither does the bundle.
constexpr int plantConfigReadLimit = plant::largestConfigBytes;

struct RebuiltConfig {
    QByteArray text;
    QVector<int> leftOut; // the numbers of the lines left out
};

// One line out for every line in (all three line ends count), so a line number the plant link
// names is the same line here: a blank line stays blank, [mqtt] stays, a known key that holds
// no secret is written as `key = value` with its value in its strict form (a url rebuilt from
// its scheme, host and port), and every other line becomes `# line N left out`. Remarks at the
// end name what a url had besides and how many lines were left out. Bytes beyond
// plantConfigReadLimit are left out too (the last line cut there with them).
RebuiltConfig rebuiltPlantConfig(const QByteArray &bytes);

// config/language.gl as the bundle carries it: "language = english" (or chinese) as the program
// reads it, or a remark that it gives none; nothing else of the file.
QByteArray rebuiltLanguageFile(const QByteArray &bytes);

} // namespace service
