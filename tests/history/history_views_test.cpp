// What the window shows of the history: the Events tab reads the database in pages that hold
// no read transaction, so the writer's checkpoints reach the end of the log; the status line
// and the Link tab show the history's present state and the size of log/.

#include "history/recorder.h"
#include "history/writer.h"
#include "preference/language_preference.h"
#include "support/frames.h"
#include "support/history.h"
#include "support/wait.h"
#include "support/window_fixture.h"
#include "ui/diagnostics/alarm_watch.h"
#include "ui/diagnostics/diagnostics_window.h"
#include "ui/diagnostics/event_model.h"
#include "ui/diagnostics/link_status.h"
#include "ui/diagnostics/tabs.h"

#include <QApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QLabel>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <set>

using fixture::rows;
using fixture::waitUntil;

namespace {

const qint64 t0 = 1796000000000;
const int page = diagnostics::EventModel::pageRows;

// `count` events, one commit each as the writer makes them, ten to a millisecond.
void commit(history::HistoryWriter &writer, int count, int from = 0) {
    for (int i = from; i < from + count; ++i) {
        history::Batch b;
        b.events.push_back({t0 + i / 10, QStringLiteral("state"), QStringLiteral("row%1").arg(i),
                            QString(), QString()});
        writer.write(std::move(b), t0);
    }
}

} // namespace

class HistoryViewsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { Q_INIT_RESOURCE(resources); }

    void threePagesShownLetACheckpointReachEveryFrameAndFollowOnExactly() {
        QTemporaryDir dir;
        const QString db = dir.filePath(QStringLiteral("history.sqlite"));
        history::HistoryWriter writer(dir.path(), history::WriterLimits(), nullptr);
        commit(writer, 1000);
        diagnostics::EventModel model(db);
        QVERIFY(model.select({}, t0 + 10000));
        commit(writer, 20, 1000); // newer than the first page: not in these pages
        model.fetchMore();
        model.fetchMore();
        QCOMPARE(model.rowCount(), 3 * page);
        // Pages end inside runs of equal times, yet no row is missing or shown twice.
        std::set<QString> names;
        for (int r = 0; r < model.rowCount(); ++r)
            names.insert(model.data(model.index(r, diagnostics::EventModel::Name)).toString());
        QCOMPARE(int(names.size()), 3 * page);
        QVERIFY(names.count(QStringLiteral("row999")) && names.count(QStringLiteral("row232")));
        commit(writer, 20, 1020);
        const QVariantList frames = rows(db, QStringLiteral("PRAGMA wal_checkpoint(PASSIVE)"))[0];
        QVERIFY(frames[1].toInt() > 0);
        QCOMPARE(frames[2].toInt(), frames[1].toInt());
    }

    void theWriteAheadLogStaysSmallOverTwoThousandCommitsWithTheEventsTabOpen() {
        QTemporaryDir dir;
        const QString db = dir.filePath(QStringLiteral("history.sqlite"));
        history::HistoryWriter writer(dir.path(), history::WriterLimits(), nullptr);
        commit(writer, 1000);
        WorkDir work;
        history::Recorder recorder;
        diagnostics::AlarmWatch alarms(recorder, db);
        diagnostics::EventsTab tab(db, recorder, alarms);
        tab.resize(900, 500);
        tab.show();
        tab.setActive(true);
        tab.periodBox()->setCurrentIndex(3); // all
        auto *view = tab.findChild<QTableView *>();
        // Scrolled to the end twice: the view asks for the next pages itself.
        for (int shown = 1; shown < 3; ++shown)
            QVERIFY(waitUntil(
                [&] { return view->scrollToBottom(), tab.model().rowCount() > shown * page; }));
        for (int i = 0; i < 2000; i += 50) {
            commit(writer, 50, 1000 + i);
            QCoreApplication::processEvents();
        }
        const qint64 wal = QFileInfo(db + QStringLiteral("-wal")).size();
        QVERIFY2(wal < 4 * 1024 * 1024, qPrintable(QString::number(wal)));
    }

    void theStatusLineAndTheLinkTabShowTheHistorysPresentState() {
        WorkDir work;
        Serial w;
        auto *recorder = w.findChild<history::Recorder *>();
        auto *d = w.findChild<diagnostics::Diagnostics *>();
        d->showWindow();
        d->window()->tabs()->setCurrentIndex(diagnostics::DiagnosticsWindow::LinkIndex);
        diagnostics::LinkTab *link = d->window()->linkTab();
        const auto shows = [&](const QString &text) {
            link->tick();
            return d->statusLine()->text().endsWith(QStringLiteral("历史记录: ") + text) &&
                   link->valueText(diagnostics::LinkTab::TroubleRow) == text;
        };
        using history::Notice;
        const Notice full{Notice::Capture, Notice::Began, 0,
                          QStringLiteral("cannot write log/x.txt: No space left on device")};
        const QString fullText =
            QStringLiteral("抓包停止: cannot write log/x.txt: No space left on device");
        // Trouble, its end, and a second episode: each is the present state in turn.
        for (int episode = 0; episode < 2; ++episode) {
            recorder->noticed(full);
            QVERIFY2(shows(fullText), qPrintable(d->statusLine()->text()));
            recorder->noticed({Notice::Capture, Notice::Ended, 1234, QStringLiteral("log/y.txt")});
            QVERIFY2(shows(QStringLiteral("已恢复: 抓包继续写入 log/y.txt, 丢失 1234 字节")),
                     qPrintable(d->statusLine()->text()));
        }
        // A jump of the wall clock, said once: the present state until the next notice.
        Notice jump{Notice::ClockJump, Notice::Once, 0, QString()};
        jump.from = QDateTime(QDate(2026, 12, 7), QTime(14, 0)).toMSecsSinceEpoch();
        jump.to = jump.from + qint64(3653) * 24 * 3600 * 1000;
        recorder->noticed(jump);
        QVERIFY2(shows(QStringLiteral("时钟向前跳变 3653 天 0 小时 (2026-12-07 14:00 → 2036-12-07 "
                                      "14:00), 保持一天后才按它删除旧记录")),
                 qPrintable(d->statusLine()->text()));
        recorder->noticed(full);
        recorder->noticed({Notice::Locked, Notice::Began, 12, QString()});
        QVERIFY(shows(fullText + QStringLiteral("; 数据库被其他程序锁定, 12 行等待写入")));
        // The writer measures log/ soon after the start.
        QVERIFY(waitUntil([&] {
            link->tick();
            return link->valueText(diagnostics::LinkTab::LogSizeRow) != QStringLiteral("-");
        }));
        SerialProbe::tianslations(w, &preference::english);
        QVERIFY(waitUntil([&] {
            return d->statusLine()->text().endsWith(
                QStringLiteral("History: Capture stopped: cannot write log/x.txt: No space left "
                               "on device; The database is locked by another program, 12 rows "
                               "waiting"));
        }));
    }

    // An alarm is on from its last `on` row until an `off` or a row of the port that ends
    // them all; read from the database off the GUI thread, then followed row by row.
    void theAlarmsOnComeFromTheHistoryAndFollowTheRowsTakenOn() {
        QTemporaryDir dir;
        const QString db = dir.filePath(QStringLiteral("history.sqlite"));
        {
            history::HistoryWriter writer(dir.path(), history::WriterLimits(), nullptr);
            history::Batch b;
            // Raised under a clock set a year ahead, then the clock back: it ended with its run.
            b.events = {{t0 + 400LL * 86400000, "alarm", "fiberBreak", "on", ""},
                        {t0, "alarm", "chillerFault", "on", ""},
                        {t0 + 1, "link", "opened", "", ""},
                        {t0 + 2, "alarm", "module1.qbhFault", "on", ""},
                        {t0 + 3, "alarm", "doorInterlock", "on", ""},
                        {t0 + 4, "alarm", "doorInterlock", "off", ""},
                        {t0 + 5, "link", "port_error", "", ""}};
            writer.write(std::move(b), t0);
        }
        WorkDir work;
        history::Recorder recorder;
        diagnostics::AlarmWatch watch(recorder, db);
        QVERIFY(waitUntil([&] { return watch.isLoaded(); }));
        const auto names = [&] {
            QStringList out;
            for (const events::ActiveAlarm &a : watch.alarms())
                out << QStringLiteral("%1@%2").arg(a.name).arg(a.since - t0);
            return out;
        };
        QCOMPARE(names(), QStringList{"module1.qbhFault@2"});
        QSignalSpy changed(&watch, &diagnostics::AlarmWatch::changed);
        emit recorder.eventRecorded({t0 + 6, "alarm", "extEStop", "on", ""});
        emit recorder.eventRecorded({t0 + 7, "state", "dcOn", "on", ""});
        QCOMPARE(names(), QStringList({"module1.qbhFault@2", "extEStop@6"}));
        emit recorder.eventRecorded({t0 + 8, "link", "link_lost", "", ""});
        QCOMPARE(names(), QStringList());
        QCOMPARE(changed.count(), 2);

        // The run before ended with its port open and alarms on (killed), one raised under a
        // clock set ahead and back: the next start marks it, and what is read after that has
        // nothing of it on; an alarm that a program beside it (no port of its own here) raised
        // after its last row is still on.
        const auto startAfterCrash = [&](const std::vector<std::vector<events::Event>> &crashed,
                                         const std::vector<events::Event> &beside) {
            history::HistoryWriter besideWriter(dir.path(), history::WriterLimits(), nullptr);
            const qint64 at = crashed.front().front().at;
            besideWriter.write({{{at, "state", "dcOn", "off", ""}}, {}, {}}, at);
            {
                history::HistoryWriter writer(dir.path(), history::WriterLimits(), nullptr);
                for (const std::vector<events::Event> &batch : crashed)
                    writer.write({batch, {}, {}}, batch.back().at);
            }
            besideWriter.write({beside, {}, {}}, beside.back().at);
            history::RecorderOptions options;
            options.logDir = dir.path();
            history::Recorder next(nullptr, options);
            diagnostics::AlarmWatch afterCrash(next, db);
            QStringList on;
            if (waitUntil([&] { return afterCrash.isLoaded(); }))
                for (const events::ActiveAlarm &a : afterCrash.alarms())
                    on << a.name;
            return on;
        };
        QCOMPARE(startAfterCrash({{{t0 + 9, "link", "opened", "", "ttyUSB0"},
                                   {t0 + 400LL * 86400000, "alarm", "fiberBreak", "on", ""}},
                                  {{t0 + 10, "state", "dcOn", "on", ""}}},
                                 {{t0 + 10, "state", "dcOn", "on", ""}}),
                 QStringList());
        QCOMPARE(startAfterCrash({{{t0 + 11, "link", "opened", "", "ttyUSB0"},
                                   {t0 + 12, "alarm", "chillerFault", "on", ""}}},
                                 {{t0 + 13, "alarm", "extEStop", "on", ""}}),
                 QStringList{"extEStop"});

        // No database yet: nothing on, and no error.
        diagnostics::AlarmWatch none(recorder, dir.filePath(QStringLiteral("none.sqlite")));
        QVERIFY(waitUntil([&] { return none.isLoaded(); }));
        QVERIFY(none.alarms().empty());
        QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("none.sqlite"))));
    }
};

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    HistoryViewsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "history_views_test.moc"
