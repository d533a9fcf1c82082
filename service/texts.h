#pragma once

#include <QCoreApplication>
#include <QString>

// The service kit's own texts share one translation context, "Service", in both catalogues.
// The settings captions are the settings page's own texts, context "Serial".
namespace service {

// lupdate files a text under the class it sees before ::tr: write Texts::tr("...") here, never
// a plain tr() (inside a QObject that is the object's own context) nor a helper of your own.
class Texts {
    Q_DECLARE_TR_FUNCTIONS(Service)
};

} // namespace service
