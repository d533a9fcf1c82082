#pragma once

#include <QString>

class QObject;
class QTranslator;

// The fleet's language: read from config/language.gl at start, its catalogue installed, and a
// change kept in the file.
namespace fleet {

// What the file says; Chinese when it says nothing or is not a plain file.
QString readLanguage();
// Installs the catalogue of `language` in place of `previous` (deleted): the new translator, or
// null when the catalogue cannot be loaded.
QTranslator *installCatalogue(QTranslator *previous, const QString &language, QObject *parent);
// Keeps `language` in the file; false when it cannot be written.
bool keepLanguage(const QString &language);

} // namespace fleet
