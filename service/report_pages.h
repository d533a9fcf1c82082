#pragma once

#include "events/alarm_figures.h"
#include "service/report_words.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

// The alarm report as files: CSV (one file, a section per table) and a printable page (HTML,
// UTF-8, the top alarms as an SVG bar chart that prints as it shows), and how either is written.
namespace service {

QString reportCsv(const events::PeriodFigures &figures);
QByteArray reportHtml(const events::PeriodFigures &figures);
// The alarms of the chart: the ten with the most rises (that rose at all).
std::vector<events::AlarmFigures> topAlarms(const events::PeriodFigures &figures);

// CSV for a name ending in .csv, the page for .html or .htm (any case); nothing for another.
enum class ReportFormat { Csv, Html };
std::optional<ReportFormat> reportFormatFor(const QString &fileName);
QByteArray reportFile(const events::PeriodFigures &figures, ReportFormat format);

// Writes a report as the support bundle writes its archive: to a temporary file beside it,
// renamed into place only when complete, so a full disk or a failure leaves nothing under
// `path`; never over something that is not a plain file (a folder, a device, a pipe), nor
// anywhere in `logDir` or `configDir`, links followed. False with the reason.
bool writeReportFile(const QString &path, const QByteArray &bytes, const QString &logDir,
                     const QString &configDir, QString *error);

// The command line's job: the report of the last `span` up to `now` of the history in `logDir`,
// written to `path` (CSV or the page, by its name). Written, or why not: no history there (the
// working directory is named), cancelled, the history unreadable, the file refused or failed.
enum class ReportJob { Written, NoHistory, Cancelled, Failed };
ReportJob writeSpanReport(const QString &logDir, ReportSpan span, qint64 now, const QString &path,
                          const std::function<bool()> &cancelled, QString *error);

// The report of a support bundle's period (from `since`, 0: all, to `now`) of the history at
// `database`, as CSV; empty with the reason when it could not be read.
QByteArray bundleReport(const QString &database, qint64 since, qint64 now,
                        const std::function<bool()> &cancelled, QString *error);

} // namespace service
