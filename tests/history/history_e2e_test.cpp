// The real program with the simulated CCB on a virtual ttyUSB0 (X display, root, xdotool and
// ImageMagick; skips otherwise): the rows and capture it writes for an alarm that comes and
// goes and for a frame with wrong check bytes.

#include "history/capture.h"
#include "support/e2e.h"
#include "support/e2e/harness.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QThread>
#include <QtTest>

#include <memory>

namespace {

struct EventRow {
    qint64 at;
    QString category;
    QString name;
    QString value;
};

// The events of a history database, read through a connection of the test's own.
QList<EventRow> eventsIn(const QString &path) {
    QList<EventRow> out;
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("e2e"));
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=2000;QSQLITE_OPEN_READONLY"));
        if (QFile::exists(path) && db.open()) {
            QSqlQuery q(db);
            if (q.exec(
                    QStringLiteral("SELECT at, category, name, value FROM events ORDER BY rowid")))
                while (q.next())
                    out << EventRow{q.value(0).toLongLong(), q.value(1).toString(),
                                    q.value(2).toString(), q.value(3).toString()};
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("e2e"));
    return out;
}

QList<EventRow> named(const QList<EventRow> &rows, const QString &name) {
    QList<EventRow> out;
    for (const EventRow &r : rows)
        if (r.name == name)
            out << r;
    return out;
}

// All received bytes of the capture files in `dir`, in order.
QByteArray receivedBytes(const QString &dir) {
    QByteArray rx;
    for (const QString &name :
         QDir(dir).entryList({QStringLiteral("capture-*.txt")}, QDir::Files, QDir::Name)) {
        QFile f(QDir(dir).filePath(name));
        if (!f.open(QIODevice::ReadOnly))
            continue;
        while (!f.atEnd()) {
            history::CaptureChunk c;
            if (history::parseCaptureLine(f.readLine(), &c) && !c.sent)
                rx += c.bytes;
        }
    }
    return rx;
}

// The simulator, the program in its own folder and its window, with the port opened.
struct Session {
    harness::Paths paths = harness::defaultPaths();
    std::unique_ptr<harness::WorkDir> dir;
    harness::Simulator sim;
    harness::Program program;
    std::unique_ptr<harness::FormMap> map;
    std::unique_ptr<harness::Driver> driver;

    ~Session() {
        program.stop();
        sim.stop();
    }
    QString start() {
        dir = std::make_unique<harness::WorkDir>(paths.languageDir);
        if (!dir->isValid())
            return QStringLiteral("no working directory");
        if (!sim.start(paths.simulator, {QStringLiteral("--no-drift"), QStringLiteral("--period"),
                                         QStringLiteral("300"), QStringLiteral("--verbose")}))
            return QStringLiteral("the simulator did not start");
        if (!program.start(paths, sim.ptyPath(), dir->path()))
            return QStringLiteral("the program did not start");
        map = std::make_unique<harness::FormMap>();
        driver = std::make_unique<harness::Driver>(*map);
        if (!driver->attach(15000))
            return QStringLiteral("no window appeared: %1").arg(program.output());
        settle(500);
        const QString name = QStringLiteral("pushButtonSerialSwitch");
        for (int attempt = 0; attempt < 2; ++attempt) {
            driver->click(name);
            if (driver->waitForText(name, QStringLiteral("关闭串口"), 5000))
                return QString();
        }
        return QStringLiteral("the port did not open: %1").arg(program.output());
    }
    QString log() const { return dir->path() + QStringLiteral("/log"); }
};

} // namespace

class HistoryE2eTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { SKIP_WITHOUT_PREREQUISITES(); }

    void anAlarmThatComesAndGoesGivesOneOnAndOneOffRowWithinASecond() {
        Session s;
        START_SESSION(s);
        const QString db = s.log() + QStringLiteral("/history.sqlite");
        settle(1000);
        const qint64 raisedAt = QDateTime::currentMSecsSinceEpoch();
        s.sim.send(QStringLiteral("alarm chiller on"));
        // The next round (300 ms) carries it, the quiet line (200 ms) cuts it, the writer
        // stores it within a second.
        QElapsedTimer wait;
        wait.start();
        QList<EventRow> rows;
        while (wait.elapsed() < 3000 && named(rows, QStringLiteral("chillerFault")).isEmpty()) {
            settle(50);
            rows = eventsIn(db);
        }
        const QList<EventRow> on = named(rows, QStringLiteral("chillerFault"));
        QCOMPARE(on.size(), 1);
        QCOMPARE(on[0].value, QStringLiteral("on"));
        QCOMPARE(on[0].category, QStringLiteral("alarm"));
        QVERIFY2(on[0].at - raisedAt < 1000, qPrintable(QString::number(on[0].at - raisedAt)));
        QVERIFY2(wait.elapsed() < 2000, qPrintable(QString::number(wait.elapsed())));
        // Several rounds with the alarm on: still one row.
        settle(1500);
        const qint64 clearedAt = QDateTime::currentMSecsSinceEpoch();
        s.sim.send(QStringLiteral("alarm chiller off"));
        settle(2500);
        const QList<EventRow> both = named(eventsIn(db), QStringLiteral("chillerFault"));
        QCOMPARE(both.size(), 2);
        QCOMPARE(both[1].value, QStringLiteral("off"));
        QVERIFY2(both[1].at - clearedAt < 1000,
                 qPrintable(QString::number(both[1].at - clearedAt)));
        const QList<EventRow> all = eventsIn(db);
        QVERIFY(!all.isEmpty());
        QCOMPARE(all[0].name, QStringLiteral("opened"));
    }

    void aFrameWithWrongCheckBytesChangesNoFlagButIsCaptured() {
        Session s;
        START_SESSION(s);
        settle(800);
        s.sim.send(QStringLiteral("exclude e6"));
        s.sim.send(QStringLiteral("alarm door on"));
        const int mark = s.sim.mark();
        s.sim.send(QStringLiteral("send e6 bad"));
        QString line;
        QVERIFY(s.sim.waitForLog(QRegularExpression(QStringLiteral("sent (E6( [0-9A-F]{2})+)$")),
                                 mark, 3000, &line));
        const QByteArray bad = QByteArray::fromHex(
            line.section(QStringLiteral("sent "), 1).trimmed().remove(QLatin1Char(' ')).toLatin1());
        QVERIFY(bad.size() >= 7);
        settle(1000);
        s.program.stop();
        QVERIFY(named(eventsIn(s.log() + QStringLiteral("/history.sqlite")),
                      QStringLiteral("doorInterlock"))
                    .isEmpty());
        QVERIFY2(receivedBytes(s.log()).contains(bad), qPrintable(line));
    }
};

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    HistoryE2eTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "history_e2e_test.moc"
