#include "ui/diagnostics/alarm_watch.h"

#include "events/event_words.h"
#include "history/alarm_rows.h"
#include "history/recorder.h"
#include "ui/diagnostics/event_model.h"
#include "ui/diagnostics/texts.h"

#include <QDateTime>
#include <QEvent>
#include <QStringList>
#include <QThread>

#include <algorithm>
#include <memory>

namespace diagnostics {

namespace {

// For a screen reader: a name that says what the widget is and a description of what it holds
// now, set only when they change (each set is announced).
void describe(QWidget *widget, const QString &name, const QString &description) {
    if (widget->accessibleName() != name)
        widget->setAccessibleName(name);
    if (widget->accessibleDescription() != description)
        widget->setAccessibleDescription(description);
}

} // namespace

AlarmWatch::AlarmWatch(history::Recorder &recorder, const QString &databasePath, QObject *parent)
    : QObject(parent) {
    connect(&recorder, &history::Recorder::eventRecorded, this, &AlarmWatch::take);
    if (recorder.historyIsStarted()) {
        read(databasePath);
        return;
    }
    connect(&recorder, &history::Recorder::historyStarted, this, [this, databasePath] {
        if (!reader && !loaded)
            read(databasePath);
    });
}

void AlarmWatch::read(const QString &databasePath) {
    struct Read {
        std::vector<events::Event> rows;
        QString error;
    };
    auto result = std::make_shared<Read>();
    reader = QThread::create([result, databasePath] {
        if (!history::readAlarmRows(databasePath, &result->rows, &result->error))
            qWarning("history: the alarms on cannot be read: %s", qPrintable(result->error));
    });
    connect(reader, &QThread::finished, this, [this, result] {
        reader->deleteLater();
        reader = nullptr;
        loaded = true;
        result->rows.insert(result->rows.end(), meanwhile.begin(), meanwhile.end());
        meanwhile.clear();
        meanwhile.shrink_to_fit();
        fold(result->rows);
    });
    reader->start();
}

AlarmWatch::~AlarmWatch() {
    // The read is two short queries; it ends by itself.
    if (reader) {
        reader->wait();
        delete reader;
    }
}

void AlarmWatch::take(const events::Event &event) {
    if (event.category != QLatin1String("alarm") && event.category != QLatin1String("link"))
        return;
    if (!loaded) {
        meanwhile.push_back(event);
        return;
    }
    fold({event});
}

void AlarmWatch::fold(const std::vector<events::Event> &rows) {
    // The alarms on so far as `on` rows, then the new rows: the fold of all of them.
    std::vector<events::Event> all;
    all.reserve(on.size() + rows.size());
    for (const events::ActiveAlarm &a : on)
        all.push_back({a.since, QStringLiteral("alarm"), a.name, QStringLiteral("on"), QString()});
    all.insert(all.end(), rows.begin(), rows.end());
    std::vector<events::ActiveAlarm> next = events::activeAlarms(all);
    const bool same = next.size() == on.size() &&
                      std::equal(next.begin(), next.end(), on.begin(),
                                 [](const events::ActiveAlarm &a, const events::ActiveAlarm &b) {
                                     return a.name == b.name && a.since == b.since;
                                 });
    if (same)
        return;
    on = std::move(next);
    emit changed();
}

ActiveAlarmCount::ActiveAlarmCount(const AlarmWatch &w, QWidget *parent)
    : QLabel(parent), watch(w) {
    setObjectName(QStringLiteral("activeAlarmCount"));
    setTextFormat(Qt::PlainText);
    setStyleSheet(QStringLiteral("color: #c00000; font-weight: bold;"));
    connect(&watch, &AlarmWatch::changed, this, &ActiveAlarmCount::refresh);
    refresh();
}

void ActiveAlarmCount::refresh() {
    const int count = int(watch.alarms().size());
    setText(Texts::tr("当前报警: %1").arg(count));
    setVisible(count > 0);
    describe(this, Texts::tr("当前报警数"), QString::number(count));
}

void ActiveAlarmCount::changeEvent(QEvent *event) {
    if (event->type() == QEvent::LanguageChange)
        refresh();
    QLabel::changeEvent(event);
}

ActiveAlarmStrip::ActiveAlarmStrip(const AlarmWatch &w, QWidget *parent, std::function<qint64()> c)
    : QLabel(parent), watch(w), clock(std::move(c)) {
    setObjectName(QStringLiteral("activeAlarmStrip"));
    setTextFormat(Qt::PlainText);
    setTextInteractionFlags(Qt::TextSelectableByMouse);
    setMargin(4);
    if (!clock)
        clock = [] { return QDateTime::currentMSecsSinceEpoch(); };
    connect(&watch, &AlarmWatch::changed, this, &ActiveAlarmStrip::refresh);
    refresh();
}

void ActiveAlarmStrip::refresh() {
    const std::vector<events::ActiveAlarm> &alarms = watch.alarms();
    // The alarms without their running durations: what a screen reader says changes with them.
    QStringList names;
    for (auto it = alarms.rbegin(); it != alarms.rend(); ++it)
        names << events::eventLabel(QStringLiteral("alarm"), it->name);
    const QString none = watch.isLoaded() ? Texts::tr("当前无报警") : QString();
    describe(this, Texts::tr("当前报警"), alarms.empty() ? none : names.join(Texts::tr("，")));
    if (alarms.empty()) {
        setStyleSheet(QString());
        setText(none);
        return;
    }
    setStyleSheet(QStringLiteral("background: #fde0e0; color: #900000;"));
    const qint64 now = clock();
    QStringList lines{Texts::tr("当前报警 (%1):").arg(alarms.size())};
    // Newest first, as the list below.
    for (auto it = alarms.rbegin(); it != alarms.rend(); ++it)
        lines << Texts::tr("%1  自 %2  已持续 %3")
                     .arg(events::eventLabel(QStringLiteral("alarm"), it->name),
                          EventModel::timeText(it->since).remove(19, 4), // no ms
                          events::durationText(now - it->since));
    setText(lines.join(QLatin1Char('\n')));
}

} // namespace diagnostics

#include "moc_alarm_watch.cpp"
