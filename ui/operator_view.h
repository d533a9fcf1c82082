#pragma once

#include "alarms/handling.h"
#include "events/flag_watch.h"
#include "preference/view_preference.h"
#include "protocol/device_state.h"
#include "ui/accessible_texts.h"
#include "ui/alarms/alarm_listener.h"
#include "ui/attention.h"
#include "ui/lamp_look.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

class QAction;
class QMainWindow;
class QMenu;
class QSystemTrayIcon;

namespace Ui {
class Serial;
}

class KeyboardAccess;

// What the operator's attention needs beside the window as specified: two choices under 语言
// (the lamp shapes, the notifications), kept in config/view.gl; the tray icon, its tool tip and
// the desktop notifications (decided by attention::Attention from what the alarm handling tells);
// the status page for a screen reader, which says "no data" while the link has none; and the
// keyboard's ways in. Owned by the main window.
//
// The choices sit under 语言, after its languages, rather than in a menu of their own: that is
// where the operator already sets how the window speaks to them, and the menu bar keeps its
// menus and places.
class OperatorView : public QObject, public alarm_summary::AlarmListener {
    Q_OBJECT
public:
    OperatorView(QMainWindow &window, Ui::Serial &form);

    const looks::LampImages &look() const { return looks::images(choices.lampShapes); }
    // After each page pass: the screen reader's texts of what changed.
    void pagePassDone();
    // At each refresh: the alarms on and the tray.
    void linkRefresh(const protocol::DeviceState &state, const QString &port);
    // From the alarm handling: a notice for the next notification, and the link (the tray and
    // the screen reader say no data unless it is live).
    void tell(const alarms::Notice &notice) override;
    void linkChanged(alarms::Link link) override;
    // The link was found lost: said before the box that tells it.
    void linkLost(const QString &port);
    // After the form's texts were set again in another language.
    void retranslate();

    void setLampShapes(bool on);
    void setNotifications(bool on);
    const attention::Attention &decisions() const { return attention; }
    QAction *shapesAction() const { return shapes; }
    QAction *notificationsAction() const { return notifications; }
    // Null while the desktop has no tray.
    QSystemTrayIcon *trayIcon() const { return tray; }
    // How often a tray is looked for, or looked for gone.
    static constexpr int trayWatchMs = 2000;

private:
    // Makes the tray icon when a tray has come, drops it when the tray has gone.
    void followTray();
    bool away() const;
    void showTray(const QString &port);
    void sendDue();
    void sendHeldAtEnd();
    void show(const attention::Notice &notice);
    void bringToFront();
    void save();

    QMainWindow &window;
    Ui::Serial &form;
    preference::ViewChoices choices;
    attention::Attention attention;
    accessible::PageTexts screenReader;
    events::FlagWatch flags;
    KeyboardAccess *keyboard;
    QAction *shapes;
    QAction *notifications;
    QSystemTrayIcon *tray = nullptr;
    QMenu *trayMenu = nullptr;
    QAction *showAction = nullptr;
    QTimer heldTimer;
    QTimer trayWatch;
    QElapsedTimer clock;
    QString lastPort;
    int trayState = -1;
    alarms::Link link = alarms::Link::Closed;
};
