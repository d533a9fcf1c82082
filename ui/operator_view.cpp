#include "ui/operator_view.h"

#include "ui/keyboard.h"
#include "ui/settings_page.h"
#include "ui/status_page.h"
#include "ui/texts.h"
#include "ui_serial.h"

#include <QAction>
#include <QApplication>
#include <QIcon>
#include <QMainWindow>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QSystemTrayIcon>

using attention::LinkState;
using attention::Texts;

namespace {

// The tray's picture of a state, in the lamps' shapes: a ring for a closed port or no data yet,
// a filled dot for a quiet link, the alarm's triangle, and a ring struck through for a lost link.
QIcon trayPicture(LinkState state) {
    QIcon icon;
    for (int size : {16, 22, 32, 48}) {
        switch (state) {
        case LinkState::PortClosed:
        case LinkState::Waiting:
            icon.addPixmap(looks::drawShape(looks::Lamp::Off, size));
            break;
        case LinkState::Quiet:
            icon.addPixmap(looks::drawShape(looks::Lamp::On, size));
            break;
        case LinkState::Alarm:
            icon.addPixmap(looks::drawShape(looks::Lamp::Alarm, size));
            break;
        case LinkState::Lost: {
            QPixmap p = looks::drawShape(looks::Lamp::Off, size);
            QPainter painter(&p);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setPen(QPen(QColor(210, 30, 30), qMax(2, size / 8)));
            painter.drawLine(QPointF(size * 0.15, size * 0.85), QPointF(size * 0.85, size * 0.15));
            painter.end();
            icon.addPixmap(p);
            break;
        }
        }
    }
    return icon;
}

} // namespace

OperatorView::OperatorView(QMainWindow &w, Ui::Serial &f)
    : QObject(&w), window(w), form(f), screenReader(f), shapes(new QAction(&w)),
      notifications(new QAction(&w)) {
    setObjectName(QStringLiteral("operatorView"));
    clock.start();
    QString problem;
    choices = preference::readViewChoices(&problem);
    if (!problem.isEmpty())
        qWarning("view: %s; the defaults apply where it says nothing", qPrintable(problem));
    attention.setNotifications(choices.notifications);

    shapes->setObjectName(QStringLiteral("actionLampShapes"));
    shapes->setCheckable(true);
    shapes->setChecked(choices.lampShapes);
    notifications->setObjectName(QStringLiteral("actionNotifications"));
    notifications->setCheckable(true);
    notifications->setChecked(choices.notifications);
    form.menu_Language->addSeparator();
    form.menu_Language->addAction(shapes);
    form.menu_Language->addAction(notifications);
    connect(shapes, &QAction::toggled, this, &OperatorView::setLampShapes);
    connect(notifications, &QAction::toggled, this, &OperatorView::setNotifications);

    heldTimer.setSingleShot(true);
    connect(&heldTimer, &QTimer::timeout, this, &OperatorView::sendDue);
    // The window closed or a stop signal: what is held goes now, as its five seconds never
    // pass.
    connect(qApp, &QCoreApplication::aboutToQuit, this, &OperatorView::sendHeldAtEnd);

    trayMenu = new QMenu(&w);
    showAction = trayMenu->addAction(QString());
    trayMenu->addSeparator();
    trayMenu->addAction(notifications);
    connect(showAction, &QAction::triggered, this, &OperatorView::bringToFront);
    followTray();
    // A panel that starts after the program (late at login, or again after a crash) brings
    // the tray; one that ends takes it away. Qt says neither, so it is looked for now and then.
    connect(&trayWatch, &QTimer::timeout, this, &OperatorView::followTray);
    trayWatch.start(trayWatchMs);

    labelSettingsBoxes(form);
    keyboard = new KeyboardAccess(w, form);
    if (choices.lampShapes)
        setLampShapes(true);
}

void OperatorView::followTray() {
    const bool available = QSystemTrayIcon::isSystemTrayAvailable();
    if (available && !tray) {
        tray = new QSystemTrayIcon(this);
        tray->setContextMenu(trayMenu);
        connect(tray, &QSystemTrayIcon::messageClicked, this, &OperatorView::bringToFront);
        connect(tray, &QSystemTrayIcon::activated, this,
                [this](QSystemTrayIcon::ActivationReason reason) {
                    if (reason == QSystemTrayIcon::Trigger ||
                        reason == QSystemTrayIcon::DoubleClick)
                        bringToFront();
                });
        trayState = -1;
        showTray(lastPort);
        tray->show();
    } else if (!available && tray) {
        delete tray;
        tray = nullptr;
    } else if (tray && tray->geometry().isEmpty()) {
        // A tray of the desktop's status notifier host (D-Bus; an embedded icon has a place on
        // screen): Qt 5 opens a D-Bus connection at each look for it that it never closes, one
        // every 2 s, and the icon follows its host by itself. Looked for no more.
        trayWatch.stop();
    }
    // Without a tray nothing could carry a notification: the choice is kept, but cannot be
    // made until a tray comes.
    notifications->setEnabled(available);
    attention.setNotifications(choices.notifications && available);
}

bool OperatorView::away() const {
    // Another window of the program in front (a box, the diagnostics) is the operator here.
    return window.isMinimized() || !window.isVisible() || !QApplication::activeWindow();
}

void OperatorView::pagePassDone() {
    const bool live = link == alarms::Link::Live;
    // "设定" is enabled by an answered read-back or write, and by nothing else.
    screenReader.setKnown(live, live && form.pushButton_sysSet_set1->isEnabled());
    screenReader.refresh();
}

void OperatorView::linkRefresh(const protocol::DeviceState &state, const QString &port) {
    QStringList alarmsOn;
    for (const events::FlagWatch::Flag &f : flags.flags())
        if (qstrcmp(f.category, "alarm") == 0 && f.get(state, f.i, f.j))
            alarmsOn << f.name;
    attention.update(link, alarmsOn);
    showTray(port);
    sendDue();
}

void OperatorView::tell(const alarms::Notice &notice) {
    attention.tell(notice, away());
    // Once the pass has told what its frames decided: their rises and first out in one
    // notification, not the first alone.
    heldTimer.start(0);
}

void OperatorView::linkChanged(alarms::Link now) {
    link = now;
    // The alarms on are the next refresh's; until then the tray says what the link says.
    attention.update(link, attention.alarms());
    pagePassDone();
    showTray(lastPort);
}

void OperatorView::linkLost(const QString &port) {
    attention.linkLost(away(), port);
    showTray(port);
    sendDue();
}

void OperatorView::showTray(const QString &port) {
    lastPort = port;
    if (!tray)
        return;
    const int state = int(attention.state());
    if (state != trayState) {
        trayState = state;
        tray->setIcon(trayPicture(attention.state()));
    }
    const QString tip = attention.toolTip(port);
    if (tray->toolTip() != tip)
        tray->setToolTip(tip);
}

void OperatorView::sendDue() {
    const qint64 now = clock.elapsed();
    if (const std::optional<attention::Notice> notice = attention.take(now))
        show(*notice);
    // What came within the five seconds goes when they pass, whether or not more comes.
    if (attention.hasHeld())
        heldTimer.start(int(qBound<qint64>(0, attention.dueAt() - now, attention.gapMs)));
    else
        heldTimer.stop();
}

void OperatorView::sendHeldAtEnd() {
    heldTimer.stop();
    if (const std::optional<attention::Notice> notice = attention.takeLast(clock.elapsed()))
        show(*notice);
}

void OperatorView::show(const attention::Notice &notice) {
    if (tray)
        tray->showMessage(notice.title, notice.text,
                          notice.linkLost ? QSystemTrayIcon::Critical : QSystemTrayIcon::Warning);
}

void OperatorView::bringToFront() {
    window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
    window.show();
    window.raise();
    window.activateWindow();
}

void OperatorView::setLampShapes(bool on) {
    if (shapes->isChecked() != on)
        shapes->setChecked(on); // comes back here through toggled
    const bool changed = choices.lampShapes != on;
    choices.lampShapes = on;
    const looks::LampImages &images = look();
    for (const StatusLamp &lamp : statusLamps)
        looks::restyle(form.*lamp.lamp, images);
    for (QLabel *lamp : settingsLamps(form))
        looks::restyle(lamp, images);
    if (changed)
        save();
}

void OperatorView::setNotifications(bool on) {
    if (notifications->isChecked() != on)
        notifications->setChecked(on);
    if (choices.notifications == on)
        return;
    choices.notifications = on;
    attention.setNotifications(on && tray);
    sendDue();
    save();
}

void OperatorView::save() {
    QString error;
    if (!preference::writeViewChoices(choices, &error))
        QMessageBox::warning(&window, Texts::tr("保存选择"),
                             Texts::tr("无法保存 %1：\n%2\n此选择只在本次运行中有效。")
                                 .arg(preference::viewFilePath(), error));
}

void OperatorView::retranslate() {
    shapes->setText(Texts::tr("灯旁显示形状"));
    notifications->setText(Texts::tr("报警桌面通知"));
    if (showAction)
        showAction->setText(Texts::tr("显示窗口"));
    screenReader.retranslate();
    keyboard->retranslate();
    showTray(lastPort);
}
