// laser-fleet: every laser on the plant's broker in one window. Reads config/plant.ini and
// config/language.gl and the catalogues in language/, relative to the working directory.
#include "common/command_line.h"
#include "common/signal_exit.h"
#include "fleet/fleet_window.h"
#include "plant/config.h"
#include "plant/fleet_link.h"

#include <QApplication>
#include <QSysInfo>

#include <optional>

int main(int argc, char *argv[]) {
    // Before anything is opened or written: a closed or broken standard error must neither end
    // the program nor lend its number to the display's connection.
    guardStandardStreams();
    // Every argument is checked before anything starts; only a plain start opens the window.
    const CommandLine line = readCommandLine(Program::Fleet, argc, argv);
    if (line.action != CommandLine::Window)
        return sayCommandLine(Program::Fleet, line, argc, argv);
    std::optional<WindowStart> start(std::in_place, Program::Fleet);
    QApplication application(argc, argv);
    start.reset();
    // SIGTERM and SIGINT end it as closing the window does, then by that signal.
    const SignalExit signalExit;
    // Outlives the window: its destructor closes the broker connection last.
    plant::FleetLink link(plant::configPath(), QSysInfo::machineHostName());
    fleet::FleetWindow window(&link);
    window.show();
    return application.exec();
}
