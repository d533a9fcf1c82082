#pragma once

#include <QString>
#include <QWidget>

class QLabel;
class QPushButton;
class QTableView;

namespace fleet {

class AlarmList;

// The alarm list with its title, which counts the lines not yet acknowledged, and the buttons
// that acknowledge the selected lines or all of them.
class AlarmPanel : public QWidget {
    Q_OBJECT

public:
    AlarmPanel(AlarmList *alarms, QWidget *parent);

    QTableView *view() const { return alarmView; }
    void setUnacknowledged(int count);
    void retranslate();

signals:
    // Lines were acknowledged.
    void acknowledged();
    // A line was double-clicked: its laser.
    void laserChosen(const QString &id);

private:
    AlarmList *alarms;
    QLabel *alarmTitle;
    QPushButton *acknowledgeButton;
    QPushButton *acknowledgeAllButton;
    QTableView *alarmView;
};

} // namespace fleet
