#pragma once

#include "history/journal.h"
#include "service/about.h"
#include "service/bundle_period.h"

#include <QByteArray>
#include <QMetaType>
#include <QString>
#include <QStringList>

#include <atomic>
#include <optional>
#include <vector>

// The support bundle: one zip archive with everything a support team needs to understand a
// fault. Written by one call that never touches a window, so the window runs it on a worker
// thread and the command line runs it directly.
namespace service {

struct BundleInput {
    QString outputPath;
    QString logDir = QStringLiteral("log");
    QString configDir = QStringLiteral("config");
    qint64 since = 0; // capture files last written before this are left out; 0: all
    // about.txt, with what the bundle finds of the history added to historyTrouble.
    AboutFacts about;
    // The frame journal, copied out of the window; absent from the command line.
    std::optional<std::vector<history::JournalEntry>> journal;
};

// Shared with the thread that writes: progress in bytes, and the cancel request.
struct BundleProgress {
    std::atomic<qint64> done{0};
    std::atomic<qint64> total{0};
    std::atomic<bool> cancel{false};
};

struct BundleResult {
    enum Outcome { Written, Cancelled, Failed };
    Outcome outcome = Failed;
    QString error;       // Failed: why (English, as the libraries say it)
    QStringList entries; // the names in the archive, in order
    QString path;        // the archive's file
};

// Writes the archive to a temporary file beside outputPath and renames it into place only when
// complete: a cancelled or failed export leaves nothing under outputPath. The database copy is
// taken beside it too (the system's temporary folder may be far too small), and removed before
// the call returns. A log folder with neither history.sqlite nor a capture file, and no frame
// journal, is no bundle: Failed, naming the working directory. Cancel takes effect within a
// fraction of a second.
BundleResult writeBundle(const BundleInput &input, BundleProgress &progress);

// A capture file's name as the archive holds it: letters, digits, '.', '-' and '_' only, so no
// unzip reads a part of it as a folder.
QString archiveName(const QString &fileName);

} // namespace service

Q_DECLARE_METATYPE(service::BundleResult)
