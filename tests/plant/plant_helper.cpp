// A program that runs the plant link from the settings file it is given, for tests that kill it.
#include "plant/plant_link.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    if (argc < 2)
        return 2;
    plant::PlantLink link(QString::fromLocal8Bit(argv[1]), QStringLiteral("helper"),
                          QStringLiteral("tty"));
    QObject::connect(&link, &plant::PlantLink::stateLineChanged, [](const QString &line) {
        std::printf("%s\n", line.toUtf8().constData());
        std::fflush(stdout);
    });
    link.updateStatus(protocol::DeviceState{}, {});
    return app.exec();
}
