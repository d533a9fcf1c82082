#include "ui/alarms/alarm_desk.h"

#include "alarms/dead_run.h"
#include "alarms/rules.h"
#include "alarms/words.h"
#include "history/ended_run.h"
#include "history/recorder.h"
#include "ui/alarms/alarm_listener.h"
#include "ui/alarms/shelf_keeper.h"
#include "ui/alarms/summary_panel.h"
#include "ui/alarms/summary_texts.h"
#include "ui/alarms/summary_window.h"

#include <QAction>
#include <QDateTime>
#include <QEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QThread>
#include <QToolButton>

#include <memory>

#ifdef Q_OS_LINUX
#include <time.h>
#endif

namespace alarm_summary {

namespace {

// How often the shelves' time left is shown anew while the summary is open.
constexpr qint64 timeLeftMs = 1000;

} // namespace

AlarmDesk::AlarmDesk(QMainWindow &window, history::Recorder &r, AlarmListener &l,
                     const QString &database, const QString &shelfPath)
    : QObject(&window), main(window), recorder(r), listener(l), databasePath(database),
      user(alarms::pcUserName()), button(new QToolButton(&window)), open(new QAction(&window)) {
    setObjectName(QStringLiteral("alarmDesk"));
    clock.start();
#ifdef Q_OS_LINUX
    // The clock that also runs while the PC is suspended: an hour's shelf ends an hour later.
    timespec ts;
    bootClock = clock_gettime(CLOCK_BOOTTIME, &ts) == 0;
#endif

    // The count at the status bar's left of the permanent part; a click opens the summary. It
    // takes no focus: Tab stays in the form's own round, F9 reaches the summary.
    button->setObjectName(QStringLiteral("unacknowledgedAlarms"));
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    // No taller than the status bar's words: the bar, its lines and the form keep their places.
    button->setMaximumHeight(button->fontMetrics().height());
    window.statusBar()->insertPermanentWidget(0, button);
    connect(button, &QToolButton::clicked, this, &AlarmDesk::showSummary);

    open->setObjectName(QStringLiteral("actionAlarmSummary"));
    open->setShortcut(QKeySequence(Qt::Key_F9));
    // From any window of the program that is not behind a box: the diagnostics window too.
    open->setShortcutContext(Qt::ApplicationShortcut);
    connect(open, &QAction::triggered, this, &AlarmDesk::showSummary);
    if (auto *menu = window.menuBar()->findChild<QMenu *>(QStringLiteral("menu_Diagnostics")))
        menu->addAction(open);
    else
        window.addAction(open);

    soon.setSingleShot(true);
    connect(&soon, &QTimer::timeout, this, &AlarmDesk::present);

    connect(&recorder, &history::Recorder::eventRecorded, this, [this](const events::Event &e) {
        // Written by this start, before its history was read: the run before ended unexpectedly.
        if (!recorder.historyIsStarted() && e.category == QLatin1String("link") &&
            e.name == QLatin1String("ended_unexpectedly"))
            endedAt = e.at;
    });
    connect(&recorder, &history::Recorder::historyStarted, this, [this] {
        if (endedAt != 0 && !reader && !left)
            readEndedRun();
    });
    shelves = new ShelfKeeper([this](const alarms::ShelfRead &read) { restore(read); },
                              [this](const QString &error) {
                                  saveError = error;
                                  showNote();
                              },
                              shelfPath, this);
    window.installEventFilter(this);
    retranslate();
}

AlarmDesk::~AlarmDesk() {
    if (reader) {
        reader->requestInterruption();
        reader->wait();
        delete reader;
    }
    // The shelf file's last saves are written before the desk goes (ShelfKeeper's end).
    delete shelves;
}

qint64 AlarmDesk::wall() const {
    return QDateTime::currentMSecsSinceEpoch();
}

qint64 AlarmDesk::steady() const {
#ifdef Q_OS_LINUX
    timespec ts;
    if (bootClock && clock_gettime(CLOCK_BOOTTIME, &ts) == 0)
        return qint64(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
#endif
    return clock.elapsed();
}

void AlarmDesk::portOpened() {
    core.portOpened(wall(), steady(), out);
    carryOut();
    linkMayHaveChanged();
    present();
}

void AlarmDesk::dataLost(bool linkLost) {
    core.dataLost(linkLost, wall(), steady(), out);
    carryOut();
    linkMayHaveChanged();
    present();
}

void AlarmDesk::stateCleared(const protocol::DeviceState &state) {
    core.stateCleared(state);
}

void AlarmDesk::frameReceived(const QByteArray &frame, protocol::Verdict verdict,
                              const protocol::DeviceState &state) {
    // A frame the dispatcher dropped changed nothing, as the history has it.
    if (frame.isEmpty() || verdict == protocol::Verdict::CheckFailed ||
        verdict == protocol::Verdict::UnknownCode)
        return;
    const quint64 before = core.version();
    // The time of the history's rows of this frame: a first out stands beside its "on" row.
    core.frameApplied(quint8(frame.at(0)), state, recorder.figures().lastFrameAt, steady(), out);
    carryOut();
    linkMayHaveChanged();
    // Once the pass has applied all its frames, not at each.
    if (core.version() != before)
        presentSoon();
}

void AlarmDesk::refresh() {
    core.tick(wall(), steady(), out);
    carryOut();
    const bool timeLeft =
        shelvesListed && shown && shown->isVisible() && steady() - timeLeftShownAt >= timeLeftMs;
    if (core.version() != presented || timeLeft)
        present();
}

void AlarmDesk::carryOut() {
    if (out.empty())
        return;
    if (!out.rows.empty())
        recorder.handlingRows(out.rows);
    for (const alarms::Notice &n : out.notices)
        listener.tell(n);
    if (!out.shelfChanges.empty())
        shelves->save(std::move(out.shelfChanges));
    out.clear();
}

void AlarmDesk::linkMayHaveChanged() {
    if (core.link() == told)
        return;
    told = core.link();
    listener.linkChanged(told);
}

void AlarmDesk::presentSoon() {
    if (!soon.isActive())
        soon.start(0);
}

void AlarmDesk::present() {
    soon.stop();
    presented = core.version();
    const int n = core.unacknowledged();
    const QString count = Texts::tr("%1 未确认").arg(n);
    if (button->text() != count) {
        button->setText(count);
        // Flat as the bar's words beside it; red while any waits.
        button->setStyleSheet(
            QStringLiteral("QToolButton { border: none; padding: 0px; %1 }")
                .arg(n > 0 ? QStringLiteral("color: #c00000; font-weight: bold;") : QString()));
    }
    if (!shown || !shown->isVisible())
        return;
    timeLeftShownAt = steady();
    std::vector<alarms::Line> lines = core.summary(timeLeftShownAt);
    shelvesListed = std::any_of(lines.begin(), lines.end(),
                                [](const alarms::Line &l) { return l.shelfLeftMs >= 0; });
    shown->panel()->present(std::move(lines), {core.link(), core.flood(), core.floodRises(), n});
}

void AlarmDesk::showSummary() {
    if (!shown) {
        shown = new SummaryWindow(&main);
        SummaryPanel *panel = shown->panel();
        const auto acted = [this] {
            carryOut();
            present();
        };
        connect(panel, &SummaryPanel::acknowledgeRequested, this, [this, acted](const QString &k) {
            core.acknowledge(k, user, wall(), steady(), out);
            acted();
        });
        connect(panel, &SummaryPanel::acknowledgeAllRequested, this, [this, acted] {
            core.acknowledgeAll(user, wall(), steady(), out);
            acted();
        });
        connect(panel, &SummaryPanel::shelveRequested, this, &AlarmDesk::shelve);
        connect(panel, &SummaryPanel::unshelveRequested, this, [this, acted](const QString &k) {
            core.unshelve(k, user, wall(), steady(), out);
            acted();
        });
        connect(shown, &SummaryWindow::shown, this, &AlarmDesk::present);
        showNote();
    }
    shown->bringUp();
    present();
}

void AlarmDesk::shelve(const QString &key, int minutes, const QString &reason) {
    shelveResult = core.shelve(key, minutes, reason, user, wall(), steady(), out);
    carryOut();
    showNote();
    present();
}

void AlarmDesk::restore(const alarms::ShelfRead &read) {
    report = core.restoreShelves(read.shelves, wall(), steady(), out);
    carryOut();
    restored = true;
    shelfRead = read;
    const QString problem = alarms::shelfProblemText(read);
    if (!problem.isEmpty()) {
        qWarning("shelves: %s: no alarm is shelved", qPrintable(problem));
        main.statusBar()->showMessage(alarms::shelfReadText(read), 60 * 1000);
    }
    showNote();
    listEndedRun();
    presentSoon();
}

void AlarmDesk::readEndedRun() {
    struct Read {
        alarms::LeftAlarms left;
        qint64 endedAt = 0;
        QString error;
    };
    auto result = std::make_shared<Read>();
    const QString path = databasePath;
    reader = QThread::create([result, path] {
        alarms::RunReplay replay;
        if (!history::readEndedRunRows(
                path, [&replay](const events::Event &e) { replay.take(e); }, &result->endedAt,
                &result->error))
            qWarning("history: the alarms of the run that ended unexpectedly cannot be read: %s",
                     qPrintable(result->error));
        result->left = replay.left();
    });
    connect(reader, &QThread::finished, this, [this, result] {
        reader->deleteLater();
        reader = nullptr;
        if (result->endedAt != 0)
            endedAt = result->endedAt;
        left = result->left;
        listEndedRun();
    });
    reader->start(QThread::LowPriority);
}

void AlarmDesk::listEndedRun() {
    // The shelves first: an alarm shelved when the run ended is not listed.
    if (!restored || !left)
        return;
    core.endedWithRun(*left, endedAt, wall(), steady(), out);
    left.reset();
    carryOut();
    presentSoon();
}

void AlarmDesk::showNote() {
    if (!shown)
        return;
    QStringList notes;
    if (shelfRead)
        notes << alarms::shelfReadText(*shelfRead) << alarms::restoreText(report);
    if (!saveError.isEmpty())
        notes << Texts::tr("搁置未能保存，只在本次运行中有效：%1").arg(saveError);
    notes << alarms::shelveResultText(shelveResult);
    notes.removeAll(QString());
    shown->setNote(notes.join(QLatin1Char('\n')));
}

bool AlarmDesk::eventFilter(QObject *watched, QEvent *event) {
    if (watched == &main && event->type() == QEvent::LanguageChange)
        retranslate();
    return QObject::eventFilter(watched, event);
}

void AlarmDesk::retranslate() {
    open->setText(Texts::tr("报警汇总..."));
    button->setToolTip(Texts::tr("打开报警汇总 (F9)"));
    showNote();
    // The count's words anew.
    button->setText(QString());
    present();
}

} // namespace alarm_summary
