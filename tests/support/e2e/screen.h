#pragma once

#include <QByteArray>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

namespace harness {

// The X display, through xdotool and import.
class Screen {
public:
    // Runs a tool and gives its standard output; false when it fails or times out.
    static bool run(const QString &tool, const QStringList &args, QByteArray *out = nullptr,
                    int timeoutMs = 15000);
    // The first visible window whose title matches `title` (xdotool search --name), or 0.
    static quint64 findWindow(const QString &title, int timeoutMs);
    // Waits until no visible window matches `title`; false when one is still there.
    static bool windowGone(const QString &title, int timeoutMs);
    static QString windowTitle(quint64 window);
    static QRect windowGeometry(quint64 window);
    static QSize screenSize();
    // The whole screen as `import -window root` sees it.
    static QImage shot();
    // A part of the screen straight from the X server (faster than import, for timing).
    static QImage grabArea(const QRect &area);
    // Clicks and then moves the pointer out of the way.
    static void click(const QPoint &screenPoint);
    static void parkPointer();
    static void key(const QString &keys, quint64 window = 0);
};

} // namespace harness
