#include "support/e2e/work_dir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace harness {

WorkDir::WorkDir(const QString &languageDir) {
    QTemporaryDir tmp(QDir::tempPath() + QStringLiteral("/laser-e2e-XXXXXX"));
    if (!tmp.isValid())
        return;
    tmp.setAutoRemove(false);
    dirPath = tmp.path();
    QFile::link(QFileInfo(languageDir).absoluteFilePath(), dirPath + QStringLiteral("/language"));
}

WorkDir::~WorkDir() {
    if (!dirPath.isEmpty())
        QDir(dirPath).removeRecursively();
}

} // namespace harness
