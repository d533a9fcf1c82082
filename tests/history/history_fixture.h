#pragma once

#include "history/recorder.h"
#include "history/records.h"
#include "protocol/dispatch.h"
#include "protocol/frame.h"
#include "protocol/reassembly.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>
#include <QThread>
#include <QVariant>

#include <initializer_list>
#include <vector>

// Frames as the CCB writes them, and a receive path like the window's, for the history suites.
namespace historyfixture {

inline QByteArray bytes(std::initializer_list<int> values) {
    QByteArray out;
    for (int v : values)
        out.append(char(v));
    return out;
}

// Code byte, length byte, payload, check bytes.
inline QByteArray make(int code, const QByteArray &payload) {
    QByteArray f;
    f.append(char(code));
    f.append(char(payload.size() + 2));
    f.append(payload);
    protocol::appendCheckBytes(f);
    return f;
}

inline QByteArray corrupted(QByteArray f) {
    f[f.size() - 1] = char((f.at(f.size() - 1) + 1) & 0x7F);
    return f;
}

inline QByteArray systemStatus(int b2, int b3, int b4) {
    return make(0xE6, bytes({b2, b3, b4}));
}

// Module status for module `index`: alarms byte (offset 3), PD bits (offset 2), beam (offset 5).
inline QByteArray moduleStatus(int index, int pd, int alarms, int beam) {
    return make(0xE2, bytes({pd, alarms, 0, beam, 0, 0, index}));
}

inline QByteArray driverBoard(int board, int channel, int faults, int overTemp4) {
    QByteArray payload = bytes({faults, overTemp4});
    payload.append(QByteArray(15, '\0'));
    payload.append("V1.0.0");
    payload.append(QByteArray(2, '\0'));
    payload.append(char(((channel / 4) << 4) | (channel % 4)));
    payload.append(char(board));
    return make(0xD2, payload);
}

inline QByteArray temperature(int raw, int channel) {
    return bytes({0xE0, 0x04, (raw >> 7) & 0x7F, raw & 0x7F, channel, 0x00});
}

inline QByteArray dewPoint(int raw) {
    return make(0xE4, bytes({0, 0, 0, (raw >> 7) & 0x7F, raw & 0x7F, 0}));
}

inline QByteArray parameterReply(int parameter, const QByteArray &value) {
    QByteArray payload =
        bytes({1, 0, 0, int((value.size() << 3) | ((parameter >> 7) & 1)), parameter & 0x7F});
    payload.append(value);
    return make(0xEF, payload);
}

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
inline QStringList summary(const std::vector<history::Event> &events) {
    QStringList out;
    for (const history::Event &e : events)
        out << e.category + QLatin1Char(' ') + e.name + QLatin1Char(' ') + e.value;
    return out;
}

// Rows of a table through a connection of the test's own.
inline QList<QVariantList> rows(const QString &dbPath, const QString &sql) {
    QList<QVariantList> out;
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("test-reader"));
        db.setDatabaseName(dbPath);
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

template <typename Done> bool waitUntil(Done done, int timeoutMs = 3000) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(2);
    }
    return true;
}

} // namespace historyfixture
