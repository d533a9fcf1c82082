#pragma once

#include <QProcess>

namespace harness {

// An X server for this process alone while the object lives: Xvfb on a display number it picks
// itself, the screen 1600x1000 at 24 bits, named by DISPLAY. Started only where
// LASER_OWN_DISPLAY is set (CTest sets it for the end-to-end suites, so that they never share
// windows and may run side by side); elsewhere DISPLAY stays as it is. Made before the
// application object, which connects to DISPLAY.
class OwnDisplay {
public:
    OwnDisplay();
    ~OwnDisplay();
    OwnDisplay(const OwnDisplay &) = delete;
    OwnDisplay &operator=(const OwnDisplay &) = delete;

private:
    QProcess server;
};

} // namespace harness
