// Capture files: the line format, chunks cut anywhere (inside frames too), rotation and the cap
// on all capture files, with small sizes instead of 16 and 256 MiB.

#include "history/capture.h"
#include "protocol/commands.h"
#include "support/frames.h"
#include "support/history.h"
#include "support/table.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace fixture;
using namespace frames;
using history::CaptureChunk;
using history::CaptureFiles;

namespace {

qint64 totalSize(const QString &dir) {
    qint64 total = 0;
    for (const QFileInfo &f :
         QDir(dir).entryInfoList({QStringLiteral("capture-*.txt")}, QDir::Files))
        total += f.size();
    return total;
}

const qint64 t0 = 1796000000000; // 2026-11-28T00:53:20Z

} // namespace

class CaptureTest : public QObject {
    Q_OBJECT

private slots:
    void aLineIsTheUtcTimeTheDirectionAndUpperCaseHex() {
        CaptureChunk c;
        c.at = QDateTime(QDate(2026, 12, 7), QTime(14, 37, 45, 123), Qt::UTC).toMSecsSinceEpoch();
        c.bytes = bytes({0x80, 0x03, 0x00, 0x33, 0x7B});
        QCOMPARE(history::captureLine(c),
                 QByteArray("2026-12-07T14:37:45.123Z RX 80 03 00 33 7B\n"));
        c.sent = true;
        c.at -= 45123;
        c.bytes = bytes({0xff});
        QCOMPARE(history::captureLine(c), QByteArray("2026-12-07T14:37:00.000Z TX FF\n"));
    }

    void linesReadBackAsTheChunksTheyWereMadeFrom_data() {
        fixture::columns<qint64, bool, QByteArray>("at", "sent", "data");
        QByteArray all;
        for (int i = 0; i < 256; ++i)
            all.append(char(i));
        QTest::newRow("every byte value") << t0 << false << all;
        QTest::newRow("one byte sent") << t0 + 999 << true << bytes({0x0A});
        QTest::newRow("newline and return bytes") << qint64(0) << false << QByteArray("\n\r\n");
        QTest::newRow("a long chunk") << t0 + 1 << false << QByteArray(4096, char(0xE6));
    }
    void linesReadBackAsTheChunksTheyWereMadeFrom() {
        QFETCH(qint64, at);
        QFETCH(bool, sent);
        QFETCH(QByteArray, data);
        CaptureChunk c;
        c.at = at;
        c.sent = sent;
        c.bytes = data;
        CaptureChunk back;
        QVERIFY(history::parseCaptureLine(history::captureLine(c), &back));
        QCOMPARE(back.at, at);
        QCOMPARE(back.sent, sent);
        QCOMPARE(back.bytes, data);
    }

    void malformedLinesAreRefused_data() {
        fixture::column<QByteArray>("line", {{"remark", "# 12 bytes lost\n"},
                                             {"empty", "\n"},
                                             {"no bytes", "2026-12-07T14:37:45.123Z RX\n"},
                                             {"odd hex", "2026-12-07T14:37:45.123Z RX 8\n"},
                                             {"not hex", "2026-12-07T14:37:45.123Z RX 8G\n"},
                                             {"no direction", "2026-12-07T14:37:45.123Z 80 03\n"},
                                             {"bad time", "2026-13-07T14:37:45.123Z RX 80\n"},
                                             {"two spaces", "2026-12-07T14:37:45.123Z RX  80\n"}});
    }
    void malformedLinesAreRefused() {
        QFETCH(QByteArray, line);
        CaptureChunk c;
        QVERIFY(!history::parseCaptureLine(line, &c));
    }

    void theRecorderCapturesEachChunkAsItArrivedWithTheSentFramesBetween() {
        QTemporaryDir dir;
        const QString log = dir.filePath(QStringLiteral("log"));
        ManualClock clock;
        QByteArray stream = systemStatus(0, 0x08, 0) + temperatureReading(2591, 2) + bytes({0x01}) +
                            moduleStatus(1, Module::qbh);
        {
            history::RecorderOptions options;
            options.logDir = log;
            options.clock = clock.function();
            history::Recorder recorder(nullptr, options);
            protocol::DeviceState state;
            ReceivePath path(recorder, state);
            recorder.bytesReceived(QByteArray("before the open"));
            recorder.portOpened(QStringLiteral("ttyUSB0"), QString());
            // Cut inside the first frame, inside its check bytes and inside the last frame.
            path.receive(stream.left(3));
            clock.now += 7;
            path.receive(stream.mid(3, 4));
            recorder.frameSent(protocol::redLightFrame(1), 16);
            clock.now += 1;
            path.receive(stream.mid(7, 12));
            path.receive(stream.mid(19));
            path.pass();
            recorder.portClosed(QStringLiteral("ttyUSB0"));
            recorder.bytesReceived(QByteArray("after the close"));
            recorder.flushNow();
            QCOMPARE(state.moduleStatus[1].qbhFault, true);
        }
        QStringList names;
        const QList<CaptureChunk> chunks = captureChunks(log, &names);
        QCOMPARE(names,
                 QStringList{history::captureFileName(QStringLiteral("ttyUSB0"), clock.now - 8)});
        QCOMPARE(chunks.size(), 5);
        QByteArray rx;
        for (const CaptureChunk &c : chunks)
            if (!c.sent)
                rx += c.bytes;
        QCOMPARE(rx, stream);
        QCOMPARE(chunks[0].bytes, stream.left(3));
        QCOMPARE(chunks[2].sent, true);
        QCOMPARE(chunks[2].bytes, protocol::redLightFrame(1));
        QCOMPARE(chunks[1].at, clock.now - 1);
    }

    void anOpenStartsANewFileAndNeverReusesOne() {
        QTemporaryDir dir;
        CaptureFiles a(dir.path(), 1 << 20, 1 << 24);
        CaptureFiles b(dir.path(), 1 << 20, 1 << 24);
        QString error;
        // Two programs on the same port name in the same second (or one program reopening).
        QVERIFY(a.start(QStringLiteral("ttyUSB0"), t0, &error));
        QVERIFY(b.start(QStringLiteral("ttyUSB0"), t0, &error));
        QVERIFY(a.currentPath() != b.currentPath());
        CaptureChunk c;
        c.at = t0;
        c.bytes = "A";
        QVERIFY(a.append(c, &error));
        c.bytes = "B";
        QVERIFY(b.append(c, &error));
        a.stop();
        b.stop();
        QVERIFY(a.start(QStringLiteral("ttyUSB0"), t0, &error));
        QCOMPARE(QDir(dir.path()).entryList({QStringLiteral("capture-*")}).size(), 3);
        // A port name with a slash becomes one file name.
        QVERIFY(b.start(QStringLiteral("pts/3"), t0, &error));
        QVERIFY(b.currentPath().endsWith(QStringLiteral("-pts_3.txt")));
    }

    void aFileFullerThanItsLimitContinuesInTheNextWithNothingLost() {
        QTemporaryDir dir;
        const qint64 fileLimit = 1000;
        CaptureFiles files(dir.path(), fileLimit, 1 << 24);
        QString error;
        QVERIFY(files.start(QStringLiteral("ttyUSB0"), t0, &error));
        QByteArray all;
        for (int i = 0; i < 60; ++i) {
            CaptureChunk c;
            c.at = t0 + i * 1000; // a second apart: each file gets its own name
            c.bytes = QByteArray(20 + i % 7, char(i));
            all += c.bytes;
            QVERIFY(files.append(c, &error));
        }
        files.stop();
        QStringList names;
        const QList<CaptureChunk> chunks = captureChunks(dir.path(), &names);
        QVERIFY2(names.size() >= 4, qPrintable(names.join(',')));
        QByteArray back;
        for (const CaptureChunk &c : chunks)
            back += c.bytes;
        QCOMPARE(back, all);
        for (const QString &name : names)
            QVERIFY(QFileInfo(QDir(dir.path()).filePath(name)).size() <= fileLimit);
    }

    void theCapFilesGoOldestFirstAndOtherFilesStay() {
        QTemporaryDir dir;
        const auto makeOld = [&](const QString &name) {
            QFile f(dir.filePath(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray(900, 'x'));
        };
        makeOld(QStringLiteral("capture-20250101-000000-ttyUSB1.txt"));
        makeOld(QStringLiteral("capture-20250102-000000-ttyUSB0.txt"));
        makeOld(QStringLiteral("capture-20250103-000000-ttyUSB1.txt"));
        makeOld(QStringLiteral("history.sqlite"));
        makeOld(QStringLiteral("notes.txt"));
        const qint64 fileLimit = 1000, totalLimit = 3500;
        CaptureFiles files(dir.path(), fileLimit, totalLimit);
        QString error;
        QVERIFY(files.start(QStringLiteral("ttyUSB0"), t0, &error));
        // Room for the new file: the oldest goes, the other two stay.
        QVERIFY(
            !QFile::exists(dir.filePath(QStringLiteral("capture-20250101-000000-ttyUSB1.txt"))));
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral("capture-20250102-000000-ttyUSB0.txt"))));
        QByteArray recent;
        for (int i = 0; i < 200; ++i) {
            CaptureChunk c;
            c.at = t0 + i * 1000;
            c.bytes = QByteArray(30, char(i));
            QVERIFY(files.append(c, &error));
            QVERIFY2(totalSize(dir.path()) <= totalLimit,
                     qPrintable(QString::number(totalSize(dir.path()))));
            if (i >= 190)
                recent += c.bytes;
        }
        files.stop();
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral("history.sqlite"))));
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral("notes.txt"))));
        QVERIFY(
            !QFile::exists(dir.filePath(QStringLiteral("capture-20250103-000000-ttyUSB1.txt"))));
        // The newest bytes are all there, at the end.
        QByteArray back;
        for (const CaptureChunk &c : captureChunks(dir.path()))
            back += c.bytes;
        QVERIFY(back.endsWith(recent));
    }
};

QTEST_GUILESS_MAIN(CaptureTest)
#include "capture_test.moc"
