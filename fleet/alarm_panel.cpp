#include "fleet/alarm_panel.h"

#include "fleet/alarm_list.h"
#include "fleet/table_view.h"
#include "fleet/texts.h"

#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace fleet {

AlarmPanel::AlarmPanel(AlarmList *alarms, QWidget *parent) : QWidget(parent), alarms(alarms) {
    auto *alarmLayout = new QVBoxLayout(this);
    alarmLayout->setContentsMargins(0, 0, 0, 0);
    auto *alarmBar = new QHBoxLayout;
    alarmTitle = new QLabel(this);
    alarmTitle->setObjectName(QStringLiteral("alarmTitle"));
    acknowledgeButton = new QPushButton(this);
    acknowledgeButton->setObjectName(QStringLiteral("acknowledge"));
    acknowledgeAllButton = new QPushButton(this);
    acknowledgeAllButton->setObjectName(QStringLiteral("acknowledgeAll"));
    alarmBar->addWidget(alarmTitle, 1);
    alarmBar->addWidget(acknowledgeButton);
    alarmBar->addWidget(acknowledgeAllButton);
    alarmLayout->addLayout(alarmBar);
    alarmView = makeView(alarms, "alarmView", this);
    alarmLayout->addWidget(alarmView);
    alarmView->setColumnWidth(AlarmList::Time, 150);
    alarmView->setColumnWidth(AlarmList::LaserId, 130);
    alarmView->setColumnWidth(AlarmList::Alarm, 260);
    alarmView->setColumnWidth(AlarmList::Acknowledged, 100);

    connect(acknowledgeButton, &QPushButton::clicked, this, [this] {
        this->alarms->acknowledge(alarmView->selectionModel()->selectedRows());
        emit acknowledged();
    });
    connect(acknowledgeAllButton, &QPushButton::clicked, this, [this] {
        this->alarms->acknowledgeAll();
        emit acknowledged();
    });
    connect(alarmView, &QTableView::doubleClicked, this, [this](const QModelIndex &index) {
        emit laserChosen(index.data(AlarmList::LaserIdRole).toString());
    });
}

void AlarmPanel::setUnacknowledged(int count) {
    alarmTitle->setText(Texts::tr("报警列表（%1 条未确认）").arg(count));
}

void AlarmPanel::retranslate() {
    acknowledgeButton->setText(Texts::tr("确认所选"));
    acknowledgeAllButton->setText(Texts::tr("全部确认"));
}

} // namespace fleet

#include "moc_alarm_panel.cpp"
