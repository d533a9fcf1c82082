#include "ui/plant_status.h"

#include "history/recorder.h"
#include "plant/plant_link.h"
#include "ui/diagnostics/diagnostics_window.h"

#include <QFileInfo>
#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>
#include <QSysInfo>

plant::PlantLink *startPlantLink(QMainWindow &window, const QString &portName,
                                 history::Recorder &recorder,
                                 diagnostics::Diagnostics &diagnostics) {
    if (!QFileInfo::exists(plant::configPath()))
        return nullptr;
    auto *link =
        new plant::PlantLink(plant::configPath(), QSysInfo::machineHostName(), portName, &window);
    auto *label = new QLabel(link->stateLine(), &window);
    label->setObjectName(QStringLiteral("plantLinkState"));
    window.statusBar()->addPermanentWidget(label);
    QObject::connect(link, &plant::PlantLink::stateLineChanged, label, &QLabel::setText);
    diagnostics.setPlantLine(link->stateLine());
    QObject::connect(link, &plant::PlantLink::stateLineChanged, &diagnostics,
                     &diagnostics::Diagnostics::setPlantLine);
    // Every history row and sample goes to the broker too.
    QObject::connect(&recorder, &history::Recorder::eventRecorded, link,
                     &plant::PlantLink::publishEvent);
    QObject::connect(&recorder, &history::Recorder::sampleRecorded, link,
                     &plant::PlantLink::publishSample);
    return link;
}
