#include "tools/ccb_sim/sim_log.h"

#include "tools/ccb_sim/scenario.h"

#include <QTime>

#include <cstdio>

namespace ccbsim {

void SimLog::log(const QString &text) const {
    if (level == Verbosity::Quiet)
        return;
    always(text);
}

void SimLog::error(const QString &text) const {
    always(QStringLiteral("error: ") + text);
}

void SimLog::always(const QString &text) const {
    std::fprintf(stderr, "%s\n", qPrintable(ccbsim::logLine(QTime::currentTime(), text)));
    std::fflush(stderr);
}

} // namespace ccbsim
