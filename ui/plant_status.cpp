#include "ui/plant_status.h"

#include "history/outbox.h"
#include "history/recorder.h"
#include "plant/plant_link.h"
#include "ui/diagnostics/diagnostics_window.h"
#include "ui/plant_summary.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>
#include <QSysInfo>

#include <memory>

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

void feedFromHistory(plant::PlantLink &link, history::Recorder &recorder) {
    // Every history row goes to the broker once it is on disk, with its row id; the history's
    // outbox keeps it until the broker has it (sent late after an outage or a restart).
    if (!link.laserId().isEmpty()) {
        recorder.keepForPlant(link.laserId());
        auto outbox = std::make_shared<std::unique_ptr<history::Outbox>>();
        const QString path = recorder.databasePath();
        const QString laser = link.laserId();
        // Made on first use, on the link's thread that uses it (and drops it at its stop).
        const auto box = [outbox, path, laser]() -> history::Outbox & {
            if (!*outbox)
                *outbox = std::make_unique<history::Outbox>(path, laser);
            return **outbox;
        };
        plant::OutboxAccess access;
        access.read = [box](qint64 after, int limit, std::vector<events::StoredEvent> *out,
                            qint64 *last, int *gone, QString *error) {
            return box().read(after, limit, out, last, gone, error);
        };
        access.remove = [box](const std::vector<qint64> &ids, QString *error) {
            return box().remove(ids, error);
        };
        access.count = [box] { return box().count(); };
        link.setOutbox(access);
    }
    QObject::connect(&recorder, &history::Recorder::eventStored, &link,
                     &plant::PlantLink::publishStored);
    QObject::connect(&recorder, &history::Recorder::sampleRecorded, &link,
                     &plant::PlantLink::publishSample);
}

void endPlantLink(plant::PlantLink *link, history::Recorder &recorder) {
    if (!link)
        return;
    // The run's last rows, written by the recorder's finish (its closed row), are handed to the
    // link before its goodbye: their word that they are on disk waits in this thread's queue.
    QCoreApplication::sendPostedEvents(&recorder, QEvent::MetaCall);
    link->stop();
}

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
    feedFromHistory(*link, recorder);
    // The alarm summary of the last 24 h and 7 d, read from the history off this thread.
    if (!link->laserId().isEmpty())
        new PlantSummary(*link, recorder, QStringLiteral("log/history.sqlite"), link);
    return link;
}
