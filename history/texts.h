#pragma once

#include <QCoreApplication>

namespace history {

// The history's texts for people, context "History" in both catalogues. lupdate files a text
// under the class it sees before ::tr, so write Texts::tr("...") (never a helper of your own).
class Texts {
    Q_DECLARE_TR_FUNCTIONS(History)
};

} // namespace history
