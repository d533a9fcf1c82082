#pragma once

#include <QCoreApplication>

namespace plant {

// The plant link's texts for people, context "Plant" in both catalogues. lupdate files a text
// under the class it sees before ::tr, so write Texts::tr("...") (never a helper of your own).
class Texts {
    Q_DECLARE_TR_FUNCTIONS(Plant)
};

} // namespace plant
