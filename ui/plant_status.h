#pragma once

#include <QString>

class QMainWindow;

namespace diagnostics {
class Diagnostics;
}
namespace history {
class Recorder;
}
namespace plant {
class PlantLink;
}

// Publishes the recorder's events (each once it is on disk, with its row id, kept in the
// history's outbox until the broker has it) and samples through `link`.
void feedFromHistory(plant::PlantLink &link, history::Recorder &recorder);

// Ends the link (null: none) after the recorder's finish(), with the run's last rows sent.
void endPlantLink(plant::PlantLink *link, history::Recorder &recorder);

// Starts the plant link when config/plant.ini exists, as a child of the window: shows its state
// line as a permanent label of the status bar and in the diagnostics window, and publishes the
// recorder's events and samples. Returns null, and adds nothing, when there is no such file.
plant::PlantLink *startPlantLink(QMainWindow &window, const QString &portName,
                                 history::Recorder &recorder,
                                 diagnostics::Diagnostics &diagnostics);
