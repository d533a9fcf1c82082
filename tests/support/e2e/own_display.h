#pragma once

#include <QProcess>
#include <QString>

namespace harness {

// An X server for this process alone while the object lives: Xvfb on a display number it picks
// itself, the screen 1600x1000 at 24 bits, named by DISPLAY. Started only where
// LASER_OWN_DISPLAY is set (CTest sets it for the end-to-end suites, so that they never share
// windows and may run side by side); elsewhere DISPLAY stays as it is. Made before the
// application object, which connects to DISPLAY.
//
// Whatever display the suite ends up on, the suite and every program it starts draw on it
// through X: a QT_QPA_PLATFORM=offscreen or a Wayland session in the caller's environment would
// otherwise send the program's window where no screenshot sees it. Where no X server can be had,
// DISPLAY is cleared and `unavailable()` says why, so the suite skips with that reason instead
// of failing on a display that is not its own.
class OwnDisplay {
public:
    OwnDisplay();
    ~OwnDisplay();
    OwnDisplay(const OwnDisplay &) = delete;
    OwnDisplay &operator=(const OwnDisplay &) = delete;

    // Why this process has no X display, or an empty text.
    static QString unavailable();

private:
    QProcess server;
};

} // namespace harness
