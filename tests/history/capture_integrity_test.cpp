// Capture files read back exactly as they were written: the line form and nothing else, a torn
// last line, lines the disk refuses, two programs in one folder, and the replay's timing.

#include "history/capture.h"
#include "support/small_disk.h"
#include "tools/ccb_sim/replay.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/wait.h>
#include <unistd.h>

using history::CaptureChunk;
using history::CaptureFiles;

namespace {

const qint64 t0 = 1796000000000; // 2026-11-28T00:53:20Z

CaptureChunk chunkAt(qint64 at, const QByteArray &bytes, bool sent = false) {
    CaptureChunk c;
    c.at = at;
    c.sent = sent;
    c.bytes = bytes;
    return c;
}

qint64 captureBytes(const QString &dir) {
    qint64 total = 0;
    for (const QFileInfo &f :
         QDir(dir).entryInfoList({QStringLiteral("capture-*.txt")}, QDir::Files))
        total += f.size();
    return total;
}

QList<QByteArray> linesOf(const QString &path) {
    QFile f(path);
    QList<QByteArray> lines;
    if (f.open(QIODevice::ReadOnly))
        while (!f.atEnd())
            lines << f.readLine();
    return lines;
}

// A lock on `path` left behind by a program that died holding it.
bool leaveStaleLock(const QString &path) {
    const pid_t child = fork();
    if (child == 0) {
        QLockFile lock(path);
        _exit(lock.tryLock(0) ? 0 : 1);
    }
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0 && QFile::exists(path);
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
            << QByteArray("2026-12-07T14:37:45.123Z TX 99 03 00 33 7B\r\n") << QString();
        QTest::newRow("the first year")
            << QByteArray("0001-01-01T00:00:00.000Z RX 00\n") << QString();
        QTest::newRow("a time offset")
            << QByteArray("9999-12-31T23:59:59.999-14:00 RX 80\n") << QStringLiteral("no time");
        QTest::newRow("no zone") << QByteArray("2026-12-07T14:37:45.123 RX 80\n")
                                 << QStringLiteral("no time");
        QTest::newRow("a date alone")
            << QByteArray("2026-12-07 RX 80\n") << QStringLiteral("no time");
        QTest::newRow("no milliseconds")
            << QByteArray("2026-12-07T14:37:45Z RX 80\n") << QStringLiteral("no time");
        QTest::newRow("year 0") << QByteArray("0000-12-07T14:37:45.123Z RX 80\n")
                                << QStringLiteral("no such date");
        QTest::newRow("hour 24") << QByteArray("2026-12-07T24:00:00.000Z RX 80\n")
                                 << QStringLiteral("no such date");
        QTest::newRow("lower-case hex")
            << QByteArray("2026-12-07T14:37:45.123Z RX 7b\n") << QStringLiteral("upper-case hex");
        QTest::newRow("a blank at the end")
            << QByteArray("2026-12-07T14:37:45.123Z RX 80 \n") << QStringLiteral("upper-case hex");
        QTest::newRow("another direction")
            << QByteArray("2026-12-07T14:37:45.123Z XX 80\n") << QStringLiteral("direction");
    }
    void onlyTheWritersOwnFormIsRead() {
        QFETCH(QByteArray, line);
        QFETCH(QString, refusal);
        CaptureChunk c;
        QString reason;
        const bool read = history::parseCaptureLine(line, &c, &reason);
        if (!refusal.isEmpty()) {
            QVERIFY(!read);
            QVERIFY2(reason.contains(refusal), qPrintable(reason));
            return;
        }
        QVERIFY2(read, qPrintable(reason));
        QByteArray written = line;
        written.replace("\r\n", "\n");
        QCOMPARE(history::captureLine(c), written);
    }

    void aReadBackCountsWhatItSkipsAndDropsATornLastLine() {
        QByteArray file = "2026-12-07T14:37:45.123Z RX 80 03 00\n"
                          "# 12 bytes lost: queue full\n"
                          "2026-12-07T14:37:45.200Z RX 80 0g\n"
                          "\n"
                          "2026-12-07 RX 80\n"
                          "2026-12-07T14:37:45.300Z TX 99 03 00 33 7B\n"
                          "2026-12-07T14:37:45.400Z RX E6\n"
                          // Torn between two byte pairs: it reads as a shorter chunk.
                          "2026-12-07T14:37:45.500Z RX 80 03";
        QBuffer buffer(&file);
        QVERIFY(buffer.open(QIODevice::ReadOnly));
        const history::CaptureReading reading = history::readCapture(buffer);
        QCOMPARE(reading.chunks.size(), 3);
        QCOMPARE(reading.chunks.last().bytes, QByteArray("\xE6"));
        QCOMPARE(reading.skipped, 3);
        QCOMPARE(reading.firstSkippedLine, 3);
        QCOMPARE(reading.skippedLines.last(),
                 QStringLiteral("line 8: cut off (no newline at the end of the file)"));
        QCOMPARE(ccbsim::skippedSummary(reading),
                 QStringLiteral("3 lines skipped, the first is line 3: bytes not upper-case hex "
                                "pairs"));
    }

    void aLineTheDiskRefusesIsCutOffAndTheNextFileSaysWhatWasLost() {
        SmallDisk disk;
        const QString dir = disk.path() + QStringLiteral("/log");
        CaptureFiles files(dir, 1 << 20, 16 << 20, 3000);
        QString error;
        QVERIFY(files.start(QStringLiteral("ttyUSB0"), t0, &error));
        qint64 at = t0;
        qint64 sent = 0;
        const auto append = [&](int size) {
            sent += size;
            const CaptureChunk c = chunkAt(at, QByteArray(size, char(0x80 | (at & 0x7F))));
            ++at;
            return files.append(c, &error);
        };
        QVERIFY(append(700));
        const QString first = files.currentPath();
        disk.fill();
        int written = 1;
        while (append(700) && written < 100)
            ++written;
        QVERIFY2(error.contains(disk.fullReason()), qPrintable(error));
        QVERIFY(files.inTrouble());
        // The next try waits its time: until then chunks are only counted.
        disk.free();
        QVERIFY(!append(300));
        QCOMPARE(files.lostBytes(), quint64(1000));
        at += 3000;
        QVERIFY2(append(5), qPrintable(error));
        QVERIFY(!files.inTrouble());
        QVERIFY(files.currentPath() != first);
        files.stop();

        // The first file holds whole lines only; the next one begins with the loss.
        const QList<QByteArray> old = linesOf(first);
        QCOMPARE(old.size(), written);
        for (const QByteArray &line : old) {
            CaptureChunk c;
            QVERIFY(history::parseCaptureLine(line, &c) && line.endsWith('\n'));
        }
        const QList<QByteArray> next = linesOf(files.currentPath());
        QCOMPARE(next.size(), 2);
        QVERIFY2(next[0].startsWith("# 1000 bytes lost: cannot write " + first.toUtf8()),
                 next[0].constData());
        QVERIFY(next[0].contains(disk.fullReason().toUtf8()));
        QCOMPARE(qint64(written) * 700 + 1000 + 5, sent);
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
            const qint64 at = t0 + i * 1000;
            for (CaptureFiles *program : {&a, &b}) {
                if (program == &a && i % 10 != 0)
                    continue;
                const CaptureChunk c = chunkAt(at, QByteArray(30, char(i)));
                QVERIFY2(program->append(c, &error), qPrintable(error));
                // The line just written is in a file that is still there.
                const QList<QByteArray> lines = linesOf(program->currentPath());
                QVERIFY2(!lines.isEmpty() && lines.last() == history::captureLine(c),
                         qPrintable(QStringLiteral("%1 lost its file at %2")
                                        .arg(program == &a ? 'a' : 'b')
                                        .arg(i)));
            }
            // Beyond the cap by at most the other program's live file.
            QVERIFY2(captureBytes(dir.path()) <= totalLimit + fileLimit,
                     qPrintable(QString::number(captureBytes(dir.path()))));
        }
        QVERIFY(QDir(dir.path()).entryList({QStringLiteral("capture-*.txt")}).size() <= 6);
    }

    void whatTheCapMustKeepIsCountedAndADeadProgramsFileGoes() {
        QTemporaryDir dir;
        const auto old = [&](const QString &name) {
            QFile f(dir.filePath(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray(600, 'x'));
        };
        old(QStringLiteral("capture-20250101-000000-ttyUSB2.txt"));
        old(QStringLiteral("capture-20250102-000000-ttyUSB3.txt"));
        QVERIFY(leaveStaleLock(
            dir.filePath(QStringLiteral(".capture-20250102-000000-ttyUSB3.txt.lock"))));
        CaptureFiles live(dir.path(), 1000, 1500);
        QString error;
        QVERIFY(live.start(QStringLiteral("ttyUSB0"), t0, &error));
        QVERIFY(live.append(chunkAt(t0, QByteArray(250, 'a')), &error)); // 778 bytes
        QCOMPARE(QDir(dir.path()).entryList({QStringLiteral("capture-2025*")}).size(), 0);
        // The dead program's lock went with its file.
        QCOMPARE(QDir(dir.path())
                     .entryList({QStringLiteral(".capture-2025*")}, QDir::Files | QDir::Hidden)
                     .size(),
                 0);

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
        for (const qint64 t : times) {
            file += history::captureLine(chunkAt(t0 + t, "\x80\x03"));
            // What the program sent is not played.
            file += history::captureLine(chunkAt(t0 + t + 1, "\x99", true));
        }
        QBuffer buffer(&file);
        QVERIFY(buffer.open(QIODevice::ReadOnly));
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
