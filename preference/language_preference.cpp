#include "preference/language_preference.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>

namespace preference {

const QString requestRead = QStringLiteral("read");
const QString chinese = QStringLiteral("chinese");
const QString english = QStringLiteral("english");

QString languageFilePath() {
    return QStringLiteral("./config/language.gl");
}
QString configDirectory() {
    return QStringLiteral("config");
}

namespace {

// The value one line gives: its first "="-separated field must be "language"; then the first
// field that equals "chinese" or "english" wins. Empty when the line gives no value.
QString languageOfLine(const QString &line) {
    const QStringList fields = line.split(QLatin1Char('='));
    if (fields.first().simplified() != QLatin1String("language"))
        return QString();
    // The key field itself is examined too; it can never match, but the rule is "in order".
    for (const QString &field : fields) {
        const QString word = field.simplified();
        if (word == chinese)
            return chinese;
        if (word == english)
            return english;
    }
    return QString();
}

} // namespace

QString parseLanguage(const QString &content) {
    // An editor may have put a byte-order mark in front of the first line.
    const QStringList lines =
        (content.startsWith(QChar(0xFEFF)) ? content.mid(1) : content).split(QLatin1Char('\n'));
    for (QString line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const QString value = languageOfLine(line);
        if (!value.isEmpty())
            return value;
    }
    return QString();
}

QByteArray fileContent(const QString &value) {
    return QByteArrayLiteral("language = ") + value.toUtf8();
}

QString catalogueFor(const QString &lang) {
    if (lang == chinese)
        return QStringLiteral("./language/lang_Chinese.qm");
    if (lang == english)
        return QStringLiteral("./language/lang_English.qm");
    return QString();
}

WriteFailure rewriteExisting(const QString &value) {
    // Write beside the file and rename over it: the user's choice survives a failed write.
    // Unbuffered, because a buffered QSaveFile reports success when only its final flush fails.
    QSaveFile file(languageFilePath());
    // Where config/ is locked but the file itself is writable, the file is rewritten in place.
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text | QIODevice::Unbuffered))
        return WriteFailure::OpenFile;
    file.write(fileContent(value));
    return file.commit() ? WriteFailure::None : WriteFailure::OpenFile;
}

QList<WriteFailure> createDefault() {
    QList<WriteFailure> failures;
    if (!QFileInfo(configDirectory()).isDir() && !QDir().mkdir(configDirectory()))
        failures << WriteFailure::CreateDirectory;
    QFile file(languageFilePath());
    if (!file.open(QIODevice::ReadWrite | QIODevice::Text)) {
        failures << WriteFailure::CreateFile;
        return failures;
    }
    file.write(fileContent(chinese));
    file.close();
    return failures;
}

} // namespace preference
