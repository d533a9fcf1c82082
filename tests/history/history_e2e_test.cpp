// The real program with the simulated CCB on a virtual ttyUSB0 (X display, root, xdotool and
// ImageMagick; skips otherwise): the rows and capture it writes for an alarm that comes and
// goes and for a frame with wrong check bytes.

#include "support/e2e/checks.h"
#include "support/history.h"

#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QTest>

#include <memory>

namespace {

struct EventRow {
    qint64 at;
    QString category;
    QString name;
    QString value;
};

// The events of a history database.
QList<EventRow> eventsIn(const QString &path) {
    QList<EventRow> out;
    for (const QVariantList &r : fixture::rows(
             path,
             QStringLiteral("SELECT at, category, name, value FROM events "
                            "WHERE category <> 'handling' ORDER BY rowid"))) // a first out aside
        out << EventRow{r.value(0).toLongLong(), r.value(1).toString(), r.value(2).toString(),
                        r.value(3).toString()};
    return out;
}

QList<EventRow> named(const QList<EventRow> &rows, const QString &name) {
    QList<EventRow> out;
    for (const EventRow &r : rows)
        if (r.name == name)
            out << r;
    return out;
}

// The simulator logging every frame it sends, the program in its own folder, its port open.
QString startWithPortOpen(harness::Session &s) {
    const QString why =
        s.startSimulator(harness::Session::defaultSimulatorArgs() << QStringLiteral("--verbose"));
    return why.isEmpty() ? s.startWithPortOpen() : why;
}

// Waits until the simulator has sent `rounds` more system status frames.
bool waitForRounds(harness::Simulator &sim, int rounds) {
    static const QRegularExpression status(QStringLiteral("sent E6 "));
    for (int i = 0; i < rounds; ++i)
        if (!sim.waitForLog(status, sim.mark(), 2000))
            return false;
    return true;
}

} // namespace

class HistoryE2eTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { SKIP_WITHOUT_PREREQUISITES(); }

    void anAlarmThatComesAndGoesGivesOneOnAndOneOffRowWithinASecond() {
        harness::Session s;
        VERIFY_STARTED(startWithPortOpen(s));
        const QString db = s.logDir() + QStringLiteral("/history.sqlite");
        const qint64 raisedAt = QDateTime::currentMSecsSinceEpoch();
        s.sim.send(QStringLiteral("alarm chiller on"));
        // The next round (300 ms) carries it, the quiet line (200 ms) cuts it, the writer
        // stores it within a second.
        QElapsedTimer wait;
        wait.start();
        QList<EventRow> rows;
        while (wait.elapsed() < 3000 && named(rows, QStringLiteral("chillerFault")).isEmpty()) {
            harness::pause(50);
            rows = eventsIn(db);
        }
        const QList<EventRow> on = named(rows, QStringLiteral("chillerFault"));
        QCOMPARE(on.size(), 1);
        QCOMPARE(on[0].value, QStringLiteral("on"));
        QCOMPARE(on[0].category, QStringLiteral("alarm"));
        QVERIFY2(on[0].at - raisedAt < 1000, qPrintable(QString::number(on[0].at - raisedAt)));
        QVERIFY2(wait.elapsed() < 2000, qPrintable(QString::number(wait.elapsed())));
        // Several rounds with the alarm on, then off: the off row is the second and last.
        QVERIFY(waitForRounds(s.sim, 3));
        const qint64 clearedAt = QDateTime::currentMSecsSinceEpoch();
        s.sim.send(QStringLiteral("alarm chiller off"));
        QList<EventRow> both;
        QVERIFY(QTest::qWaitFor(
            [&] {
                both = named(eventsIn(db), QStringLiteral("chillerFault"));
                return both.size() >= 2;
            },
            10000)); // a deadline only: the rows come within about a second
        QCOMPARE(both.size(), 2);
        QCOMPARE(both[1].value, QStringLiteral("off"));
        QVERIFY2(both[1].at - clearedAt < 1000,
                 qPrintable(QString::number(both[1].at - clearedAt)));
        const QList<EventRow> all = eventsIn(db);
        QVERIFY(!all.isEmpty());
        QCOMPARE(all[0].name, QStringLiteral("opened"));
    }

    void aFrameWithWrongCheckBytesChangesNoFlagButIsCaptured() {
        harness::Session s;
        VERIFY_STARTED(startWithPortOpen(s));
        s.sim.send(QStringLiteral("exclude e6"));
        s.sim.send(QStringLiteral("alarm door on"));
        const int mark = s.sim.mark();
        s.sim.send(QStringLiteral("send e6 bad"));
        QString line;
        QVERIFY(s.sim.waitForLog(QRegularExpression(QStringLiteral("sent (E6( [0-9A-F]{2})+)$")),
                                 mark, 10000, &line));
        const QByteArray bad = QByteArray::fromHex(
            line.section(QStringLiteral("sent "), 1).trimmed().remove(QLatin1Char(' ')).toLatin1());
        QVERIFY(bad.size() >= 7);
        // The marker behind it: a module alarm in the next round, whose row comes after
        // whatever the bad frame gave.
        s.sim.send(QStringLiteral("alarm qbh on"));
        const QString db = s.logDir() + QStringLiteral("/history.sqlite");
        QVERIFY(QTest::qWaitFor(
            [&] { return !named(eventsIn(db), QStringLiteral("module0.qbhFault")).isEmpty(); },
            10000)); // a deadline only: the rows come within about a second
        QVERIFY(named(eventsIn(db), QStringLiteral("doorInterlock")).isEmpty());
        s.program.stop();
        QVERIFY2(fixture::receivedBytes(s.logDir()).contains(bad), qPrintable(line));
    }
};

LASER_DISPLAY_TEST_MAIN(HistoryE2eTest)
#include "history_e2e_test.moc"
