#include "ui/plant_status.h"

#include "plant/plant_link.h"

#include <QFileInfo>
#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>
#include <QSysInfo>

plant::PlantLink *startPlantLink(QMainWindow &window, const QString &portName) {
    if (!QFileInfo::exists(plant::configPath()))
        return nullptr;
    auto *link =
        new plant::PlantLink(plant::configPath(), QSysInfo::machineHostName(), portName, &window);
    auto *label = new QLabel(link->stateLine(), &window);
    label->setObjectName(QStringLiteral("plantLinkState"));
    window.statusBar()->addPermanentWidget(label);
    QObject::connect(link, &plant::PlantLink::stateLineChanged, label, &QLabel::setText);
    return link;
}
