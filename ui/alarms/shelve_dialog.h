#pragma once

#include <QDialog>

class QComboBox;
class QLineEdit;

namespace alarm_summary {

// How long to shelve an alarm (15 minutes to 8 hours, an hour unless chosen) and why, in a few
// words; from the keyboard: the choice has the focus, Tab to the reason, Enter to shelve.
class ShelveDialog : public QDialog {
    Q_OBJECT
public:
    ShelveDialog(const QString &alarmName, QWidget *parent = nullptr);
    int minutes() const;
    QString reason() const;

    // The choices, in minutes.
    static const int choices[6];

private:
    QComboBox *duration;
    QLineEdit *why;
};

} // namespace alarm_summary
