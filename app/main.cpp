#include "app/pixel_sizes.h"
#include "app/signal_exit.h"
#include "ui/serial.h"

#include <QApplication>

int main(int argc, char *argv[]) {
    keepFormPixelSizes();
    QApplication application(argc, argv);
    const SignalExit signalExit;
    Serial window;
    window.show();
    return application.exec();
}
