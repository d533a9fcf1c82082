#include "ui/alarms/shelve_dialog.h"

#include "alarms/decisions.h"
#include "ui/alarms/summary_texts.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace alarm_summary {

const int ShelveDialog::choices[6] = {15, 30, 60, 120, 240, 480};

ShelveDialog::ShelveDialog(const QString &alarmName, QWidget *parent)
    : QDialog(parent), duration(new QComboBox(this)), why(new QLineEdit(this)) {
    setWindowTitle(Texts::tr("搁置报警"));
    for (const int m : choices) {
        duration->addItem(m < 60 ? Texts::tr("%1 分钟").arg(m) : Texts::tr("%1 小时").arg(m / 60),
                          m);
        if (m == alarms::defaultShelfMinutes)
            duration->setCurrentIndex(duration->count() - 1);
    }
    why->setMaxLength(alarms::longestReason);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(Texts::tr("搁置"));
    buttons->button(QDialogButtonBox::Cancel)->setText(Texts::tr("取消"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *form = new QFormLayout(this);
    auto *name = new QLabel(alarmName, this);
    name->setTextFormat(Qt::PlainText);
    form->addRow(Texts::tr("报警:"), name);
    form->addRow(Texts::tr("搁置时间(&D):"), duration);
    form->addRow(Texts::tr("原因(&R):"), why);
    form->addRow(buttons);
    duration->setFocus();
}

int ShelveDialog::minutes() const {
    return duration->currentData().toInt();
}

QString ShelveDialog::reason() const {
    return why->text();
}

} // namespace alarm_summary
