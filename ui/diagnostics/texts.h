#pragma once

#include <QCoreApplication>
#include <QString>

// Every text of the diagnostics window, its menu and the status line shares one translation
// context, "Diagnostics", in both catalogues.
namespace diagnostics {

inline QString tr(const char *source) {
    return QCoreApplication::translate("Diagnostics", source);
}

} // namespace diagnostics
