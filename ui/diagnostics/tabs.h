#pragma once

#include "history/records.h"
#include "ui/diagnostics/event_model.h"
#include "ui/diagnostics/frame_model.h"
#include "ui/diagnostics/series_reduction.h"

#include <QString>
#include <QWidget>

#include <vector>

class QCheckBox;
class QComboBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QSerialPort;
class QTableView;
class QTableWidget;
class QTimer;
namespace history {
class Recorder;
} // namespace history

namespace diagnostics {

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

// The events table of the history database, newest first, filtered.
class EventsTab : public DiagnosticsTab {
    Q_OBJECT
public:
    EventsTab(const QString &databasePath, QWidget *parent = nullptr);
    void setActive(bool active) override;
    void tick() override {}
    void retranslate() override;

    EventModel &model() { return *events; }
    // Runs the query of the current filter again.
    void reload();
    bool exportCsv(const QString &path, QString *error);
    QComboBox *categoryBox() const { return category; }
    QComboBox *periodBox() const { return period; }
    QLineEdit *textBox() const { return text; }

private:
    EventModel *events;
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
    bool active = false;
};

// T3, T4 and the dew point from the samples table, live while shown.
class TrendsTab : public DiagnosticsTab {
    Q_OBJECT
public:
    TrendsTab(const QString &databasePath, history::Recorder &recorder, QWidget *parent = nullptr);
    ~TrendsTab() override;
    void setActive(bool active) override;
    void tick() override;
    void retranslate() override;

    // The span shown, in ms.
    qint64 span() const;
    QComboBox *rangeBox() const { return range; }
    int sampleCount() const { return int(samples.size()); }
    // Points drawn in each series (T3, T4, dew point), after the reduction.
    std::vector<int> drawnPoints() const;
    bool exportCsv(const QString &path, QString *error) const;
    bool exportPng(const QString &path, QString *error);

private:
    void load();
    void redraw();
    void sampleArrived(const history::Sample &sample);

    QString databasePath;
    QString connection;
    std::vector<history::Sample> samples;
    TrendChart *chart;
    QComboBox *range;
    QLabel *rangeLabel;
    QLabel *message;
    QPushButton *pngButton;
    QPushButton *csvButton;
    bool active = false;
    bool dirty = false;
    qint64 lastDraw = 0;
    int drawnWidth = 0;
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
