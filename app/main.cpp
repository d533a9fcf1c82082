#include "app/pixel_sizes.h"
#include "ui/serial.h"

#include <QApplication>

int main(int argc, char *argv[]) {
    keepFormPixelSizes();
    QApplication application(argc, argv);
    Serial window;
    window.show();
    return application.exec();
}
