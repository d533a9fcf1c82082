#include "service/alarm_summary.h"

#include "history/alarm_report_reader.h"
#include "service/report_words.h"

namespace service {

bool readAlarmSummary(const QString &path, qint64 now, plant::AlarmSummary *summary, QString *error,
                      const std::function<bool()> &cancelled) {
    summary->at = now;
    const ReportSpan spans[plant::summarySpans] = {ReportSpan::Day, ReportSpan::Week};
    for (int span = 0; span < plant::summarySpans; ++span) {
        events::PeriodFigures figures;
        const history::ReportOutcome outcome = history::readPeriodFigures(
            path, spanRequest(spans[span], now), &figures, error, cancelled);
        if (outcome == history::ReportOutcome::Cancelled ||
            outcome == history::ReportOutcome::Failed)
            return false;
        // No history (none made yet, or its folder unusable) is no data, not a week without
        // alarms: no summary then, rather than one of zero rises.
        if (outcome == history::ReportOutcome::NoDatabase) {
            *error = QStringLiteral("no history at %1").arg(path);
            return false;
        }
        summary->periods[size_t(span)] = plant::summaryPeriod(figures);
    }
    return true;
}

} // namespace service
