#pragma once

#include <QByteArray>
#include <QtGlobal>

// Qt 6 scales every widget by the screen's dots per inch over 96, which makes the window half
// as large again on a 144 dpi screen and lets it outgrow the screen. Qt 5 keeps the form's pixel
// sizes and lets only the fonts follow the screen. Keeps that under both, unless whoever starts
// the program asks for scaling. Call before the application object is created.
inline void keepFormPixelSizes() {
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    if (!qEnvironmentVariableIsSet("QT_ENABLE_HIGHDPI_SCALING"))
        qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
#endif
}
