#pragma once

#include "fleet/fleet_state.h"

#include <QElapsedTimer>
#include <QObject>

class QSystemTrayIcon;
class QTimer;
class QWidget;

namespace fleet {

// Tells of new alarms in the tray, where the desktop has one: at most one message every few
// seconds, the first at once, each later one summing up what came since; a click on it brings
// the window up.
class AlarmNotifier : public QObject {
public:
    AlarmNotifier(const Fleet &fleet, QWidget *window);

    // `added` lines came at the top of the alarm list.
    void notify(int added);
    void retranslate();

private:
    void send();

    const Fleet &fleet;
    QSystemTrayIcon *tray = nullptr;
    QTimer *timer = nullptr;
    QElapsedTimer sinceNotification;
    int held = 0;
};

} // namespace fleet
