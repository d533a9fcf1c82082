#include "ui/alarms/shelf_keeper.h"

#include <QThread>

#include <utility>

namespace alarm_summary {

ShelfKeeper::ShelfKeeper(Restored r, Failed f, const QString &p, QObject *parent)
    : QObject(parent), restored(std::move(r)), failed(std::move(f)), path(p),
      thread(QThread::create([this] { run(); })) {
    thread->start(QThread::LowPriority);
}

ShelfKeeper::~ShelfKeeper() {
    {
        QMutexLocker lock(&mutex);
        stopping = true;
        wake.wakeAll();
    }
    // A few small files at most: what was decided is on disk before the program ends.
    thread->wait();
    delete thread;
}

void ShelfKeeper::save(std::vector<alarms::ShelfChange> changes) {
    if (changes.empty())
        return;
    QMutexLocker lock(&mutex);
    queue.push_back(std::move(changes));
    wake.wakeAll();
}

void ShelfKeeper::run() {
    const alarms::ShelfRead read = alarms::readShelves(path);
    QMetaObject::invokeMethod(
        this, [this, read] { restored(read); }, Qt::QueuedConnection);
    for (;;) {
        std::vector<alarms::ShelfChange> changes;
        {
            QMutexLocker lock(&mutex);
            while (queue.empty() && !stopping)
                wake.wait(&mutex);
            if (queue.empty())
                return;
            changes = std::move(queue.front());
            queue.pop_front();
        }
        QString error;
        if (alarms::saveShelfChanges(changes, &error, path))
            continue;
        // Said here too: at the end of the run no window is left to show it.
        qWarning("shelves: %s", qPrintable(error));
        QMetaObject::invokeMethod(
            this, [this, error] { failed(error); }, Qt::QueuedConnection);
    }
}

} // namespace alarm_summary
