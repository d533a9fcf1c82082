#include "app/alarm_report_command.h"
#include "app/support_bundle_command.h"
#include "common/command_line.h"
#include "common/pixel_sizes.h"
#include "common/signal_exit.h"
#include "ui/serial.h"

#include <QApplication>

#include <optional>

int main(int argc, char *argv[]) {
    // Before anything is opened or written: a closed or broken standard error must neither end
    // the program nor lend its number to the display's connection.
    guardStandardStreams();
    // Every argument is checked before anything starts; only a plain start opens the window.
    const CommandLine line = readCommandLine(Program::Host, argc, argv);
    if (line.action == CommandLine::SupportBundle)
        return runSupportBundleCommand(line, argc, argv);
    if (line.action == CommandLine::AlarmReport)
        return runAlarmReportCommand(line, argc, argv);
    if (line.action != CommandLine::Window)
        return sayCommandLine(Program::Host, line, argc, argv);
    keepFormPixelSizes();
    std::optional<WindowStart> start(std::in_place, Program::Host);
    QApplication application(argc, argv);
    start.reset();
    const SignalExit signalExit;
    Serial window;
    window.show();
    return application.exec();
}
