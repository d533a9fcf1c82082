#pragma once

// The history without the window: a receive path that feeds a recorder as the window does, a
// clock the test moves by hand, short forms of the recorded events, and what the capture files
// and the database of a log folder hold, read by the test itself.
#include "events/records.h"
#include "history/capture.h"
#include "history/recorder.h"
#include "protocol/dispatch.h"
#include "protocol/reassembly.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <vector>

namespace fixture {

// Reassembly and dispatch as the window runs them, reporting to a recorder.
class ReceivePath : public protocol::FrameSink {
public:
    ReceivePath(history::Recorder &recorder, protocol::DeviceState &state)
        : recorder(recorder), state(state) {}
    void frameComplete(const QByteArray &frame) override {
        recorder.frameReceived(frame, protocol::dispatchFrameVerdict(frame, state), state);
    }
    void bytesSkipped(const char *b, int count) override { recorder.bytesSkipped(b, count); }
    // One chunk as the port delivers it, then a quiet-line pass.
    void receive(const QByteArray &chunk) {
        recorder.bytesReceived(chunk);
        buffer.append(chunk);
    }
    void pass() { protocol::reassemble(buffer, *this); }
    void receiveAndPass(const QByteArray &chunk) {
        receive(chunk);
        pass();
    }
    QByteArray buffer;

private:
    history::Recorder &recorder;
    protocol::DeviceState &state;
};

// A clock the test moves by hand.
struct ManualClock {
    qint64 now = 1796000000000; // late 2026
    std::function<qint64()> function() {
        return [this] { return now; };
    }
};

// "category name value" of each event, for short comparisons.
inline QStringList summary(const std::vector<events::Event> &events) {
    QStringList out;
    for (const events::Event &e : events)
        out << e.category + QLatin1Char(' ') + e.name + QLatin1Char(' ') + e.value;
    return out;
}

// Every capture file of `dir` in name order, read as chunks (remarks left out); `names` gets the
// file names.
inline QList<history::CaptureChunk> captureChunks(const QString &dir,
                                                  QStringList *names = nullptr) {
    QList<history::CaptureChunk> out;
    const QStringList files =
        QDir(dir).entryList({QStringLiteral("capture-*.txt")}, QDir::Files, QDir::Name);
    for (const QString &name : files) {
        if (names)
            *names << name;
        QFile f(QDir(dir).filePath(name));
        if (!f.open(QIODevice::ReadOnly))
            continue;
        while (!f.atEnd()) {
            history::CaptureChunk c;
            if (history::parseCaptureLine(f.readLine(), &c))
                out << c;
        }
    }
    return out;
}

// All received bytes of the capture files in `dir`, in order.
inline QByteArray receivedBytes(const QString &dir) {
    QByteArray rx;
    for (const history::CaptureChunk &c : captureChunks(dir))
        if (!c.sent)
            rx += c.bytes;
    return rx;
}

// The rows `sql` gives on the database at `dbPath`, through a connection of the test's own; none
// when there is no database yet (the connection would make an empty one).
inline QList<QVariantList> rows(const QString &dbPath, const QString &sql) {
    QList<QVariantList> out;
    if (!QFile::exists(dbPath))
        return out;
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("test-reader"));
        db.setDatabaseName(dbPath);
        // Another program may be writing: wait for its lock as the program would.
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=2000"));
        if (db.open()) {
            QSqlQuery q(db);
            if (q.exec(sql)) {
                while (q.next()) {
                    QVariantList row;
                    for (int i = 0; i < q.record().count(); ++i)
                        row << q.value(i);
                    out << row;
                }
            }
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("test-reader"));
    return out;
}

} // namespace fixture
