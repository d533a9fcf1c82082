#include "app/alarm_report_command.h"

#include "app/command_job.h"
#include "history/alarm_report_reader.h"
#include "service/report_pages.h"
#include "service/report_words.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QTranslator>

#include <cstdio>

int runAlarmReportCommand(const CommandLine &line, int argc, char **argv) {
    // Before anything is written: a signal from here on cancels and cleans up.
    const StopSignals stopSignals;
    // Qt Sql needs an application object; no window and no display.
    QCoreApplication application(argc, argv);
    QTranslator translator;
    useLanguagePreference(translator);

    const QString file = typedPath(line.file);
    const QString logDir = QStringLiteral("log");
    const service::ReportSpan span = *service::reportSpanFromArgument(line.since);
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    const history::ReportRequest request = service::spanRequest(span, now);

    std::atomic<bool> cancel{false};
    bool written = false;
    QString error;
    runWatched(
        [&] {
            events::PeriodFigures figures;
            const history::ReportOutcome outcome =
                history::readPeriodFigures(logDir + QStringLiteral("/history.sqlite"), request,
                                           &figures, &error, [&cancel] { return cancel.load(); });
            if (outcome == history::ReportOutcome::NoDatabase)
                // A report of nothing is most likely a command run in the wrong folder.
                error = CommandLineTexts::tr("工作目录 %1 中没有历史 (log/history.sqlite)。"
                                             "请在程序的工作目录中运行。")
                            .arg(QDir::toNativeSeparators(QDir::currentPath()));
            if (outcome != history::ReportOutcome::Ok || cancel)
                return;
            written = service::writeReportFile(
                file, service::reportFile(figures, *service::reportFormatFor(file)), logDir,
                &error);
        },
        cancel);
    if (written) {
        // Complete before the signal was seen: it stands, and is said.
        sayLine(stdout, CommandLineTexts::tr("报警报告已写入 %1")
                            .arg(QDir::toNativeSeparators(QDir::cleanPath(file))));
        if (StopSignals::caught() != 0)
            StopSignals::endBySignal();
        return 0;
    }
    if (StopSignals::caught() != 0) {
        sayLine(
            stderr,
            QStringLiteral("laser-host: ") +
                CommandLineTexts::tr("报警报告未写入: 被信号 %1 中止").arg(StopSignals::caught()));
        StopSignals::endBySignal();
    }
    sayLine(stderr,
            QStringLiteral("laser-host: ") + CommandLineTexts::tr("报警报告未写入: %1").arg(error));
    return 1;
}
