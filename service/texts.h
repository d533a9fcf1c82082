#pragma once

#include <QCoreApplication>
#include <QString>

// The service kit's own texts share one translation context, "Service", in both catalogues.
// The settings captions are the settings page's own texts, context "Serial".
namespace service {

inline QString tr(const char *source) {
    return QCoreApplication::translate("Service", source);
}

} // namespace service
