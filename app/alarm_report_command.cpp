#include "app/alarm_report_command.h"

#include "app/command_job.h"
#include "service/report_pages.h"

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
    const service::ReportSpan span = *service::reportSpanFromArgument(line.since);
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    std::atomic<bool> cancel{false};
    service::ReportJob job = service::ReportJob::Failed;
    QString error;
    runWatched(
        [&] {
            job = service::writeSpanReport(
                QStringLiteral("log"), span, now, file, [&cancel] { return cancel.load(); },
                &error);
        },
        cancel);
    const bool written = job == service::ReportJob::Written;
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
