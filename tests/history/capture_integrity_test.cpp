// Capture files read back exactly as they were written: the writer's form and nothing else, a
// torn last line, a line the disk refuses, two programs in one folder, and the replay's timing.

#include "history/capture.h"
#include "support/small_disk.h"
#include "support/table.h"
#include "tools/ccb_sim/replay.h"

#include <QBuffer>
#include <QDir>
#include <QLockFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/wait.h>
#include <unistd.h>

using history::CaptureChunk;
using history::CaptureFiles;

namespace {

const qint64 t0 = 1796000000000; // 2026-11-28T00:53:20Z

CaptureChunk chunkAt(qint64 at, const QByteArray &bytes, bool sent = false) {
    return {at, sent, bytes};
}

QList<QByteArray> linesOf(const QString &path) {
    QFile f(path);
    QList<QByteArray> lines;
    if (f.open(QIODevice::ReadOnly))
        while (!f.atEnd())
            lines << f.readLine();
    return lines;
}

qint64 captureBytes(const QString &dir) {
    qint64 total = 0;
    for (const QFileInfo &f : QDir(dir).entryInfoList({QStringLiteral("capture-*.txt")}))
        total += f.size();
    return total;
}

} // namespace

class CaptureIntegrityTest : public QObject {
    Q_OBJECT

private slots:
    void onlyTheWritersOwnFormIsRead_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("refusal"); // empty: read, and written back the same
        QTest::newRow("the writer's form")
            << QByteArray("2026-12-07T14:37:45.123Z RX 80 03\n") << QString();
        QTest::newRow("a Windows line end")
            << QByteArray("0001-01-01T00:00:00.000Z TX 99 03\r\n") << QString();
        QTest::newRow("a time offset")
            << QByteArray("9999-12-31T23:59:59.999-14:00 RX 80\n") << QStringLiteral("no time");
        QTest::newRow("no zone") << QByteArray("2026-12-07T14:37:45.123 RX 80\n")
                                 << QStringLiteral("no time");
        QTest::newRow("a date alone")
            << QByteArray("2026-12-07 RX 80\n") << QStringLiteral("no time");
        QTest::newRow("year 0") << QByteArray("0000-12-07T14:37:45.123Z RX 80\n")
                                << QStringLiteral("no such date");
        QTest::newRow("lower-case hex")
            << QByteArray("2026-12-07T14:37:45.123Z RX 7b\n") << QStringLiteral("upper-case hex");
    }
    void onlyTheWritersOwnFormIsRead() {
        QFETCH(QByteArray, line);
        QFETCH(QString, refusal);
        CaptureChunk c;
        QString reason;
        QCOMPARE(history::parseCaptureLine(line, &c, &reason), refusal.isEmpty());
        QVERIFY2(reason.contains(refusal), qPrintable(reason));
        if (refusal.isEmpty())
            QCOMPARE(history::captureLine(c), QByteArray(line).replace("\r\n", "\n"));
    }

    void aReadBackCountsWhatItSkipsAndLeavesOutATornLastLine() {
        QByteArray file = "2026-12-07T14:37:45.123Z RX 80 03 00\n"
                          "# 12 bytes lost: queue full\n"
                          "2026-12-07T14:37:45.200Z RX 80 0g\n"
                          "\n"
                          "2026-12-07 RX 80\n"
                          "2026-12-07T14:37:45.400Z TX E6\n"
                          // Torn between two byte pairs: it reads as a shorter chunk.
                          "2026-12-07T14:37:45.500Z RX 80 03";
        QBuffer buffer(&file);
        buffer.open(QIODevice::ReadOnly);
        const history::CaptureReading reading = history::readCapture(buffer);
        QCOMPARE(reading.chunks.size(), 2);
        QCOMPARE(reading.skippedLines.last(),
                 QStringLiteral("line 7: cut off (no newline at the end of the file)"));
        QCOMPARE(ccbsim::skippedSummary(reading),
                 QStringLiteral("3 lines skipped, the first is line 3: bytes not upper-case hex "
                                "pairs"));
    }

    void aLineTheDiskRefusesIsCutOffAndTheNextFileSaysWhatWasLost() {
        SmallDisk disk;
        CaptureFiles files(disk.path(), 1 << 20, 16 << 20, 3000);
        QString error;
        QVERIFY(files.start(QStringLiteral("ttyUSB0"), t0, &error));
        qint64 at = t0;
        const auto append = [&](int size) {
            ++at;
            return files.append(chunkAt(at, QByteArray(size, char(0x80 | (at & 0x7F)))), &error);
        };
        QVERIFY(append(700));
        const QString first = files.currentPath();
        disk.fill();
        int written = 1;
        while (append(700) && written < 2000)
            ++written;
        QVERIFY2(error.contains(disk.fullReason()), qPrintable(error));
        disk.free();
        // The next try waits its time: until then chunks are only counted.
        QVERIFY(!append(300));
        at += 3000;
        QVERIFY2(append(5), qPrintable(error));
        files.stop();
        // Whole lines in the first file; the next one begins with the loss.
        const QList<QByteArray> old = linesOf(first);
        QCOMPARE(old.size(), written);
        CaptureChunk c;
        QVERIFY(old.last().endsWith('\n') && history::parseCaptureLine(old.last(), &c));
        const QList<QByteArray> next = linesOf(files.currentPath());
        QCOMPARE(next.size(), 2);
        QVERIFY2(next[0].startsWith("# 1000 bytes lost: cannot write " + first.toUtf8()) &&
                     next[0].contains(disk.fullReason().toUtf8()),
                 next[0].constData());
    }

    void twoProgramsInOneFolderKeepTheirLiveFilesAndTheCapHoldsOverTheRest() {
        QTemporaryDir dir;
        const qint64 fileLimit = 1000, totalLimit = 4000;
        CaptureFiles a(dir.path(), fileLimit, totalLimit);
        CaptureFiles b(dir.path(), fileLimit, totalLimit);
        QString error;
        QVERIFY(a.start(QStringLiteral("ttyUSB0"), t0, &error));
        QVERIFY(b.start(QStringLiteral("ttyUSB1"), t0, &error));
        // A quiet line (a) beside a busy one (b): a's one file grows old while b's come and go.
        for (int i = 0; i < 150; ++i) {
            for (CaptureFiles *program : {&a, &b}) {
                if (program == &a && i % 10 != 0)
                    continue;
                const CaptureChunk c = chunkAt(t0 + i * 1000, QByteArray(30, char(i)));
                QVERIFY(program->append(c, &error));
                const QList<QByteArray> lines = linesOf(program->currentPath());
                QVERIFY2(
                    !lines.isEmpty() && lines.last() == history::captureLine(c),
                    qPrintable(QStringLiteral("a file deleted under its writer at %1").arg(i)));
            }
            // Over the cap by at most the other program's live file.
            QVERIFY(captureBytes(dir.path()) <= totalLimit + fileLimit);
        }
    }

    void theCapCountsWhatItMustKeepAndADeadProgramsFileGoes_data() {
        // After a power cut a running program may have the dead one's process id again.
        fixture::column<bool>("idTaken", {{"its process id free", false},
                                          {"its process id now a running program's", true}});
    }
    void theCapCountsWhatItMustKeepAndADeadProgramsFileGoes() {
        QFETCH(bool, idTaken);
        QTemporaryDir dir;
        const QString old = dir.filePath(QStringLiteral("capture-20250102-000000-ttyUSB3.txt"));
        QVERIFY(QFile(old).open(QIODevice::WriteOnly) && QFile::resize(old, 600));
        // Its program died holding the lock.
        const pid_t child = fork();
        if (child == 0) {
            QLockFile lock(
                dir.filePath(QStringLiteral(".capture-20250102-000000-ttyUSB3.txt.lock")));
            _exit(lock.tryLock(0) ? 0 : 1);
        }
        QVERIFY(child > 0 && waitpid(child, nullptr, 0) == child);
        if (idTaken) {
            // Named by this program's id: Qt's reading of the lock takes it for alive.
            QFile lock(dir.filePath(QStringLiteral(".capture-20250102-000000-ttyUSB3.txt.lock")));
            QVERIFY(lock.open(QIODevice::ReadWrite));
            QByteArray content = lock.readAll();
            content.replace(0, content.indexOf('\n'), QByteArray::number(qint64(getpid())));
            QVERIFY(lock.resize(0) && lock.seek(0) && lock.write(content) == content.size());
        }
        CaptureFiles live(dir.path(), 1000, 1500);
        QString error;
        QVERIFY(live.start(QStringLiteral("ttyUSB0"), t0, &error));
        QVERIFY(!QFile::exists(old));
        QVERIFY(live.append(chunkAt(t0, QByteArray(250, 'a')), &error)); // 778 bytes

        CaptureFiles other(dir.path(), 1000, 1500);
        QVERIFY(other.start(QStringLiteral("ttyUSB1"), t0 + 1000, &error));
        QVERIFY(QFile::exists(live.currentPath()));
        QCOMPARE(other.keptOverCap(), 778 + 1000 - 1500);
        live.stop();
        QVERIFY(other.start(QStringLiteral("ttyUSB1"), t0 + 2000, &error));
        QCOMPARE(other.keptOverCap(), 0);
    }

    void aReplayShortensLongPausesToTheLimit_data() {
        QTest::addColumn<QList<qint64>>("times"); // of the RX lines, from t0
        QTest::addColumn<double>("speed");
        QTest::addColumn<QList<qint64>>("due");
        QTest::newRow("pauses within the limit")
            << QList<qint64>{0, 100, 300} << 1.0 << QList<qint64>{0, 100, 300};
        QTest::newRow("a time stamp twelve days off")
            << QList<qint64>{0, 100, 100 + 12 * 86400000LL, 150 + 12 * 86400000LL} << 1.0
            << QList<qint64>{0, 100, 5100, 5150};
        QTest::newRow("a clock that went back")
            << QList<qint64>{0, 1000, 500, 700} << 1.0 << QList<qint64>{0, 1000, 1000, 1200};
        QTest::newRow("ten times faster")
            << QList<qint64>{0, 1000, 61000} << 10.0 << QList<qint64>{0, 100, 600};
    }
    void aReplayShortensLongPausesToTheLimit() {
        QFETCH(QList<qint64>, times);
        QFETCH(double, speed);
        QFETCH(QList<qint64>, due);
        QByteArray file;
        for (const qint64 t : times)
            file += history::captureLine(chunkAt(t0 + t, "\x80\x03")) +
                    // What the program sent is not played.
                    history::captureLine(chunkAt(t0 + t + 1, "\x99", true));
        QBuffer buffer(&file);
        buffer.open(QIODevice::ReadOnly);
        const ccbsim::ReplayPlan plan = ccbsim::planReplay(buffer, speed, 5000);
        QCOMPARE(plan.chunks.size(), times.size());
        QCOMPARE(QList<qint64>(plan.dueMs.begin(), plan.dueMs.end()), due);
    }
};

int main(int argc, char **argv) {
    // Before any thread: the small disk is a mount of this process alone.
    SmallDisk::enterPrivateMounts();
    QCoreApplication app(argc, argv);
    CaptureIntegrityTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "capture_integrity_test.moc"
