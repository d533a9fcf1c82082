#pragma once

#include "fleet/fleet_state.h"
#include "plant/fleet_messages.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <QString>

#include <deque>

class QLabel;
class QMenu;
class QTableView;
class QTimer;
class QTranslator;

namespace plant {
class FleetLink;
}

namespace fleet {

class AlarmList;
class AlarmNotifier;
class BadActorList;
class BadActorPanel;
class AlarmPanel;
class FilterBar;
class LaserDetails;
class LaserTable;

// The fleet view: every laser on the plant's broker in one table, alarms first; the selected
// laser in full; the alarm list to acknowledge beside the plant's bad actors; the broker's state
// in the status bar.
class FleetWindow : public QMainWindow {
    Q_OBJECT

public:
    // Takes the link's batches and state line; without a link (tests) batches come by take().
    explicit FleetWindow(plant::FleetLink *link, Limits limits = Limits(),
                         QWidget *parent = nullptr);
    ~FleetWindow() override;

    const Fleet &state() const { return fleet; }
    LaserTable *laserTable() const { return table; }
    AlarmList *alarmList() const { return alarms; }
    LaserDetails *details() const { return detailPane; }
    BadActorList *badActorList() const { return badActors; }

public slots:
    // One batch from the broker: applied, shown, and the link told it may send the next. The
    // window spends at most about 20 ms on it at a time; the rest waits for the next turn of
    // the event loop, and so does the next batch.
    void take(const plant::FleetBatch &batch);
    // "chinese" or "english": applied, and kept in config/language.gl.
    void applyLanguage(const QString &language);
    // Brings the table, the lists and the title up to date (also once a second by itself).
    void refresh();

signals:
    // After a batch is in the table and the lists.
    void batchShown(const plant::FleetBatch &batch);

protected:
    void changeEvent(QEvent *event) override;

private:
    void retranslate();
    void showSelected();
    void selectLaser(const QString &id);
    void updateKeptLine();
    void applyPending();
    qint64 now() const;

    Fleet fleet;
    plant::FleetLink *link;
    LaserTable *table;
    AlarmList *alarms;
    LaserDetails *detailPane;
    QTableView *laserView;
    FilterBar *filterBar;
    AlarmPanel *alarmPanel;
    BadActorList *badActors;
    BadActorPanel *badActorPanel;
    QLabel *brokerLine;
    QLabel *keptLine;
    QMenu *languageMenu;
    QAction *chineseAction;
    QAction *englishAction;
    QTimer *secondTimer;
    QTimer *sweepTimer;
    QElapsedTimer sinceSweep;
    AlarmNotifier *notifier;
    // Batches taken but not yet applied in full: the first from message `pendingAt` on.
    std::deque<plant::FleetBatch> pending;
    int pendingAt = 0;
    bool continuing = false;
    // The selected laser in full is built again at most twice a second.
    QElapsedTimer sinceDetails;
    bool detailsDue = false;
    QTranslator *translator = nullptr;
    QString selectedId;
};

} // namespace fleet
