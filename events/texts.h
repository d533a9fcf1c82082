#pragma once

#include <QCoreApplication>

namespace events {

// The event words' texts for people, context "History" in both catalogues (the history's own
// texts share the context). lupdate files a text under the class it sees before ::tr, so write
// Texts::tr("...") (never a helper of your own).
class Texts {
    Q_DECLARE_TR_FUNCTIONS(History)
};

} // namespace events
