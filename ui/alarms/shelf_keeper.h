#pragma once

#include "alarms/decisions.h"
#include "alarms/shelf_file.h"

#include <QMutex>
#include <QObject>
#include <QString>
#include <QWaitCondition>

#include <deque>
#include <functional>
#include <vector>

class QThread;

namespace alarm_summary {

// The shelf file on a thread of its own, so that the window never waits on the disk: read once
// as it starts, then the changes saved one batch after another in the order they were decided.
// What it read and a save that failed come back on the thread that made it. Its end saves what
// is still queued before it returns (a shelf made a moment before the window closed holds at the
// next start).
class ShelfKeeper : public QObject {
    Q_OBJECT
public:
    using Restored = std::function<void(const alarms::ShelfRead &)>;
    using Failed = std::function<void(const QString &error)>;

    ShelfKeeper(Restored restored, Failed failed, const QString &path = alarms::shelfFilePath(),
                QObject *parent = nullptr);
    ~ShelfKeeper() override;

    void save(std::vector<alarms::ShelfChange> changes);

private:
    void run();

    Restored restored;
    Failed failed;
    QString path;
    QThread *thread;
    QMutex mutex;
    QWaitCondition wake;
    std::deque<std::vector<alarms::ShelfChange>> queue;
    bool stopping = false;
};

} // namespace alarm_summary
