#include "ui/serial.h"

#include <QApplication>

int main(int argc, char *argv[]) {
    QApplication application(argc, argv);
    Serial window;
    window.show();
    return application.exec();
}
