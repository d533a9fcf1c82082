#pragma once

#include "support/e2e/lamp.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>

namespace harness {

class FormMap;

// The running program's window on screen, with the map of its form.
class Driver {
public:
    explicit Driver(FormMap &map) : map(&map) {}
    bool attach(int timeoutMs = 10000);
    quint64 window() const { return win; }
    QRect geometry() const { return geo; }
    QPoint screenPoint(const QString &objectName) const;
    void click(const QString &objectName) const;
    void chooseMenu(const QString &actionObjectName) const;
    Lamp lamp(const QString &objectName, const QImage &shot) const;
    // The widget's area as the X server shows it now, read directly (far cheaper than a
    // screenshot of the whole screen, so waits can look often).
    QImage grab(const QString &objectName) const;
    // Waits until the lamp shows `wanted`; gives the last colour seen.
    bool waitForLamp(const QString &objectName, Lamp wanted, int timeoutMs, Lamp *seen = nullptr);
    // Whether the widget on screen looks like the copy drawn with `text` (or as it is).
    bool shows(const QString &objectName, const QString *text, const QImage &shot,
               double *diff = nullptr) const;
    bool waitForText(const QString &objectName, const QString &text, int timeoutMs);
    // The same for the copy drawn as it is (text == nullptr) or with `text`.
    bool waitForLook(const QString &objectName, const QString *text, int timeoutMs,
                     double *diff = nullptr);
    QImage crop(const QString &objectName, const QImage &shot) const;
    void useMap(FormMap &other) { map = &other; }

private:
    FormMap *map;
    quint64 win = 0;
    QRect geo;
};

} // namespace harness
