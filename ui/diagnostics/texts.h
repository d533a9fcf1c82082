#pragma once

#include <QCoreApplication>

// Every text of the diagnostics window, its menu and the status line shares one translation
// context, "Diagnostics", in both catalogues.
namespace diagnostics {

// lupdate files a text under the class it sees before ::tr: write Texts::tr("...") here, never
// a plain tr() (a QObject's own context) nor a helper function of your own (invisible to it).
class Texts {
    Q_DECLARE_TR_FUNCTIONS(Diagnostics)
};

} // namespace diagnostics
