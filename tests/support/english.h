#pragma once

#include <QCoreApplication>
#include <QTranslator>

// The build's English catalogue, installed for as long as this lives, so that texts read as the
// English interface shows them. For suites without a window (a window applies its own).
class EnglishCatalogue {
public:
    EnglishCatalogue() {
        loaded = translator.load(QStringLiteral(LASER_LANGUAGE_DIR "/lang_English.qm")) &&
                 QCoreApplication::installTranslator(&translator);
    }
    ~EnglishCatalogue() { QCoreApplication::removeTranslator(&translator); }
    EnglishCatalogue(const EnglishCatalogue &) = delete;
    EnglishCatalogue &operator=(const EnglishCatalogue &) = delete;
    bool isLoaded() const { return loaded; }

private:
    QTranslator translator;
    bool loaded = false;
};
