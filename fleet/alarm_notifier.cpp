#include "fleet/alarm_notifier.h"

#include "events/alarm_names.h"
#include "fleet/texts.h"

#include <QGuiApplication>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>

namespace fleet {

namespace {

// Tray notifications come at most this often; what comes between is summed up in the next,
// which comes when the time has passed.
constexpr qint64 notificationGapMs = 5000;

} // namespace

AlarmNotifier::AlarmNotifier(const Fleet &fleet, QWidget *window) : QObject(window), fleet(fleet) {
    timer = new QTimer(this);
    timer->setSingleShot(true);
    connect(timer, &QTimer::timeout, this, [this] { send(); });
    // On X an icon made before the tray is docked by Qt when a tray comes (a panel started late).
    if (QSystemTrayIcon::isSystemTrayAvailable() ||
        QGuiApplication::platformName() == QLatin1String("xcb")) {
        tray = new QSystemTrayIcon(window->style()->standardIcon(QStyle::SP_MessageBoxWarning),
                                   window);
        tray->show();
        connect(tray, &QSystemTrayIcon::messageClicked, window, [window] {
            window->showNormal();
            window->raise();
            window->activateWindow();
        });
    }
}

void AlarmNotifier::retranslate() {
    if (tray)
        tray->setToolTip(Texts::tr("激光器总览"));
}

void AlarmNotifier::notify(int added) {
    if (!tray)
        return;
    held += added;
    const qint64 wait =
        sinceNotification.isValid() ? notificationGapMs - sinceNotification.elapsed() : 0;
    if (wait > 0) {
        // Sent when the gap has passed, not held until the next alarm.
        if (!timer->isActive())
            timer->start(static_cast<int>(wait));
        return;
    }
    send();
}

void AlarmNotifier::send() {
    if (!tray || held <= 0)
        return;
    sinceNotification.start();
    QString text;
    if (held == 1 && !fleet.alarmList().empty()) {
        const AlarmEntry &e = fleet.alarmList().front();
        text = e.laserId + QStringLiteral(": ") + events::alarmCaption(e.key);
    } else {
        text = Texts::tr("%1 条新报警").arg(held);
    }
    held = 0;
    tray->showMessage(Texts::tr("激光器报警"), text, QSystemTrayIcon::Warning);
}

} // namespace fleet
