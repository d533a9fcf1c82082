#pragma once

#include <QString>

// The simulator's log on standard error, a line each, stamped with the local wall time
// (logLine in scenario.h).
namespace ccbsim {

enum class Verbosity { Quiet, Normal, Verbose };

class SimLog {
public:
    explicit SimLog(Verbosity verbosity) : level(verbosity) {}

    Verbosity verbosity() const { return level; }
    bool verbose() const { return level == Verbosity::Verbose; }
    // Said unless quiet.
    void log(const QString &text) const;
    // Said whatever the verbosity, after "error: ".
    void error(const QString &text) const;
    // Said whatever the verbosity.
    void always(const QString &text) const;

private:
    Verbosity level;
};

} // namespace ccbsim
