#pragma once

#include "history/recorder.h"
#include "history/records.h"
#include "protocol/dispatch.h"
#include "protocol/frame.h"
#include "protocol/reassembly.h"
#include "support/frames.h"
#include "support/wait.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>
#include <QVariant>

#include <initializer_list>
#include <vector>

// Frames as the CCB writes them, and a receive path like the window's, for the history suites.
namespace historyfixture {

using frames::bytes;
using frames::corrupted;
using frames::make;
using frames::parameterReply;
using frames::systemStatus;

// Module status for module `index`: alarms byte (offset 3), PD bits (offset 2), beam (offset 5).
inline QByteArray moduleStatus(int index, int pd, int alarms, int beam) {
    return make(0xE2, bytes({pd, alarms, 0, beam, 0, 0, index}));
}

inline QByteArray driverBoard(int board, int channel, int faults, int overTemp4) {
    return frames::driverBoard(faults, overTemp4, "V1.0.0", frames::driverSlot(channel), board);
}

// A 14-bit raw value in hundredths of a degree.
inline QByteArray temperature(int raw, int channel) {
    return frames::temperature((raw >> 7) & 0x7F, raw & 0x7F, channel);
}

inline QByteArray dewPoint(int raw) {
    return make(0xE4, bytes({0, 0, 0, (raw >> 7) & 0x7F, raw & 0x7F, 0}));
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

using fixture::waitUntil;

} // namespace historyfixture
