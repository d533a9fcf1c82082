#pragma once

#include <QCoreApplication>

// The texts of the operator's attention (tray, notifications, the view menu, the words a screen
// reader reads), context "Attention" in both catalogues. lupdate files a text under the class it
// sees before ::tr: write Texts::tr("...").
namespace attention {

class Texts {
    Q_DECLARE_TR_FUNCTIONS(Attention)
};

} // namespace attention
