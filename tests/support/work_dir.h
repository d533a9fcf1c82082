#pragma once

#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <memory>

// The one scratch folder of the window tests: a fresh working directory for one window: the program
// reads ./language and writes ./config relative to it. The catalogues of the build are copied in
// unless told otherwise.
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
    bool isValid() const { return dir.isValid(); }

    // A directory holding the Chinese preference, so captions and box texts are the
    // untranslated sources. Suites that keep one directory for all their cases hold it.
    static std::unique_ptr<WorkDir> chinese() {
        auto work = std::make_unique<WorkDir>();
        if (!work->isValid())
            qFatal("no scratch directory");
        writePreference("language = chinese");
        return work;
    }

    // Writes config/NAME in the current directory (language.gl, plant.ini).
    static bool writeConfig(const QString &name, const QByteArray &content) {
        QDir().mkpath(QStringLiteral("config"));
        QFile file(QStringLiteral("config/") + name);
        return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
               file.write(content) == content.size();
    }
    static void writePreference(const QByteArray &content) {
        writeConfig(QStringLiteral("language.gl"), content);
    }
    static QByteArray readPreference() {
        QFile file(QStringLiteral("config/language.gl"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private:
    QTemporaryDir dir;
    QString previous;
};
