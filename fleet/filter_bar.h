#pragma once

#include <QString>
#include <QWidget>

class QLabel;
class QLineEdit;
class QSpinBox;

namespace fleet {

// The bar above the table: the filter's text, and how old a status may be before its laser
// counts as offline.
class FilterBar : public QWidget {
    Q_OBJECT

public:
    FilterBar(qint64 staleLimitMs, QWidget *parent);
    void retranslate();

signals:
    void filterChanged(const QString &text);
    void staleLimitChanged(qint64 ms);

private:
    QLabel *filterLabel;
    QLineEdit *filterBox;
    QLabel *staleLabel;
    QSpinBox *staleBox;
};

} // namespace fleet
