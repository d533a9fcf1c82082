#pragma once

#include "ui/diagnostics/report_worker.h"
#include "ui/diagnostics/tabs.h"

#include <functional>

class QComboBox;
class QDateTimeEdit;
class QLabel;
class QPushButton;
class QTableWidget;
class QThread;

namespace diagnostics {

class ReportChart;

// The alarm report of a period: the overall figures beside their reference lines (those beyond
// in red), the alarms that rose most as bars, every alarm's figures, and what the history could
// not tell. A worker thread reads; this tab asks and shows, so the window never waits on the
// database. Exported as CSV or as a printable page.
class ReportTab : public DiagnosticsTab {
    Q_OBJECT
public:
    // `clock`: the wall clock in ms since 1970 that "now" is taken from (tests pass their own).
    explicit ReportTab(const QString &databasePath, QWidget *parent = nullptr,
                       std::function<qint64()> clock = {});
    ~ReportTab() override;
    void setActive(bool active) override;
    void tick() override;
    void retranslate() override;

    // The choices of the period box: the spans, then a range of the operator's choosing.
    enum Choice { Day, Week, Month, Quarter, All, Range };
    QComboBox *periodBox() const { return period; }
    QDateTimeEdit *fromBox() const { return fromEdit; }
    QDateTimeEdit *toBox() const { return toEdit; }
    QTableWidget *overallTable() const { return overall; }
    QTableWidget *alarmTable() const { return alarms; }
    QWidget *chartView() const;
    QString messageText() const;
    // The figures shown (once the answer to the last ask has come).
    const events::PeriodFigures &figures() const { return shown; }
    bool isLoading() const { return loading; }
    // Reads the period again.
    void reload();
    // Written by the worker; exported() tells when.
    void exportFile(const QString &path, service::ReportFormat format);

signals:
    void reportShown();
    void exported(const QString &path, const QString &error);

private:
    void answered(const diagnostics::ReportAnswer &answer);
    void present(const events::PeriodFigures &figures);
    void askForFile(service::ReportFormat format);

    QThread *thread;
    ReportWorker *worker;
    ReportChart *chart;
    QComboBox *period;
    QDateTimeEdit *fromEdit;
    QDateTimeEdit *toEdit;
    QPushButton *refresh;
    QPushButton *csvButton;
    QPushButton *pageButton;
    QLabel *periodLabel;
    QLabel *toLabel;
    QLabel *message;
    QLabel *heading;
    QLabel *notes;
    QTableWidget *overall;
    QTableWidget *alarms;
    QTimer *editing;
    events::PeriodFigures shown;
    bool hasFigures = false;
    bool alarmsFitted = false;
    quint64 asks = 0;
    quint64 wantedId = 0;
    bool active = false;
    bool loading = false;
};

} // namespace diagnostics
