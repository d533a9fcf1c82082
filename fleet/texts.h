#pragma once

#include <QCoreApplication>

namespace fleet {

// The fleet view's texts, context "Fleet" in both catalogues. lupdate files a text under the
// class it sees before ::tr: write Texts::tr("...") (never a helper of your own, which it cannot
// see); the status page's captions are read from context "Serial".
class Texts {
    Q_DECLARE_TR_FUNCTIONS(Fleet)
};

} // namespace fleet
