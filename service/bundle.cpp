#include "service/bundle.h"

#include "service/bundle_paths.h"
#include "alarms/shelf_file.h"
#include "service/database_copy.h"
#include "service/journal_csv.h"
#include "service/redact.h"
#include "service/report_pages.h"
#include "service/texts.h"
#include "service/zip_writer.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryFile>
#include <QUrl>

#include <algorithm>

namespace service {

namespace {

constexpr qint64 chunkBytes = 1 << 20;

// Adds a file of the disk, `size` bytes of it (a capture file may still grow meanwhile). A file
// that cannot be read (the capture cap deleted it since) or is no plain file of its own (a link
// put in its place) is left out and said in `notes`.
bool addFile(ZipWriter &zip, const QString &name, const QFileInfo &info, BundleProgress &progress,
             bool *cancelled, QStringList *notes) {
    QFile in(info.filePath());
    QString why;
    if (!openPlainFile(in, &why)) {
        *notes << QStringLiteral("%1 left out: %2").arg(name, why);
        progress.done += info.size();
        return true;
    }
    const qint64 size = info.size();
    if (!zip.begin(name, size, info.lastModified().toMSecsSinceEpoch()))
        return false;
    QByteArray buffer;
    qint64 left = size;
    bool shrank = false;
    while (left > 0) {
        if (progress.cancel.load()) {
            *cancelled = true;
            return false;
        }
        buffer = in.read(qMin(left, chunkBytes));
        if (buffer.isEmpty()) {
            // Shorter than it was a moment ago: pad what is missing so that the entry keeps the
            // size its header announced.
            if (!shrank)
                *notes << QStringLiteral("%1: the last %2 bytes are blank lines (the file shrank "
                                         "while it was read)")
                              .arg(name)
                              .arg(left);
            shrank = true;
            buffer = QByteArray(int(qMin(left, chunkBytes)), '\n');
        }
        if (!zip.data(buffer.constData(), buffer.size()))
            return false;
        left -= buffer.size();
        progress.done += buffer.size();
    }
    return true;
}

} // namespace

QString archiveName(const QString &fileName) {
    QString name = fileName;
    for (QChar &c : name) {
        const char l = c.toLatin1();
        if (!((l >= 'a' && l <= 'z') || (l >= 'A' && l <= 'Z') || (l >= '0' && l <= '9') ||
              l == '.' || l == '-' || l == '_'))
            c = QLatin1Char('_');
    }
    // Never ".", ".." or a name that starts as one.
    if (name.startsWith(QLatin1Char('.')))
        name[0] = QLatin1Char('_');
    return name;
}

namespace {

// "3, 5, 9" (at most twenty of them, then "...").
QString lineList(const QVector<int> &numbers) {
    QStringList out;
    for (int i = 0; i < numbers.size() && i < 20; ++i)
        out << QString::number(numbers[i]);
    if (numbers.size() > 20)
        out << QStringLiteral("...");
    return out.join(QStringLiteral(", "));
}

// The database copy's scratch file: beside the archive, hidden, removed with this object. No
// journal is kept beside it (see copyDatabase); one is removed all the same.
class ScratchCopy {
public:
    // `target`: the archive's path with its links followed (see archiveNames). Its name's
    // start only: a name the folder can hold must leave room for what is added to it.
    explicit ScratchCopy(const QString &target)
        : file(QFileInfo(target).absoluteDir().filePath(QLatin1Char('.') +
                                                        QFileInfo(target).fileName().left(64) +
                                                        QStringLiteral(".history-XXXXXX"))) {}
    ~ScratchCopy() { remove(); }
    ScratchCopy(const ScratchCopy &) = delete;
    ScratchCopy &operator=(const ScratchCopy &) = delete;

    bool create(QString *error) {
        if (!file.open()) {
            *error = file.errorString();
            return false;
        }
        // An unnamed file gets its name only now; SQLite, given none, would copy into one of its
        // own.
        if (file.fileName().isEmpty()) {
            *error = file.errorString();
            return false;
        }
        path = QFileInfo(file.fileName()).absoluteFilePath();
        file.close(); // the name stays reserved; SQLite opens it on its own
        return true;
    }
    // As soon as it is not needed: on a nearly full disk the rest of the bundle needs the room.
    void remove() {
        if (path.isEmpty())
            return;
        file.remove();
        QFile::remove(path + QStringLiteral("-journal"));
        path.clear();
    }
    QString path;

private:
    QTemporaryFile file;
};

} // namespace

BundleResult writeBundle(const BundleInput &input, BundleProgress &progress) {
    BundleResult result;
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    const QDir log(input.logDir);
    const QDir config(input.configDir);

    const CaptureFiles found = captureFiles(input.logDir, input.since);
    const QFileInfoList &captures = found.files;
    const QFileInfo database(log.filePath(QStringLiteral("history.sqlite")));
    // Only a plain file is copied: SQLite would follow a link to whatever database it names.
    const bool takeDatabase = database.isFile() && !database.isSymLink();
    result.path = input.outputPath;
    if (!database.exists() && !database.isSymLink() &&
        log.entryList({QStringLiteral("capture-*.txt")}, QDir::AllEntries | QDir::System)
            .isEmpty() &&
        (!input.journal || input.journal->empty())) {
        // A bundle of nothing is no bundle: most likely the command was run in another folder.
        // (The window's frame journal is worth sending even before the history has a file.)
        result.error = Texts::tr("工作目录 %1 中没有历史: 既没有 %2 也没有 capture 文件。"
                                 "请在程序的工作目录中运行。")
                           .arg(QDir::toNativeSeparators(QDir::currentPath()),
                                QDir::toNativeSeparators(database.filePath()));
        return result;
    }
    // An archive is renamed into place over what stands there: never a device (as root,
    // /dev/null would become a file), a pipe or a folder, and never anything of log/ or config/
    // (a capture of another period, the history's write-ahead log that does not exist yet, a
    // settings file) nor a file a link there leads to (log/capture-x.txt -> /etc/shadow).
    const QStringList chain = archiveNames(input.outputPath);
    const QString target = chain.last();
    const QFileInfo existing(target);
    if (existing.exists() && !existing.isFile()) {
        result.error = Texts::tr("%1 已存在且不是普通文件; 诊断包不写在那里")
                           .arg(QDir::toNativeSeparators(input.outputPath));
        return result;
    }
    result.error = ownFolderTarget(input.outputPath, input.logDir, input.configDir);
    if (!result.error.isEmpty())
        return result;
    // The database counts twice: once copied, once packed.
    qint64 total = takeDatabase ? 2 * database.size() : 0;
    for (const QFileInfo &info : captures)
        total += info.size();
    progress.total = total;
    progress.done = 0;

    ZipWriter zip(input.outputPath);
    bool cancelled = false;
    // `ok` only once the archive stands under its name: a cancel that comes later is too late.
    const auto finishWith = [&](bool ok) {
        result.entries = zip.names;
        if (ok) {
            result.outcome = BundleResult::Written;
        } else if (cancelled || progress.cancel.load()) {
            result.outcome = BundleResult::Cancelled;
        } else {
            result.outcome = BundleResult::Failed;
            result.error = zip.error;
        }
        return result;
    };
    if (!zip.open())
        return finishWith(false);

    AboutFacts about = input.about;
    QStringList historyTrouble;
    if (!about.historyTrouble.isEmpty())
        historyTrouble << about.historyTrouble;
    ScratchCopy copy(target);
    bool copied = false;
    QStringList notes; // what the bundle could not hold as it was
    if (found.leftOut > 0)
        notes << QStringLiteral("log/: %1 left out: %2%3")
                     .arg(found.leftOut)
                     .arg(found.leftOutNames.join(QStringLiteral(", ")),
                          found.leftOut > 20 ? QStringLiteral(", ...") : QString());
    if (!database.exists() && !database.isSymLink()) {
        historyTrouble << QStringLiteral("no history.sqlite, capture files only");
    } else if (!takeDatabase) {
        const QString why = database.isSymLink() ? QStringLiteral("a symbolic link, not followed")
                                                 : QStringLiteral("not a plain file");
        notes << QStringLiteral("history.sqlite left out: %1").arg(why);
        historyTrouble << QStringLiteral("history.sqlite not copied: %1").arg(why);
    } else {
        QString error;
        CopyOutcome outcome = CopyOutcome::Failed;
        if (copy.create(&error)) {
            const qint64 weight = database.size();
            outcome = copyDatabase(
                database.filePath(), copy.path, progress.cancel,
                [&](double share) { progress.done = qint64(share * double(weight)); }, &error);
        }
        if (outcome == CopyOutcome::Cancelled || progress.cancel.load())
            return finishWith(false);
        progress.done = database.size();
        copied = outcome == CopyOutcome::Copied;
        if (copied) {
            // Packed: the copy's own size, which differs from the source's.
            progress.total = progress.total.load() - database.size() + QFileInfo(copy.path).size();
        } else {
            copy.remove();
            // The rest of the bundle is still worth having; the failure is part of it.
            notes << QStringLiteral("history.sqlite left out: the copy failed: %1").arg(error);
            historyTrouble << QStringLiteral("history.sqlite not copied: %1").arg(error);
            progress.total = progress.total.load() - database.size();
        }
    }
    about.historyTrouble = historyTrouble.join(QStringLiteral("; "));
    if (!zip.add(QStringLiteral("about.txt"), aboutText(about), now))
        return finishWith(false);

    if (copied && !addFile(zip, QStringLiteral("history.sqlite"), QFileInfo(copy.path), progress,
                           &cancelled, &notes))
        return finishWith(false);
    if (database.exists()) {
        // The alarm report of the bundle's period, of the moment the copy holds.
        QString why;
        const QByteArray report = bundleReport(
            copied ? copy.path : database.filePath(), input.since, now,
            [&progress] { return progress.cancel.load(); }, &why);
        if (progress.cancel.load())
            return finishWith(false);
        if (report.isEmpty())
            notes << QStringLiteral("alarm-report.csv left out: %1").arg(why);
        else if (!zip.add(QStringLiteral("alarm-report.csv"), report, now))
            return finishWith(false);
    }
    copy.remove();

    QSet<QString> names;
    for (const QFileInfo &info : captures) {
        QString name = archiveName(info.fileName());
        for (int n = 2; names.contains(name); ++n)
            name = archiveName(info.completeBaseName()) + QStringLiteral("-%1.txt").arg(n);
        names.insert(name);
        if (name != info.fileName())
            notes << QStringLiteral("capture/%1 is the file %2 (percent-encoded; the archive keeps "
                                    "names to safe characters)")
                         .arg(name, QString::fromLatin1(QUrl::toPercentEncoding(info.fileName())));
        if (!addFile(zip, QStringLiteral("capture/") + name, info, progress, &cancelled, &notes))
            return finishWith(false);
    }

    // Both settings files are rebuilt from what they are known to hold, never copied: a person
    // may have pasted anything into them. Only plain files are read (a pipe would block).
    for (const char *name : {"language.gl", "plant.ini"}) {
        const bool plant = QByteArray(name) == "plant.ini";
        const QFileInfo info(config.filePath(QLatin1String(name)));
        QFile in(info.filePath());
        if (!info.isFile() || !in.open(QIODevice::ReadOnly))
            continue;
        QByteArray text = in.read(plantConfigReadLimit + 1);
        if (plant) {
            const RebuiltConfig rebuilt = rebuiltPlantConfig(text);
            text = rebuilt.text;
            if (!rebuilt.leftOut.isEmpty())
                notes << QStringLiteral("config/plant.ini: %1 of its lines left out (%2 %3): "
                                        "only known keys that hold no secret, with plain values, "
                                        "are copied")
                             .arg(rebuilt.leftOut.size())
                             .arg(rebuilt.leftOut.size() == 1 ? QStringLiteral("line")
                                                              : QStringLiteral("lines"),
                                  lineList(rebuilt.leftOut));
        } else {
            text = rebuiltLanguageFile(text);
        }
        if (!zip.add(QStringLiteral("config/") + QLatin1String(name), text,
                     info.lastModified().toMSecsSinceEpoch()))
            return finishWith(false);
    }

    // The shelves as the program reads them, rebuilt; a file it reads none from is not copied.
    const QFileInfo shelfInfo(config.filePath(QStringLiteral("shelves.gl")));
    const alarms::ShelfRead shelves = alarms::readShelves(shelfInfo.filePath());
    if (shelves.problem != alarms::ShelfProblem::None)
        notes << QStringLiteral("config/shelves.gl not copied: ") +
                     alarms::shelfProblemText(shelves, QStringLiteral("the file"));
    else if (shelfInfo.isFile() && !zip.add(QStringLiteral("config/shelves.gl"),
                                            alarms::shelfFileContent(shelves.shelves),
                                            shelfInfo.lastModified().toMSecsSinceEpoch()))
        return finishWith(false);

    if (input.journal && !zip.add(QStringLiteral("frames.csv"), journalCsv(*input.journal), now))
        return finishWith(false);
    if (!notes.isEmpty() &&
        !zip.add(QStringLiteral("notes.txt"), notes.join(QLatin1Char('\n')).toUtf8() + '\n', now))
        return finishWith(false);

    if (progress.cancel.load())
        return finishWith(false);
    return finishWith(zip.finish());
}

} // namespace service
