#pragma once

#include <QString>

namespace harness {

// A fresh working directory for one program run, holding language/ as a link; removed with
// everything in it when it goes.
class WorkDir {
public:
    explicit WorkDir(const QString &languageDir);
    ~WorkDir();
    WorkDir(const WorkDir &) = delete;
    WorkDir &operator=(const WorkDir &) = delete;
    QString path() const { return dirPath; }
    QString preferenceFile() const { return dirPath + QStringLiteral("/config/language.gl"); }
    bool isValid() const { return !dirPath.isEmpty(); }

private:
    QString dirPath;
};

} // namespace harness
