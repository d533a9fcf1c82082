#pragma once

#include "history/notice.h"

#include <QString>

namespace history {
class Recorder;
}

// The history's own state as the window shows it (status line, Link tab), in the operator's
// language: context "History" in both catalogues.
namespace diagnostics {

QString noticeText(const history::Notice &notice);
// The troubles going on, or else the last notice (a recovery and what it cost); empty while
// nothing was ever said.
QString historyStateText(const history::Recorder &recorder);
// "12.3 MiB", or "-" before the first measurement.
QString sizeText(qint64 bytes);

} // namespace diagnostics
