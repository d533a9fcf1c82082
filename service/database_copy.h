#pragma once

#include <QString>

#include <atomic>
#include <functional>

// A consistent copy of an SQLite database while another program keeps writing to it, taken in
// steps small enough that a cancel takes effect within a fraction of a second. The source is
// attached read-only and read in one read transaction, so the copy holds one moment of it and,
// the database being in WAL mode, the writer is never held up. Qt Sql only: no second binding of
// SQLite beside the one Qt's driver brings.
namespace service {

enum class CopyOutcome { Copied, Cancelled, Failed };

// Copies `source` into `target`, an absolute path to an empty or missing file that the caller
// removes afterwards whatever the outcome (no journal is kept beside it). `progress` is told the
// share of the rows copied (0 to 1) after each step; `cancel` is looked at between steps.
CopyOutcome copyDatabase(const QString &source, const QString &target,
                         const std::atomic<bool> &cancel,
                         const std::function<void(double)> &progress, QString *error);

} // namespace service
