#pragma once

#include "history/csv.h"

#include <QString>

class QAbstractItemModel;

namespace diagnostics {

// The cells themselves are written by the history's CSV helper, the one place that does.
using history::csvField;
using history::csvLine;
using history::csvRecord;
using history::looksLikeFormula;
using history::writeTextFile;

// The header and every row the model holds (display texts), in its order.
QString modelToCsv(const QAbstractItemModel &model);

} // namespace diagnostics
