#pragma once

#include "events/records.h"
#include "ui/diagnostics/event_model.h"
#include "ui/diagnostics/frame_model.h"
#include "ui/diagnostics/series_reduction.h"
#include "ui/diagnostics/trends_worker.h"

#include <QString>
#include <QWidget>

#include <deque>
#include <functional>
#include <vector>

class QCheckBox;
class QComboBox;
class QDateTimeEdit;
class QFormLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QSerialPort;
class QTableView;
class QTableWidget;
class QThread;
class QTimer;
namespace history {
class Recorder;
} // namespace history

namespace diagnostics {

class ActiveAlarmStrip;
class AlarmWatch;
class TrendChart;

// What the window tells each tab: shown or not, a batch tick (at most 5 a second) while shown,
// and the language.
class DiagnosticsTab : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
    virtual void setActive(bool active) = 0;
    virtual void tick() = 0;
    virtual void retranslate() = 0;
};

// The events table of the history database, newest first, filtered, under the alarms on now.
// While shown, the rows the recorder takes on go on top at the next tick (before the writer
// has them on disk); a user scrolled away from the top keeps the rows in view.
class EventsTab : public DiagnosticsTab {
    Q_OBJECT
public:
    EventsTab(const QString &databasePath, history::Recorder &recorder, const AlarmWatch &alarms,
              QWidget *parent = nullptr);
    void setActive(bool active) override;
    void tick() override;
    void retranslate() override;

    EventModel &model() { return *events; }
    // Runs the query of the current filter again; the rows come as the reader finds them.
    void reload();
    // Every row of the filter, written on a thread of its own; the tab says when it is done (the
    // model's exported()), and its button cancels it meanwhile.
    void exportCsv(const QString &path);
    QComboBox *categoryBox() const { return category; }
    QComboBox *periodBox() const { return period; }
    QLineEdit *textBox() const { return text; }
    QTableView *table() const { return view; }
    ActiveAlarmStrip *alarmStrip() const { return strip; }

private:
    void taken(const events::Event &event);
    void addNewest(const std::vector<events::Event> &rows);
    void selected(const QString &error);

    EventModel *events;
    ActiveAlarmStrip *strip;
    // The rows taken on lately, which the database may not hold yet, and those since the last
    // tick.
    std::deque<events::Event> recent;
    std::vector<events::Event> arrived;
    QComboBox *category;
    QComboBox *period;
    QLineEdit *text;
    QPushButton *refreshButton;
    QPushButton *exportButton;
    QTableView *view;
    QLabel *message;
    QLabel *categoryLabel;
    QLabel *periodLabel;
    QLabel *textLabel;
    QTimer *typing;
    bool active = false;
    bool selecting = false; // the first page of the filter is being read
};

// The live journal.
class FramesTab : public DiagnosticsTab {
    Q_OBJECT
public:
    FramesTab(const history::Journal &journal, const QString &captureDir,
              QWidget *parent = nullptr);
    void setActive(bool active) override;
    void tick() override;
    void retranslate() override;

    FrameModel &model() { return *frames; }
    QTableView *table() const { return view; }
    QPushButton *pauseButton() const { return pause; }
    QComboBox *codeBox() const { return code; }
    QCheckBox *failedBox() const { return failedOnly; }
    QPushButton *clearButton() const { return clear; }
    QPushButton *exportCsvButton() const { return exportButton; }
    // What the last export said: empty, or why it failed.
    QLabel *messageLabel() const { return message; }
    bool exportCsv(const QString &path, QString *error);

private:
    void updateCodes();

    FrameModel *frames;
    QString captureDir;
    QTableView *view;
    QPushButton *pause;
    QComboBox *code;
    QCheckBox *failedOnly;
    QPushButton *clear;
    QPushButton *exportButton;
    QPushButton *folderButton;
    QLabel *codeLabel;
    QLabel *message;
    bool active = false;
};

// T3, T4 and the dew point from the samples table over a span (ten minutes to ninety days, or
// a range of the operator's choosing), live while shown. A worker thread reads and reduces;
// this tab only asks and draws, so the window never waits on the database.
class TrendsTab : public DiagnosticsTab {
    Q_OBJECT
public:
    // `clock`: the wall clock in ms since 1970 that "now" is taken from (tests pass their own).
    TrendsTab(const QString &databasePath, history::Recorder &recorder, QWidget *parent = nullptr,
              std::function<qint64()> clock = {});
    ~TrendsTab() override;
    void setActive(bool active) override;
    void tick() override;
    void retranslate() override;

    enum Span { TenMinutes, Hour, Day, Week, ThirtyDays, NinetyDays, Custom };
    // The time axis's label format for a span of `spanMs`.
    static QString timeFormat(qint64 spanMs);

    QComboBox *rangeBox() const { return range; }
    QDateTimeEdit *fromBox() const { return fromEdit; }
    QDateTimeEdit *toBox() const { return toEdit; }
    QPushButton *resetButton() const { return reset; }
    QWidget *chartView() const;
    // What is drawn: the newest picture asked for, once it has come.
    const TrendPicture &picture() const { return drawn; }
    bool isLoading() const { return loading; }
    QString messageText() const;
    // Shows [from, to] (ms since 1970), as dragging a rectangle on the chart does; the
    // reset goes back to the span chosen.
    void zoomTo(qint64 from, qint64 to);
    void resetZoom();
    // Written by the worker; exported() tells when.
    void exportCsv(const QString &path);
    void exportPng(const QString &path);

signals:
    void pictureShown();
    void exported(const QString &path, const QString &error);

private:
    void load();
    int columns() const;
    void pictureArrived(const diagnostics::TrendPicture &picture);
    void timeAxisChanged(qint64 from, qint64 to);
    void showRange(qint64 from, qint64 to);

    QThread *thread;
    TrendsWorker *worker;
    TrendChart *chart;
    QComboBox *range;
    QDateTimeEdit *fromEdit;
    QDateTimeEdit *toEdit;
    QPushButton *reset;
    QLabel *rangeLabel;
    QLabel *toLabel;
    QLabel *message;
    QPushButton *pngButton;
    QPushButton *csvButton;
    QTimer *editing;
    TrendRequest wanted;
    TrendPicture drawn;
    quint64 requests = 0;
    bool active = false;
    bool loading = false;
    bool zoomed = false;
    bool settingAxes = false;
    qint64 zoomFrom = 0;
    qint64 zoomEnd = 0;
};

// The link's figures.
class LinkTab : public DiagnosticsTab {
    Q_OBJECT
public:
    LinkTab(const QSerialPort &port, history::Recorder &recorder, QWidget *parent = nullptr);
    void setActive(bool active) override;
    void tick() override;
    void retranslate() override;

    // The value shown in row `row` of the figures (for tests).
    QString valueText(int row) const;
    QTableWidget *codeTable() const { return codes; }
    enum Row {
        PortRow,
        SettingsRow,
        StateRow,
        BytesInRow,
        BytesOutRow,
        FramesInRow,
        FramesOutRow,
        CheckFailuresRow,
        UnknownCodesRow,
        NoiseRow,
        EarlyPassesRow,
        RateRow,
        SinceLastRow,
        PortErrorRow,
        TroubleRow,
        PlantRow,
        LogSizeRow,
        RowCount
    };
    // The plant link's state line (broker state, last error, buffered and dropped counts);
    // empty while no plant link is configured.
    void setPlantLine(const QString &line);

private:
    QString plantLine;
    const QSerialPort &port;
    history::Recorder &recorder;
    QFormLayout *form;
    std::vector<QLabel *> names;
    std::vector<QLabel *> values;
    QTableWidget *codes;
    QPushButton *reset;
    bool active = false;
};

} // namespace diagnostics
