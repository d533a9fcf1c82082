#pragma once

#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

// A fresh working directory for one window: the program reads ./language and writes ./config
// relative to it. The catalogues of the build are copied in unless told otherwise.
class WorkDir {
public:
    explicit WorkDir(bool withCatalogues = true) {
        previous = QDir::currentPath();
        QDir::setCurrent(dir.path());
        if (withCatalogues) {
            QDir().mkdir(QStringLiteral("language"));
            for (const char *name : {"lang_Chinese.qm", "lang_English.qm"})
                QFile::copy(QStringLiteral(LASER_LANGUAGE_DIR "/") + QLatin1String(name),
                            QStringLiteral("language/") + QLatin1String(name));
        }
    }
    ~WorkDir() { QDir::setCurrent(previous); }
    WorkDir(const WorkDir &) = delete;
    WorkDir &operator=(const WorkDir &) = delete;

    QString path() const { return dir.path(); }

    static void writePreference(const QByteArray &content) {
        QDir().mkpath(QStringLiteral("config"));
        QFile file(QStringLiteral("config/language.gl"));
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(content);
    }
    static QByteArray readPreference() {
        QFile file(QStringLiteral("config/language.gl"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private:
    QTemporaryDir dir;
    QString previous;
};

// For suites that keep one directory for all their cases: enters `dir` holding the Chinese
// preference, so captions and box texts are the untranslated sources.
inline bool enterScratchDirectory(QTemporaryDir &dir) {
    if (!dir.isValid() || !QDir(dir.path()).mkpath(QStringLiteral("config")))
        return false;
    QFile file(dir.filePath(QStringLiteral("config/language.gl")));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write("language = chinese");
    file.close();
    return QDir::setCurrent(dir.path());
}
