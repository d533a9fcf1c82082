#include "fleet/language_choice.h"

#include "preference/language_preference.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTranslator>

namespace fleet {

QString readLanguage() {
    // A plain file only: opening a pipe would wait, holding the window, for something to write.
    QFile file(preference::languageFilePath());
    if (!QFileInfo(file).isFile() || !file.open(QIODevice::ReadOnly))
        return preference::chinese;
    const QString value = preference::parseLanguage(QString::fromUtf8(file.readAll()));
    return value.isEmpty() ? preference::chinese : value;
}

QTranslator *installCatalogue(QTranslator *previous, const QString &language, QObject *parent) {
    if (previous) {
        QCoreApplication::removeTranslator(previous);
        delete previous;
    }
    auto *next = new QTranslator(parent);
    if (next->load(preference::catalogueFor(language))) {
        QCoreApplication::installTranslator(next);
        return next;
    } else {
        delete next;
    }
    return nullptr;
}

bool keepLanguage(const QString &language) {
    const QString value =
        language == preference::english ? preference::english : preference::chinese;
    bool failed = false;
    if (QFileInfo(preference::languageFilePath()).isFile()) {
        failed = preference::rewriteExisting(value) != preference::WriteFailure::None;
    } else {
        failed = !preference::createDefault().isEmpty();
        if (!failed && value != preference::chinese)
            failed = preference::rewriteExisting(value) != preference::WriteFailure::None;
    }
    return !failed;
}

} // namespace fleet
