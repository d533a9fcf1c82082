#pragma once

#include <QWidget>

class QLabel;

namespace alarm_summary {

class SummaryPanel;

// The alarm summary in a window of its own beside the main window, which keeps working: the
// panel (lines, heading, actions) and below the heading a note of what the shelf file or an action
// had to say. Opened from the status bar's "N 未确认" or F9 with the lines in front, so Space
// acknowledges at once; Esc closes it (an open list or dialog closes first).
class SummaryWindow : public QWidget {
    Q_OBJECT
public:
    explicit SummaryWindow(QWidget *parent = nullptr);

    SummaryPanel *panel() const { return lines; }
    // A message of the shelf file or of a refused action; empty hides it.
    void setNote(const QString &text);
    // Shown in front with the lines taking the keys.
    void bringUp();

signals:
    void shown();

protected:
    void changeEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void retranslate();

    SummaryPanel *lines;
    QLabel *note;
};

} // namespace alarm_summary
