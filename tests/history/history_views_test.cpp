// What the window shows of the history: the Events tab reads the database in pages without
// holding the writer's checkpoints back, and the status line and the Link tab show the
// history's present state, its trouble and then its recovery, and the size of log/.

#include "history/recorder.h"
#include "history/writer.h"
#include "history_fixture.h"
#include "preference/language_preference.h"
#include "support/window_fixture.h"
#include "ui/diagnostics/diagnostics_window.h"
#include "ui/diagnostics/event_model.h"
#include "ui/diagnostics/link_status.h"
#include "ui/diagnostics/tabs.h"

#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStatusBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

#include <set>

using historyfixture::rows;
using historyfixture::waitUntil;

namespace {

const qint64 t0 = 1796000000000;

// Writes `count` events, one commit each, as the recorder's writer does.
void commit(history::HistoryWriter &writer, int count, qint64 from, int sameTimeEvery = 1) {
    for (int i = 0; i < count; ++i) {
        history::Batch b;
        history::Event e;
        e.at = from + i / sameTimeEvery;
        e.category = QStringLiteral("state");
        e.name = QStringLiteral("row%1").arg(i);
        b.events.push_back(e);
        writer.write(std::move(b), t0);
    }
}

// PRAGMA wal_checkpoint(PASSIVE) from a connection of its own: frames in the log, and
// frames checkpointed.
QPair<int, int> checkpoint(const QString &db) {
    const QList<QVariantList> r = rows(db, QStringLiteral("PRAGMA wal_checkpoint(PASSIVE)"));
    return {r.value(0).value(1).toInt(), r.value(0).value(2).toInt()};
}

QString nameAt(const diagnostics::EventModel &model, int row) {
    return model.data(model.index(row, diagnostics::EventModel::Name)).toString();
}

} // namespace

class HistoryViewsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { Q_INIT_RESOURCE(resources); }

    void aCheckpointReachesEveryFrameWithThreePagesShown() {
        QTemporaryDir dir;
        const QString db = dir.filePath(QStringLiteral("history.sqlite"));
        history::HistoryWriter writer(dir.path(), history::WriterLimits(), nullptr);
        commit(writer, 1000, t0);
        diagnostics::EventModel model(db);
        QVERIFY(model.select({}, t0 + 10000));
        model.fetchMore();
        model.fetchMore();
        QCOMPARE(model.rowCount(), 3 * diagnostics::EventModel::pageRows);
        QVERIFY(model.canFetchMore());
        QCoreApplication::processEvents();
        commit(writer, 20, t0 + 5000);
        const QPair<int, int> frames = checkpoint(db);
        QVERIFY(frames.first > 0);
        QCOMPARE(frames.second, frames.first);
    }

    void theWriteAheadLogStaysSmallOverTwoThousandCommitsWithTheEventsTabOpen() {
        QTemporaryDir dir;
        const QString db = dir.filePath(QStringLiteral("history.sqlite"));
        history::HistoryWriter writer(dir.path(), history::WriterLimits(), nullptr);
        commit(writer, 1000, t0);
        diagnostics::EventsTab tab(db);
        tab.resize(900, 500);
        tab.show();
        tab.setActive(true);
        tab.periodBox()->setCurrentIndex(3); // all
        auto *view = tab.findChild<QTableView *>();
        // Scrolled down twice: the view asks for the next pages itself.
        for (int page = 1; page < 3; ++page) {
            view->scrollToBottom();
            QVERIFY(waitUntil(
                [&] { return tab.model().rowCount() > page * diagnostics::EventModel::pageRows; }));
        }
        for (int i = 0; i < 2000; ++i) {
            commit(writer, 1, t0 + 10000 + i);
            if (i % 50 == 0)
                QCoreApplication::processEvents();
        }
        const qint64 wal = QFileInfo(db + QStringLiteral("-wal")).size();
        QVERIFY2(wal < 4 * 1024 * 1024, qPrintable(QString::number(wal)));
        QVERIFY(tab.model().rowCount() >= 3 * diagnostics::EventModel::pageRows);
    }

    void pagesFollowOnWithoutGapsOrRepeatsWhileRowsArrive() {
        QTemporaryDir dir;
        const QString db = dir.filePath(QStringLiteral("history.sqlite"));
        history::HistoryWriter writer(dir.path(), history::WriterLimits(), nullptr);
        // 600 rows, a hundred to each millisecond: pages end inside a run of equal times.
        commit(writer, 600, t0, 100);
        diagnostics::EventModel model(db);
        QVERIFY(model.select({}, t0 + 10000));
        commit(writer, 30, t0 + 1000); // newer rows come in between: not in these pages
        model.fetchAll();
        QCOMPARE(model.rowCount(), 600);
        std::set<QString> names;
        for (int r = 0; r < model.rowCount(); ++r)
            names.insert(nameAt(model, r));
        QCOMPARE(int(names.size()), 600);
        QCOMPARE(nameAt(model, 0), QStringLiteral("row599"));
        QCOMPARE(nameAt(model, 599), QStringLiteral("row0"));
    }

    void theStatusLineAndTheLinkTabShowTheHistorysPresentState() {
        WorkDir work;
        Serial w;
        auto *recorder = w.findChild<history::Recorder *>();
        auto *d = w.findChild<diagnostics::Diagnostics *>();
        d->showWindow();
        d->window()->tabs()->setCurrentIndex(diagnostics::DiagnosticsWindow::LinkIndex);
        diagnostics::LinkTab *link = d->window()->linkTab();
        const auto shown = [&] { return d->statusLine()->text(); };
        using history::Notice;
        const Notice full{Notice::Capture, Notice::Began, 0,
                          QStringLiteral("cannot write log/x.txt: No space left on device")};
        const Notice resumed{Notice::Capture, Notice::Ended, 1234, QStringLiteral("log/y.txt")};
        const QString troubleText =
            QStringLiteral("抓包停止: cannot write log/x.txt: No space left on device");
        const QString recoveredText =
            QStringLiteral("已恢复: 抓包继续写入 log/y.txt, 丢失 1234 字节");
        // Trouble, its end, and a second episode: each is the present state in turn.
        for (int episode = 0; episode < 2; ++episode) {
            recorder->noticed(full);
            QVERIFY2(shown().endsWith(QStringLiteral("历史记录: ") + troubleText),
                     qPrintable(shown()));
            link->tick();
            QCOMPARE(link->valueText(diagnostics::LinkTab::TroubleRow), troubleText);
            recorder->noticed(resumed);
            QVERIFY2(shown().endsWith(QStringLiteral("历史记录: ") + recoveredText),
                     qPrintable(shown()));
            link->tick();
            QCOMPARE(link->valueText(diagnostics::LinkTab::TroubleRow), recoveredText);
        }
        // Two troubles at once are both shown.
        recorder->noticed(full);
        recorder->noticed({Notice::Locked, Notice::Began, 12, QString()});
        QVERIFY2(
            shown().contains(troubleText + QStringLiteral("; 数据库被其他程序锁定, 12 行等待写入")),
            qPrintable(shown()));
        // The writer measures log/ soon after the start.
        QVERIFY(waitUntil([&] {
            link->tick();
            return link->valueText(diagnostics::LinkTab::LogSizeRow) != QStringLiteral("-");
        }));

        // And in English.
        SerialProbe::tianslations(w, &preference::english);
        recorder->noticed(resumed);
        QVERIFY2(shown().endsWith(QStringLiteral("History: The database is locked by another "
                                                 "program, 12 rows waiting")),
                 qPrintable(shown()));
        QVERIFY(waitUntil([&] {
            for (const QLabel *label : link->findChildren<QLabel *>())
                if (label->text() == QStringLiteral("Log folder size:"))
                    return true;
            return false;
        }));
    }
};

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    HistoryViewsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "history_views_test.moc"
