#include "history/writer_thread.h"

#include "history/writer.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QMutexLocker>

namespace history {

WriterThread::WriterThread(WriterQueue &queue, const QString &logDir, const WriterLimits &limits,
                           QObject *parent)
    : QThread(parent), queue(queue), dir(logDir), limits(limits) {}

WriterThread::~WriterThread() {
    finish();
}

void WriterThread::flushNow() {
    if (!isRunning())
        return;
    QMutexLocker lock(&mutex);
    const quint64 wanted = ++flushRequested;
    wake.wakeAll();
    while (flushDone < wanted && isRunning())
        written.wait(&mutex, 100);
}

void WriterThread::finish() {
    {
        QMutexLocker lock(&mutex);
        stopping = true;
        wake.wakeAll();
    }
    wait();
}

void WriterThread::run() {
    HistoryWriter writer(dir, limits, [](const QString &text) {
        // Standard error now; the notice reaches whoever shows it in the window.
        qWarning("%s", qPrintable(text));
    });
    writer.setNoticeSink([this](const Notice &n) {
        emit trouble(logText(n));
        emit notice(n);
    });
    writer.setRowSink([this](const events::Event &e) { emit ownRow(e); });
    writer.setStoredSink([this](const events::StoredEvent &e) { emit stored(e); });
    writer.setStopAsked([this] {
        QMutexLocker lock(&mutex);
        return stopping || flushRequested != flushDone;
    });
    // The check of a large database takes seconds: done now, while the window starts, rather
    // than when the first rows wait for it.
    writer.openExisting(QDateTime::currentMSecsSinceEpoch());
    emit started();
    qint64 nextSize = 0;
    for (;;) {
        quint64 serving = 0;
        bool last = false;
        {
            QMutexLocker lock(&mutex);
            // While retention has deletes left, they go on soon after each write.
            if (!stopping && flushRequested == flushDone)
                wake.wait(&mutex, writer.isRetaining() ? 100 : 1000);
            serving = flushRequested;
            last = stopping;
        }
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        if (last)
            writer.finish(queue.take());
        else
            writer.write(queue.take(), now);
        if (!last && now >= nextSize) {
            emit logSize(folderSize(dir));
            nextSize = now + 10000;
        }
        {
            QMutexLocker lock(&mutex);
            flushDone = serving;
            written.wakeAll();
        }
        if (last)
            break;
    }
}

qint64 folderSize(const QString &dir) {
    qint64 total = 0;
    QDirIterator it(dir, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        total += it.fileInfo().size();
    }
    return total;
}

} // namespace history

#include "moc_writer_thread.cpp"
