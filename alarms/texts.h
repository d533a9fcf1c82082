#pragma once

#include <QCoreApplication>

namespace alarms {

// The alarm handling's texts for people, context "Alarms" in both catalogues. lupdate files a
// text under the class it sees before ::tr: write Texts::tr("...").
class Texts {
    Q_DECLARE_TR_FUNCTIONS(Alarms)
};

} // namespace alarms
