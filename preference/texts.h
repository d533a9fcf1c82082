#pragma once

#include <QCoreApplication>

// The preference files' own words for what went wrong, context "Preference" in both catalogues:
// a box in the language chosen never carries the system's English. lupdate files a text under
// the class it sees before ::tr: write Texts::tr("...").
namespace preference {

class Texts {
    Q_DECLARE_TR_FUNCTIONS(Preference)
};

} // namespace preference
