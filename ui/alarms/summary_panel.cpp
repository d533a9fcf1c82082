#include "ui/alarms/summary_panel.h"

#include "alarms/rules.h"
#include "alarms/words.h"
#include "ui/alarms/shelve_dialog.h"
#include "ui/alarms/summary_model.h"
#include "ui/alarms/summary_texts.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace alarm_summary {

SummaryPanel::SummaryPanel(QWidget *parent)
    : QWidget(parent), lines(new SummaryModel(this)), view(new QTableView(this)),
      heading(new QLabel(this)), acknowledge(new QPushButton(this)),
      acknowledgeAll(new QPushButton(this)), shelve(new QPushButton(this)),
      unshelve(new QPushButton(this)) {
    setObjectName(QStringLiteral("alarmSummary"));
    view->setObjectName(QStringLiteral("alarmSummaryLines"));
    acknowledge->setObjectName(QStringLiteral("alarmAcknowledge"));
    acknowledgeAll->setObjectName(QStringLiteral("alarmAcknowledgeAll"));
    shelve->setObjectName(QStringLiteral("alarmShelve"));
    unshelve->setObjectName(QStringLiteral("alarmUnshelve"));
    heading->setTextFormat(Qt::PlainText);

    view->setModel(lines);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setTabKeyNavigation(false);
    view->verticalHeader()->hide();
    // Whole times and names: a line is short and there are at most a few hundred.
    view->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    view->horizontalHeader()->setStretchLastSection(true);
    view->installEventFilter(this);

    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {acknowledge, acknowledgeAll, shelve, unshelve})
        buttons->addWidget(b);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(view);
    layout->addLayout(buttons);

    connect(acknowledge, &QPushButton::clicked, this, &SummaryPanel::acknowledgeCurrent);
    connect(acknowledgeAll, &QPushButton::clicked, this, &SummaryPanel::acknowledgeAllRequested);
    connect(shelve, &QPushButton::clicked, this, &SummaryPanel::shelveCurrent);
    connect(unshelve, &QPushButton::clicked, this, &SummaryPanel::unshelveCurrent);
    connect(view->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &SummaryPanel::follow);
    retranslate();
}

void SummaryPanel::present(std::vector<alarms::Line> fresh, const Heading &h) {
    const QString key = currentKey();
    const int column = view->currentIndex().isValid() ? view->currentIndex().column() : 0;
    lines->setLines(std::move(fresh));
    // A reset forgets the current line: it stays on its alarm, or the first line.
    const int row = std::max(lines->rowOf(key), 0);
    if (lines->rowCount() > 0 && view->currentIndex().row() != row)
        view->setCurrentIndex(lines->index(row, column));
    shown = h;
    QStringList parts;
    const QString noData = alarms::linkText(h.link);
    if (!noData.isEmpty())
        parts << noData;
    if (h.flood)
        parts << alarms::floodText(h.floodRises);
    parts << Texts::tr("%1 未确认").arg(h.unacknowledged);
    heading->setText(parts.join(Texts::tr("；")));
    heading->setAccessibleName(heading->text());
    follow();
}

void SummaryPanel::retranslate() {
    acknowledge->setText(Texts::tr("确认(&A)"));
    acknowledgeAll->setText(Texts::tr("全部确认(&K)"));
    shelve->setText(Texts::tr("搁置(&V)…"));
    unshelve->setText(Texts::tr("取消搁置(&N)"));
    view->setAccessibleName(Texts::tr("报警汇总"));
    lines->retranslate();
    present(lines->lines(), shown);
}

QString SummaryPanel::currentKey() const {
    const alarms::Line *l = current();
    return l ? l->key : QString();
}

const alarms::Line *SummaryPanel::current() const {
    const int row = view->currentIndex().row();
    return row >= 0 && row < lines->rowCount() ? &lines->lines()[size_t(row)] : nullptr;
}

void SummaryPanel::follow() {
    const alarms::Line *l = current();
    acknowledge->setEnabled(l && l->unacknowledged);
    acknowledgeAll->setEnabled(shown.unacknowledged > 0);
    const alarms::Shelving why = l ? alarms::shelving(l->key) : alarms::Shelving::Allowed;
    shelve->setEnabled(l && why == alarms::Shelving::Allowed);
    shelve->setToolTip(alarms::shelvingText(why));
    unshelve->setEnabled(l && l->state == alarms::State::Shelved);
}

bool SummaryPanel::eventFilter(QObject *watched, QEvent *event) {
    if (watched == view && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Space &&
        static_cast<QKeyEvent *>(event)->modifiers() == Qt::NoModifier) {
        acknowledgeCurrent();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void SummaryPanel::acknowledgeCurrent() {
    const alarms::Line *l = current();
    if (l && l->unacknowledged)
        emit acknowledgeRequested(l->key);
}

void SummaryPanel::shelveCurrent() {
    const alarms::Line *l = current();
    if (!l || alarms::shelving(l->key) != alarms::Shelving::Allowed)
        return;
    // Not exec(): no nested event loop; the answer comes when the dialog closes.
    auto *dialog = new ShelveDialog(alarms::alarmName(l->key), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    const QString key = l->key;
    connect(dialog, &QDialog::accepted, this, [this, dialog, key] {
        emit shelveRequested(key, dialog->minutes(), dialog->reason());
    });
    dialog->open();
}

void SummaryPanel::unshelveCurrent() {
    const alarms::Line *l = current();
    if (l && l->state == alarms::State::Shelved)
        emit unshelveRequested(l->key);
}

} // namespace alarm_summary
