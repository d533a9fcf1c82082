#include "preference/view_preference.h"

#include "preference/language_preference.h"
#include "preference/texts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QSaveFile>

namespace preference {

namespace {

const QByteArray notificationsKey = QByteArrayLiteral("notifications");
const QByteArray lampShapesKey = QByteArrayLiteral("lamp_shapes");

QByteArray onOff(bool on) {
    return on ? QByteArrayLiteral("on") : QByteArrayLiteral("off");
}

} // namespace

QString viewFilePath() {
    return QStringLiteral("./config/view.gl");
}

ViewChoices parseViewChoices(const QByteArray &content) {
    ViewChoices choices;
    bool notificationsSeen = false;
    bool shapesSeen = false;
    const QByteArray text = content.startsWith("\xEF\xBB\xBF") ? content.mid(3) : content;
    for (QByteArray line : text.split('\n')) {
        if (notificationsSeen && shapesSeen)
            break;
        const int eq = line.indexOf('=');
        if (eq < 0)
            continue;
        const QByteArray key = line.left(eq).simplified();
        const QByteArray value = line.mid(eq + 1).simplified();
        if (value != "on" && value != "off")
            continue;
        if (key == notificationsKey && !notificationsSeen) {
            choices.notifications = value == "on";
            notificationsSeen = true;
        } else if (key == lampShapesKey && !shapesSeen) {
            choices.lampShapes = value == "on";
            shapesSeen = true;
        }
    }
    return choices;
}

QByteArray viewFileContent(const ViewChoices &choices) {
    return notificationsKey + " = " + onOff(choices.notifications) + '\n' + lampShapesKey + " = " +
           onOff(choices.lampShapes) + '\n';
}

ViewChoices readViewChoices(QString *problem) {
    if (problem)
        problem->clear();
    const QFileInfo info(viewFilePath());
    if (!info.exists())
        return ViewChoices();
    // A folder, a device or a pipe in its place would block or read without end.
    if (!info.isFile()) {
        if (problem)
            *problem = QStringLiteral("%1 is not a regular file").arg(viewFilePath());
        return ViewChoices();
    }
    QFile file(viewFilePath());
    if (!file.open(QIODevice::ReadOnly)) {
        if (problem)
            *problem = QStringLiteral("%1: %2").arg(viewFilePath(), file.errorString());
        return ViewChoices();
    }
    const QByteArray content = file.read(viewFileReadLimit);
    if (problem && !file.atEnd())
        *problem = QStringLiteral("%1 is longer than %2 bytes; only its start was read")
                       .arg(viewFilePath())
                       .arg(viewFileReadLimit);
    return parseViewChoices(content);
}

bool writeViewChoices(const ViewChoices &choices, QString *error) {
    if (!QFileInfo(configDirectory()).isDir() && !QDir().mkdir(configDirectory())) {
        if (error)
            *error = Texts::tr("无法创建文件夹 %1").arg(configDirectory());
        return false;
    }
    // The new file is renamed over what the name leads to: never a device (as root, a link to
    // /dev/zero would make it a file), a pipe or a folder.
    const QFileInfo existing(viewFilePath());
    if (existing.exists() && !existing.isFile()) {
        if (error)
            *error = Texts::tr("这个名字下不是普通文件，而是文件夹、设备或管道");
        return false;
    }
    // Nor through a link to a file elsewhere: the file renamed into place would replace what it
    // leads to (as root, config/view.gl -> /etc/passwd would replace the system's users).
    if (existing.isSymLink()) {
        if (error)
            *error = Texts::tr("这个名字是一个符号链接，选择不写到它所指的文件");
        return false;
    }
    // Written beside and renamed over: a failed write keeps the choices saved before.
    // Unbuffered, so that a failed write is seen by commit() and not lost in a final flush.
    QSaveFile file(viewFilePath());
    file.setDirectWriteFallback(true);
    // The system's reason would be English whatever the language: the program's own words say
    // what failed instead.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        if (error)
            *error = Texts::tr("没有写入权限，或磁盘为只读");
        return false;
    }
    const QByteArray content = viewFileContent(choices);
    if (file.write(content) != content.size() || !file.commit()) {
        if (error)
            *error = Texts::tr("写入失败，磁盘可能已满");
        return false;
    }
    return true;
}

} // namespace preference
