#pragma once

#include "events/alarm_figures.h"
#include "history/alarm_report_reader.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// The alarm report in words, in the current language (context "AlarmReport"): the same lines for
// the Report tab, the CSV file and the printable page.
namespace service {

class ReportTexts {
    Q_DECLARE_TR_FUNCTIONS(AlarmReport)
};

// The periods as the window and the command line name them: "24h", "7d", "30d", "90d", "all".
enum class ReportSpan { Day, Week, Month, Quarter, All };
std::optional<ReportSpan> reportSpanFromArgument(const QString &argument);
QString reportSpanArgument(ReportSpan span);
QString reportSpanText(ReportSpan span); // 最近24小时, ...
qint64 reportSpanMs(ReportSpan span);    // 0 for All
// The last `span` up to `now`: whole hours, the hour under way the last of them.
history::ReportRequest spanRequest(ReportSpan span, qint64 now);

// One line of the overall figures: what, how much, and its reference line where it has one,
// with the verdict: 在参考线内 / 超出参考线, or 无数据 when the period watched nothing (no link
// up, no rise: nothing is "within" then).
struct FigureLine {
    QString label;
    QString value;
    QString reference; // empty: none
    bool out = false;  // beyond the reference
    QString verdict;   // empty when there is no reference
};
std::vector<FigureLine> overallLines(const events::PeriodFigures &figures);

// The alarms' table: its header, and a row's cells. `forPeople`: durations as words ("2 小时
// 05 分"), else as seconds (a spreadsheet's numbers; the header says so).
QStringList alarmHeader(bool forPeople);
QStringList alarmCells(const events::AlarmFigures &alarm, bool forPeople);
// The alarm in the operator's words ("水冷机警报"), and its key.
QString alarmName(const QString &key);

// What the report could not count as it was, and where the history ends: one sentence each.
QStringList reportNotes(const events::PeriodFigures &figures);
// "2026-12-06 15:00 – 2026-12-07 15:00" (local time) and the title.
QString periodText(const events::PeriodFigures &figures);
QString reportTitle();
QString timeText(qint64 ms);

} // namespace service
