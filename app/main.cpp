#include "app/pixel_sizes.h"
#include "app/support_bundle_command.h"
#include "app/signal_exit.h"
#include "ui/serial.h"

#include <QApplication>

int main(int argc, char *argv[]) {
    // A support bundle from the command line needs no window (and no display).
    if (const std::optional<int> status = runSupportBundleCommand(argc, argv))
        return *status;
    keepFormPixelSizes();
    QApplication application(argc, argv);
    const SignalExit signalExit;
    Serial window;
    window.show();
    return application.exec();
}
