#include "ui/plant_status.h"

#include "history/recorder.h"
#include "plant/plant_link.h"
#include "ui/diagnostics/diagnostics_window.h"
#include "ui/plant_summary.h"

#include <QEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>
#include <QSysInfo>

namespace {

// Shows the state line again in the language just chosen.
class LanguageFollower : public QObject {
public:
    LanguageFollower(QMainWindow &window, plant::PlantLink &link, QLabel &label,
                     diagnostics::Diagnostics &diagnostics)
        : QObject(&link), link(link), label(label), diagnostics(diagnostics) {
        window.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::LanguageChange) {
            label.setText(link.stateLine());
            diagnostics.setPlantLine(link.linkTabText());
        }
        return QObject::eventFilter(watched, event);
    }

private:
    plant::PlantLink &link;
    QLabel &label;
    diagnostics::Diagnostics &diagnostics;
};

} // namespace

plant::PlantLink *startPlantLink(QMainWindow &window, const QString &portName,
                                 history::Recorder &recorder,
                                 diagnostics::Diagnostics &diagnostics) {
    if (!QFileInfo::exists(plant::configPath()))
        return nullptr;
    auto *link =
        new plant::PlantLink(plant::configPath(), QSysInfo::machineHostName(), portName, &window);
    auto *label = new QLabel(link->stateLine(), &window);
    label->setObjectName(QStringLiteral("plantLinkState"));
    // The line may hold what the broker or the library said: never read as markup.
    label->setTextFormat(Qt::PlainText);
    window.statusBar()->addPermanentWidget(label);
    QObject::connect(link, &plant::PlantLink::stateLineChanged, label, &QLabel::setText);
    // The Link tab adds the client certificate's dates on a line of their own.
    diagnostics.setPlantLine(link->linkTabText());
    QObject::connect(link, &plant::PlantLink::reportChanged, &diagnostics,
                     [link, &diagnostics, shown = link->linkTabText()]() mutable {
                         if (link->linkTabText() != shown)
                             diagnostics.setPlantLine(shown = link->linkTabText());
                     });
    new LanguageFollower(window, *link, *label, diagnostics);
    // Every history row and sample goes to the broker too.
    QObject::connect(&recorder, &history::Recorder::eventRecorded, link,
                     &plant::PlantLink::publishEvent);
    QObject::connect(&recorder, &history::Recorder::sampleRecorded, link,
                     &plant::PlantLink::publishSample);
    // The alarm summary of the last 24 h and 7 d, read from the history off this thread.
    if (!link->laserId().isEmpty())
        new PlantSummary(*link, recorder, QStringLiteral("log/history.sqlite"), link);
    return link;
}
