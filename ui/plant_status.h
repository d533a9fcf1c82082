#pragma once

#include <QString>

class QMainWindow;

namespace plant {
class PlantLink;
}

// Starts the plant link when config/plant.ini exists, as a child of the window, and shows its
// state line as a permanent label of the status bar. Returns null, and adds nothing, when
// there is no such file.
plant::PlantLink *startPlantLink(QMainWindow &window, const QString &portName);
