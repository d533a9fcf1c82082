#include "fleet/filter_bar.h"

#include "fleet/texts.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>

namespace fleet {

FilterBar::FilterBar(qint64 staleLimitMs, QWidget *parent) : QWidget(parent) {
    auto *bar = new QHBoxLayout(this);
    // Laid out as a row of the window's own layout, as if this widget were not there.
    bar->setContentsMargins(0, 0, 0, 0);
    filterLabel = new QLabel(this);
    filterBox = new QLineEdit(this);
    filterBox->setObjectName(QStringLiteral("filterBox"));
    filterBox->setClearButtonEnabled(true);
    staleLabel = new QLabel(this);
    staleBox = new QSpinBox(this);
    staleBox->setObjectName(QStringLiteral("staleLimit"));
    staleBox->setRange(5, 3600);
    staleBox->setValue(static_cast<int>(staleLimitMs / 1000));
    bar->addWidget(filterLabel);
    bar->addWidget(filterBox, 1);
    bar->addSpacing(20);
    bar->addWidget(staleLabel);
    bar->addWidget(staleBox);

    connect(filterBox, &QLineEdit::textChanged, this, &FilterBar::filterChanged);
    connect(staleBox, QOverload<int>::of(&QSpinBox::valueChanged), this,
            [this](int seconds) { emit staleLimitChanged(qint64(seconds) * 1000); });
}

void FilterBar::retranslate() {
    filterLabel->setText(Texts::tr("筛选:"));
    filterBox->setPlaceholderText(Texts::tr("激光器、端口、状态或报警"));
    staleLabel->setText(Texts::tr("状态超过多久算离线:"));
    staleBox->setSuffix(Texts::tr(" 秒"));
}

} // namespace fleet

#include "moc_filter_bar.cpp"
