#include "support/e2e/driver.h"

#include "support/e2e/clock.h"
#include "support/e2e/form_map.h"
#include "support/e2e/screen.h"

#include <QElapsedTimer>

namespace harness {

bool Driver::attach(int timeoutMs) {
    win = Screen::findWindow(QStringLiteral("LASER SYSTEM"), timeoutMs);
    if (!win)
        return false;
    // The window may still be settling on its size.
    QRect last;
    for (int i = 0; i < 20; ++i) {
        geo = Screen::windowGeometry(win);
        if (geo == last && geo.isValid())
            break;
        last = geo;
        pause(100);
    }
    map->setWindowSize(geo.size());
    Screen::parkPointer();
    return geo.isValid();
}

QPoint Driver::screenPoint(const QString &objectName) const {
    const QRect r = map->rect(objectName);
    if (r.isEmpty()) {
        // A name the form does not have: point nowhere, so no check can pass by accident.
        qWarning("harness: the form has no widget named %s", qPrintable(objectName));
        return QPoint(-1, -1);
    }
    return geo.topLeft() + r.center();
}

void Driver::click(const QString &objectName) const {
    Screen::click(screenPoint(objectName));
}

void Driver::chooseMenu(const QString &actionObjectName) const {
    Screen::click(geo.topLeft() + map->menuTitle(map->menuOf(actionObjectName)));
    pause(400);
    Screen::click(geo.topLeft() + map->menuItem(actionObjectName));
}

Lamp Driver::lamp(const QString &objectName, const QImage &shot) const {
    return lampAt(shot, screenPoint(objectName));
}

QImage Driver::grab(const QString &objectName) const {
    const QRect r = map->rect(objectName);
    if (r.isEmpty()) {
        qWarning("harness: the form has no widget named %s", qPrintable(objectName));
        return QImage();
    }
    return Screen::grabArea(r.translated(geo.topLeft()));
}

bool Driver::waitForLamp(const QString &objectName, Lamp wanted, int timeoutMs, Lamp *seen) {
    QElapsedTimer t;
    t.start();
    Lamp now = Lamp::Other;
    do {
        const QImage area = grab(objectName);
        now = lampAt(area, area.rect().center());
        if (now == wanted)
            break;
        pause(50);
    } while (t.elapsed() < patient(timeoutMs));
    if (seen)
        *seen = now;
    return now == wanted;
}

QImage Driver::crop(const QString &objectName, const QImage &shot) const {
    const QRect r = map->rect(objectName).translated(geo.topLeft());
    return shot.copy(r);
}

bool Driver::shows(const QString &objectName, const QString *text, const QImage &shot,
                   double *diff) const {
    const QImage expected = map->render(objectName, text);
    const double d = difference(crop(objectName, shot), expected);
    if (diff)
        *diff = d;
    // Anti-aliasing may differ in a few pixels; another text differs in many.
    return d < 0.01;
}

bool Driver::waitForText(const QString &objectName, const QString &text, int timeoutMs) {
    return waitForLook(objectName, &text, timeoutMs);
}

bool Driver::waitForLook(const QString &objectName, const QString *text, int timeoutMs,
                         double *diff) {
    QElapsedTimer t;
    t.start();
    do {
        const double d = difference(grab(objectName), map->render(objectName, text));
        if (diff)
            *diff = d;
        // Anti-aliasing may differ in a few pixels; another text differs in many.
        if (d < 0.01)
            return true;
        pause(50);
    } while (t.elapsed() < patient(timeoutMs));
    return false;
}

} // namespace harness
