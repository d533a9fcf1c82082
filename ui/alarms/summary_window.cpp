#include "ui/alarms/summary_window.h"

#include "ui/alarms/summary_panel.h"
#include "ui/alarms/summary_texts.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QTableView>
#include <QVBoxLayout>

namespace alarm_summary {

SummaryWindow::SummaryWindow(QWidget *parent)
    : QWidget(parent, Qt::Window), lines(new SummaryPanel(this)), note(new QLabel(this)) {
    setObjectName(QStringLiteral("alarmSummaryWindow"));
    note->setObjectName(QStringLiteral("alarmSummaryNote"));
    note->setTextFormat(Qt::PlainText);
    note->setWordWrap(true);
    note->setStyleSheet(QStringLiteral("color: #900000;"));
    note->hide();
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(note);
    layout->addWidget(lines);
    resize(1100, 360);
    retranslate();
}

void SummaryWindow::setNote(const QString &text) {
    note->setText(text);
    note->setAccessibleName(text);
    note->setVisible(!text.isEmpty());
}

void SummaryWindow::bringUp() {
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
    lines->table()->setFocus();
}

void SummaryWindow::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    emit shown();
}

void SummaryWindow::keyPressEvent(QKeyEvent *event) {
    // Esc comes here only when no child took it, as in the diagnostics window.
    if (event->matches(QKeySequence::Cancel))
        close();
    else
        QWidget::keyPressEvent(event);
}

void SummaryWindow::changeEvent(QEvent *event) {
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QWidget::changeEvent(event);
}

void SummaryWindow::retranslate() {
    setWindowTitle(Texts::tr("报警汇总 - LASER SYSTEM"));
    lines->retranslate();
}

} // namespace alarm_summary
