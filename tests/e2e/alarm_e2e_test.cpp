// The alarm handling of the real program with the simulated CCB: a door switch open for one frame
// is listed in the summary F9 opens, Space acknowledges it there, and the history keeps its rise,
// its first out and the acknowledgement. Needs DISPLAY, root and xdotool/ImageMagick.
#include "support/e2e/checks.h"
#include "support/history.h"
#include "support/wait.h"

class AlarmE2eTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { SKIP_WITHOUT_PREREQUISITES(); }

    void aOneFrameDoorPulseIsListedAcknowledgedFromTheKeyboardAndKept() {
        harness::Session s;
        START_SESSION(s, QString(), {"USER=operator7"});
        QVERIFY(s.openPort());
        for (const char *line : {"alarm door on", "send e6", "alarm door off", "send e6"})
            s.sim.send(QLatin1String(line));
        const auto rows = [&] {
            QStringList kept;
            for (const QVariantList &r : fixture::rows(s.logDir() + "/history.sqlite",
                                                       "SELECT value, detail FROM events WHERE "
                                                       "name = 'doorInterlock' ORDER BY rowid"))
                kept << r[0].toString() + ' ' + r[1].toString();
            return kept.join(',');
        };
        QVERIFY(fixture::waitUntil([&] { return rows().count(',') == 2; }, 5000));
        harness::Screen::key("F9");
        const quint64 summary = harness::Screen::findWindow("报警汇总 - LASER SYSTEM", 5000);
        QVERIFY2(summary, "F9 opened no alarm summary");
        harness::Screen::key("space", summary);
        QVERIFY(fixture::waitUntil([&] { return rows().count(',') == 3; }, 5000));
        QCOMPARE(rows(), QStringLiteral("on ,first_out ,off ,acknowledged operator7"));
    }
};

LASER_DISPLAY_TEST_MAIN(AlarmE2eTest)
#include "alarm_e2e_test.moc"
