#include "service/report_pages.h"

#include "history/alarm_report_reader.h"
#include "history/csv.h"
#include "service/bundle_paths.h"
#include "service/report_words.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>

#include <algorithm>

namespace service {

namespace {

using events::AlarmFigures;
using events::PeriodFigures;

QString escaped(const QString &text) {
    return text.toHtmlEscaped();
}

QString row(const QStringList &cells, const char *tag = "td", const QString &cls = QString()) {
    QString out =
        cls.isEmpty() ? QStringLiteral("<tr>") : QStringLiteral("<tr class=\"%1\">").arg(cls);
    for (const QString &c : cells)
        out += QStringLiteral("<%1>%2</%1>").arg(QLatin1String(tag), escaped(c));
    return out + QStringLiteral("</tr>\n");
}

// Horizontal bars, one an alarm, its rises at the end of the bar.
QString chartSvg(const std::vector<AlarmFigures> &top) {
    const int labelWidth = 260, barWidth = 380, rowHeight = 26;
    const int height = std::max<int>(1, int(top.size())) * rowHeight + 8;
    qint64 most = 1;
    for (const AlarmFigures &a : top)
        most = std::max(most, a.rises);
    QString svg = QStringLiteral("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%1\" "
                                 "height=\"%2\" role=\"img\" aria-label=\"%3\">\n")
                      .arg(labelWidth + barWidth + 80)
                      .arg(height)
                      .arg(escaped(ReportTexts::tr("出现最多的报警")));
    int y = 4;
    for (const AlarmFigures &a : top) {
        const int w = std::max(1, int(double(a.rises) / double(most) * barWidth));
        svg += QStringLiteral("<text x=\"%1\" y=\"%2\" text-anchor=\"end\">%3</text>"
                              "<rect x=\"%4\" y=\"%5\" width=\"%6\" height=\"%7\" "
                              "fill=\"#3a6ea5\"/><text x=\"%8\" y=\"%2\">%9</text>\n")
                   .arg(labelWidth - 8)
                   .arg(y + 17)
                   .arg(escaped(alarmName(a.key)))
                   .arg(labelWidth)
                   .arg(y + 3)
                   .arg(w)
                   .arg(rowHeight - 6)
                   .arg(labelWidth + w + 6)
                   .arg(a.rises);
        y += rowHeight;
    }
    return svg + QStringLiteral("</svg>\n");
}

} // namespace

std::vector<AlarmFigures> topAlarms(const PeriodFigures &f) {
    std::vector<AlarmFigures> top;
    for (const AlarmFigures &a : f.alarms)
        if (a.rises > 0 && top.size() < 10)
            top.push_back(a);
    return top;
}

QString reportCsv(const PeriodFigures &f) {
    using history::csvLine;
    using history::csvRecord;
    QString text = csvLine({QStringLiteral("# ") + reportTitle()});
    text += csvLine({ReportTexts::tr("时段"), timeText(f.from), timeText(f.to)});
    text += csvRecord({history::csvField(ReportTexts::tr("时段 (毫秒, UTC)")),
                       QString::number(f.from), QString::number(f.to)});
    if (f.historyEnd > 0)
        text += csvLine({ReportTexts::tr("历史的最后一行"), timeText(f.historyEnd)});
    text += QStringLiteral("\r\n") +
            csvLine({QStringLiteral("# ") + ReportTexts::tr("总体"), ReportTexts::tr("数值"),
                     ReportTexts::tr("参考线"), ReportTexts::tr("判断")});
    for (const FigureLine &l : overallLines(f))
        text += csvLine({l.label, l.value, l.reference, l.verdict});
    QStringList header = alarmHeader(false);
    header.first().prepend(QStringLiteral("# "));
    text += QStringLiteral("\r\n") + csvLine(header);
    for (const AlarmFigures &a : f.alarms) {
        QStringList cells = alarmCells(a, false);
        // Names are text; the counts are the program's own numbers (csvRecord keeps them so).
        for (int i = 0; i < cells.size(); ++i)
            if (i < 2 || i == cells.size() - 1)
                cells[i] = history::csvField(cells[i]);
        text += csvRecord(cells);
    }
    text += QStringLiteral("\r\n") +
            csvLine({QStringLiteral("# ") + ReportTexts::tr("无法如实计数的情况与说明")});
    for (const QString &note : reportNotes(f))
        text += csvLine({note});
    return text;
}

QByteArray reportHtml(const PeriodFigures &f) {
    QString html = QStringLiteral(
        "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\">\n<title>%1</title>\n<style>\n"
        "body { font-family: sans-serif; margin: 1.5em; }\n"
        "table { border-collapse: collapse; margin-bottom: 1em; }\n"
        "th, td { border: 1px solid #999; padding: 2px 6px; text-align: left; }\n"
        "table.alarms { font-size: 90%; }\n"
        "table.alarms td { white-space: nowrap; }\n"
        "table.alarms td:nth-child(n+3) { text-align: right; }\n"
        "tr.out td { color: #b00000; font-weight: bold; }\n"
        "svg text { font-size: 13px; font-family: sans-serif; }\n"
        "@page { size: A4 landscape; margin: 12mm; }\n"
        "@media print { body { margin: 0; } h2 { page-break-after: avoid; } }\n"
        "</style></head><body>\n");
    html = html.arg(escaped(reportTitle()));
    html += QStringLiteral("<h1>%1</h1>\n<p>%2</p>\n")
                .arg(escaped(reportTitle()), escaped(periodText(f)));
    html += QStringLiteral("<h2>%1</h2>\n<table>\n").arg(escaped(ReportTexts::tr("总体")));
    html += row({ReportTexts::tr("项目"), ReportTexts::tr("数值"), ReportTexts::tr("参考线"),
                 ReportTexts::tr("判断")},
                "th");
    for (const FigureLine &l : overallLines(f))
        html += row({l.label, l.value, l.reference, l.verdict}, "td",
                    l.out ? QStringLiteral("out") : QString());
    html +=
        QStringLiteral("</table>\n<h2>%1</h2>\n").arg(escaped(ReportTexts::tr("出现最多的报警")));
    html += chartSvg(topAlarms(f));
    html += QStringLiteral("<h2>%1</h2>\n<table class=\"alarms\">\n")
                .arg(escaped(ReportTexts::tr("各报警")));
    html += row(alarmHeader(true), "th");
    for (const AlarmFigures &a : f.alarms)
        html += row(alarmCells(a, true), "td",
                    a.chatters > 0 || a.stale > 0 ? QStringLiteral("out") : QString());
    html += QStringLiteral("</table>\n<h2>%1</h2>\n<ul>\n")
                .arg(escaped(ReportTexts::tr("无法如实计数的情况与说明")));
    for (const QString &note : reportNotes(f))
        html += QStringLiteral("<li>%1</li>\n").arg(escaped(note));
    html += QStringLiteral("</ul>\n</body></html>\n");
    return html.toUtf8();
}

std::optional<ReportFormat> reportFormatFor(const QString &fileName) {
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == QLatin1String("csv"))
        return ReportFormat::Csv;
    if (suffix == QLatin1String("html") || suffix == QLatin1String("htm"))
        return ReportFormat::Html;
    return std::nullopt;
}

QByteArray reportFile(const PeriodFigures &figures, ReportFormat format) {
    // UTF-8 with its mark: a spreadsheet on Windows reads the CSV as UTF-8 only with it.
    return format == ReportFormat::Csv ? "\xEF\xBB\xBF" + reportCsv(figures).toUtf8()
                                       : reportHtml(figures);
}

bool writeReportFile(const QString &path, const QByteArray &bytes, const QString &logDir,
                     const QString &configDir, QString *error) {
    const QString shown = QDir::toNativeSeparators(path);
    // The support bundle's rule for its archive, which is renamed into place as this file is:
    // never over a folder, a device (as root, /dev/null would become a file) or a pipe, and
    // never anything of log/ or config/, nor a file a link there leads to.
    const QStringList chain = archiveNames(path);
    const QFileInfo target(chain.last());
    if (target.exists() && !target.isFile()) {
        *error = ReportTexts::tr("%1 已存在且不是普通文件; 报告不写在那里").arg(shown);
        return false;
    }
    if (std::any_of(chain.begin(), chain.end(), [&](const QString &name) {
            return isInFolder(name, logDir) || isInFolder(name, configDir);
        })) {
        *error =
            ReportTexts::tr("%1 在程序自己的 log 或 config 文件夹中; 报告不写在那里").arg(shown);
        return false;
    }
    QSaveFile file(path);
    // Written out before commit(), which would rename a file whose last bytes could not be
    // written (a full disk) into place all the same.
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush() ||
        file.error() != QFileDevice::NoError || !file.commit()) {
        *error = ReportTexts::tr("无法写入 %1: %2").arg(shown, file.errorString());
        file.cancelWriting();
        return false;
    }
    return true;
}

ReportJob writeSpanReport(const QString &logDir, ReportSpan span, qint64 now, const QString &path,
                          const std::function<bool()> &cancelled, QString *error) {
    PeriodFigures figures;
    const history::ReportOutcome outcome =
        history::readPeriodFigures(QDir(logDir).filePath(QStringLiteral("history.sqlite")),
                                   spanRequest(span, now), &figures, error, cancelled);
    if (outcome == history::ReportOutcome::NoDatabase) {
        // A report of nothing is most likely a command run in the wrong folder.
        *error = ReportTexts::tr("工作目录 %1 中没有历史 (log/history.sqlite)。请在程序的工作目录"
                                 "中运行。")
                     .arg(QDir::toNativeSeparators(QDir::currentPath()));
        return ReportJob::NoHistory;
    }
    if (outcome == history::ReportOutcome::Cancelled || (cancelled && cancelled()))
        return ReportJob::Cancelled;
    if (outcome != history::ReportOutcome::Ok)
        return ReportJob::Failed;
    return writeReportFile(path, reportFile(figures, *reportFormatFor(path)), logDir,
                           QStringLiteral("config"), error)
               ? ReportJob::Written
               : ReportJob::Failed;
}

QByteArray bundleReport(const QString &database, qint64 since, qint64 now,
                        const std::function<bool()> &cancelled, QString *error) {
    const history::ReportRequest request = history::alignedRequest(
        since > 0 ? since : history::ReportRequest::sinceTheStart, now + 1, now);
    PeriodFigures figures;
    if (history::readPeriodFigures(database, request, &figures, error, cancelled) !=
        history::ReportOutcome::Ok)
        return QByteArray();
    return reportFile(figures, ReportFormat::Csv);
}

} // namespace service
