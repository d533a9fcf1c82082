#pragma once

#include <QString>
#include <QTimer>
#include <QWidget>

class QMainWindow;
class QMenu;
class QAction;
class QSerialPort;
class QTabWidget;
namespace history {
class Recorder;
}

namespace diagnostics {

class AlarmWatch;
class ActiveAlarmCount;
class EventsTab;
class FramesTab;
class TrendsTab;
class LinkTab;
class LinkStatusLine;
class ReportTab;

// Where the program keeps its history, relative to the working directory.
struct HistoryPaths {
    QString logDir = QStringLiteral("log");
    QString database() const { return logDir + QStringLiteral("/history.sqlite"); }
};

// The non-modal diagnostics window: Events, Frames, Trends, Link and Report. Only the shown tab
// works, in batches at most five times a second, and nothing works while the window is hidden.
class DiagnosticsWindow : public QWidget {
    Q_OBJECT
public:
    // `alarms`: the alarms on now, as the status bar follows them; null, the window follows
    // them itself.
    DiagnosticsWindow(const QSerialPort &port, history::Recorder &recorder,
                      const HistoryPaths &paths, QWidget *parent = nullptr,
                      const AlarmWatch *alarms = nullptr);

    static constexpr int batchMs = 200;
    enum Tab { EventsIndex, FramesIndex, TrendsIndex, LinkIndex, ReportIndex };

    QTabWidget *tabs() const { return tabWidget; }
    EventsTab *eventsTab() const { return events; }
    FramesTab *framesTab() const { return frames; }
    TrendsTab *trendsTab() const { return trends; }
    LinkTab *linkTab() const { return link; }
    ReportTab *reportTab() const { return report; }
    bool isWorking() const { return batch.isActive(); }

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void changeEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void retranslate();
    void activate(int index);

    QTabWidget *tabWidget;
    EventsTab *events;
    FramesTab *frames;
    TrendsTab *trends;
    LinkTab *link;
    ReportTab *report;
    QTimer batch;
    int activeIndex = -1;
};

// The "诊断" menu (before "帮助"), its window made on first use, and the status line. Owned by
// the main window.
class Diagnostics : public QObject {
    Q_OBJECT
public:
    Diagnostics(QMainWindow &window, QAction *before, const QSerialPort &port,
                history::Recorder &recorder, const HistoryPaths &paths = HistoryPaths());

    QMenu *menu() const { return diagnosticsMenu; }
    QAction *action() const { return open; }
    // Null until first opened.
    DiagnosticsWindow *window() const { return shown; }
    LinkStatusLine *statusLine() const { return status; }
    const AlarmWatch &alarmWatch() const { return *alarms; }
    ActiveAlarmCount *alarmCount() const { return count; }
    // Shows the window, making it on first use, and raises it.
    void showWindow();
    // The plant link's state line for the Link tab.
    void setPlantLine(const QString &line);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void retranslate();

    QMainWindow &main;
    const QSerialPort &port;
    history::Recorder &recorder;
    HistoryPaths paths;
    QMenu *diagnosticsMenu;
    QAction *open;
    LinkStatusLine *status;
    AlarmWatch *alarms;
    ActiveAlarmCount *count;
    DiagnosticsWindow *shown = nullptr;
    QString plantLine;
};

} // namespace diagnostics
