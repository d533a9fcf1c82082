#pragma once

#include "alarms/decisions.h"
#include "alarms/handling.h"

#include <QWidget>

#include <vector>

class QLabel;
class QPushButton;
class QTableView;

namespace alarm_summary {

class SummaryModel;

// What the heading says above the lines.
struct Heading {
    alarms::Link link = alarms::Link::Closed;
    bool flood = false;
    qint64 floodRises = 0;
    int unacknowledged = 0;
};

// The alarm summary: a heading (no data and why, a flood and its count, how many are
// unacknowledged) over the lines, and the operator's actions, which it only asks for: the
// owner carries them out on the alarm handling and shows what follows.
//
// Keyboard: the lines take the focus; Space acknowledges the current line, Alt+A the same,
// Alt+K all, Alt+V shelves the current line (a dialog asks how long and why), Alt+N unshelves
// it. The letters are none of the main window's menus (U, S, L, D, M, H).
class SummaryPanel : public QWidget {
    Q_OBJECT
public:
    explicit SummaryPanel(QWidget *parent = nullptr);

    void present(std::vector<alarms::Line> lines, const Heading &heading);
    void retranslate();

    SummaryModel *model() const { return lines; }
    QTableView *table() const { return view; }
    // The key of the current line; empty when none.
    QString currentKey() const;

signals:
    void acknowledgeRequested(const QString &key);
    void acknowledgeAllRequested();
    void shelveRequested(const QString &key, int minutes, const QString &reason);
    void unshelveRequested(const QString &key);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void acknowledgeCurrent();
    void shelveCurrent();
    void unshelveCurrent();
    // Buttons and their hints follow the current line.
    void follow();
    const alarms::Line *current() const;

    SummaryModel *lines;
    QTableView *view;
    QLabel *heading;
    QPushButton *acknowledge;
    QPushButton *acknowledgeAll;
    QPushButton *shelve;
    QPushButton *unshelve;
    Heading shown;
};

} // namespace alarm_summary
