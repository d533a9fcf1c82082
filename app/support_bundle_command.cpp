#include "app/support_bundle_command.h"

#include "app/command_job.h"
#include "service/about.h"
#include "service/bundle.h"
#include "service/texts.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QString>
#include <QTranslator>

#include <cstdio>

int runSupportBundleCommand(const CommandLine &line, int argc, char **argv) {
    // Before anything is written: a signal from here on cancels and cleans up.
    const StopSignals stopSignals;
    // Qt Sql needs an application object; no window and no display.
    QCoreApplication application(argc, argv);
    QTranslator translator;
    useLanguagePreference(translator);

    const QString file = typedPath(line.file);
    const service::Period period = *service::periodFromArgument(line.since);

    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    service::BundleInput input;
    input.outputPath = file;
    input.since = service::periodStart(period, now);
    input.about.madeAt = now;
    input.about.madeBy = QStringLiteral("command line");
    input.about.period = service::periodName(period);

    // On a thread of its own, so that this one can watch for a signal meanwhile.
    service::BundleProgress progress;
    service::BundleResult result;
    runWatched([&input, &progress, &result] { result = writeBundle(input, progress); },
               progress.cancel);
    if (result.outcome == service::BundleResult::Written) {
        // Complete before the signal was seen: it stands, and is said.
        sayLine(stdout, service::Texts::tr("诊断包已写入 %1 (%2 个文件)")
                            .arg(QDir::toNativeSeparators(QDir::cleanPath(file)))
                            .arg(result.entries.size()));
        if (StopSignals::caught() != 0)
            StopSignals::endBySignal();
        return 0;
    }
    if (StopSignals::caught() != 0) {
        sayLine(stderr,
                QStringLiteral("laser-host: ") +
                    CommandLineTexts::tr("诊断包未写入: 被信号 %1 中止, 已开始写的文件已删除")
                        .arg(StopSignals::caught()));
        StopSignals::endBySignal();
    }
    sayLine(stderr, QStringLiteral("laser-host: ") +
                        CommandLineTexts::tr("诊断包未写入: %1").arg(result.error));
    return 1;
}
