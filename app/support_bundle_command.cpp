#include "app/support_bundle_command.h"

#include "service/about.h"
#include "service/bundle.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QString>

#include <cstdio>
#include <cstring>

namespace {

int usage(const char *why) {
    std::fprintf(stderr,
                 "laser-host: %s\nusage: laser-host --support-bundle FILE [--since 1h|1d|7d|all]\n",
                 why);
    return 2;
}

} // namespace

std::optional<int> runSupportBundleCommand(int argc, char **argv) {
    bool asked = false;
    for (int i = 1; i < argc; ++i)
        asked = asked || std::strcmp(argv[i], "--support-bundle") == 0;
    if (!asked)
        return std::nullopt;

    QString file;
    QString since = QStringLiteral("1d");
    for (int i = 1; i < argc; ++i) {
        const QByteArray name(argv[i]);
        if (name != "--support-bundle" && name != "--since")
            return usage("unexpected argument");
        if (i + 1 >= argc)
            return usage("an option without its value");
        (name == "--since" ? since : file) = QString::fromLocal8Bit(argv[++i]);
    }
    if (file.isEmpty())
        return usage("--support-bundle needs a file name");
    const std::optional<service::Period> period = service::periodFromArgument(since);
    if (!period)
        return usage("--since takes 1h, 1d, 7d or all");

    // Qt Sql needs an application object; no window and no display.
    QCoreApplication application(argc, argv);
    // The launcher starts the program in its data folder; a relative name means the folder the
    // command was typed in.
    const QString caller = qEnvironmentVariable("LASER_HOST_CALLER_DIR");
    if (QDir::isRelativePath(file) && !caller.isEmpty())
        file = QDir(caller).filePath(file);

    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    service::BundleInput input;
    input.outputPath = file;
    input.since = service::periodStart(*period, now);
    input.about.madeAt = now;
    input.about.madeBy = QStringLiteral("command line");
    input.about.period = service::periodName(*period);
    service::BundleProgress progress;
    const service::BundleResult result = service::writeBundle(input, progress);
    if (result.outcome != service::BundleResult::Written) {
        std::fprintf(stderr, "laser-host: support bundle not written: %s\n",
                     qPrintable(result.error));
        return 1;
    }
    std::printf("support bundle written: %s (%d files)\n", qPrintable(QDir::cleanPath(file)),
                int(result.entries.size()));
    return 0;
}
