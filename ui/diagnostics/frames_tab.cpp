#include "ui/diagnostics/csv.h"
#include "ui/diagnostics/tabs.h"
#include "ui/diagnostics/texts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QUrl>
#include <QVBoxLayout>

namespace diagnostics {

FramesTab::FramesTab(const history::Journal &journal, const QString &dir, QWidget *parent)
    : DiagnosticsTab(parent), frames(new FrameModel(journal, this)), captureDir(dir),
      view(new QTableView), pause(new QPushButton), code(new QComboBox), failedOnly(new QCheckBox),
      clear(new QPushButton), exportButton(new QPushButton), folderButton(new QPushButton),
      codeLabel(new QLabel), message(new QLabel) {
    pause->setCheckable(true);
    code->addItem(QString(), QString());
    code->setSizeAdjustPolicy(QComboBox::AdjustToContents);

    auto *controls = new QHBoxLayout;
    controls->addWidget(pause);
    controls->addWidget(codeLabel);
    controls->addWidget(code);
    controls->addWidget(failedOnly);
    controls->addStretch(1);
    controls->addWidget(clear);
    controls->addWidget(exportButton);
    controls->addWidget(folderButton);

    view->setModel(frames);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->verticalHeader()->setVisible(false);
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    view->horizontalHeader()->setStretchLastSection(true);
    view->setWordWrap(false);
    const QFontMetrics fm = fontMetrics();
    view->setColumnWidth(FrameModel::TimeColumn,
                         fm.horizontalAdvance(QStringLiteral("00:00:00.000  ")));
    view->setColumnWidth(FrameModel::DirectionColumn,
                         fm.horizontalAdvance(QStringLiteral("Noise    ")));
    view->setColumnWidth(FrameModel::CodeColumn,
                         fm.horizontalAdvance(QStringLiteral("ParameterReply  ")));
    view->setColumnWidth(
        FrameModel::HexColumn,
        fm.horizontalAdvance(QStringLiteral("80 03 00 33 7B 80 03 00 33 7B 80 03 00 33 7B 80")));
    view->setColumnWidth(FrameModel::VerdictColumn,
                         fm.horizontalAdvance(QStringLiteral("check failed  ")));

    message->setTextFormat(Qt::PlainText);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addWidget(message);
    layout->addWidget(view, 1);

    connect(pause, &QPushButton::toggled, this, [this](bool paused) {
        frames->setPaused(paused);
        retranslate();
    });
    connect(code, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            [this] { frames->setCodeFilter(code->currentData().toString()); });
    connect(failedOnly, &QCheckBox::toggled, frames, &FrameModel::setFailedOnly);
    connect(clear, &QPushButton::clicked, frames, &FrameModel::clearView);
    connect(exportButton, &QPushButton::clicked, this, [this] {
        const QString path =
            QFileDialog::getSaveFileName(this, Texts::tr("导出CSV"), QStringLiteral("frames.csv"),
                                         QStringLiteral("CSV (*.csv)"));
        if (path.isEmpty())
            return;
        QString error;
        if (exportCsv(path, &error))
            message->clear();
        else
            message->setText(Texts::tr("导出失败: %1").arg(error));
    });
    connect(folderButton, &QPushButton::clicked, this, [this] {
        QDir().mkpath(captureDir);
        QDesktopServices::openUrl(QUrl::fromLocalFile(QDir(captureDir).absolutePath()));
    });
    retranslate();
}

void FramesTab::setActive(bool on) {
    if (on == active)
        return;
    active = on;
    if (active)
        tick();
}

void FramesTab::tick() {
    if (!active)
        return;
    // Follow the newest row only when the view is at its end already.
    QScrollBar *bar = view->verticalScrollBar();
    const bool atEnd = bar->value() >= bar->maximum();
    if (frames->refresh() > 0 && atEnd)
        view->scrollToBottom();
    updateCodes();
}

void FramesTab::updateCodes() {
    const QStringList names = frames->codeNames();
    if (names.size() + 1 == code->count())
        return;
    const QSignalBlocker block(code);
    const QString chosen = code->currentData().toString();
    while (code->count() > 1)
        code->removeItem(1);
    for (const QString &name : names)
        code->addItem(name, name);
    code->setCurrentIndex(std::max(0, code->findData(chosen)));
}

bool FramesTab::exportCsv(const QString &path, QString *error) {
    *error = exportRefusal(path, captureDir);
    return error->isEmpty() && writeTextFile(path, modelToCsv(*frames), error);
}

void FramesTab::retranslate() {
    pause->setText(pause->isChecked() ? Texts::tr("继续") : Texts::tr("暂停"));
    codeLabel->setText(Texts::tr("代码:"));
    code->setItemText(0, Texts::tr("全部"));
    failedOnly->setText(Texts::tr("仅校验失败"));
    clear->setText(Texts::tr("清除"));
    exportButton->setText(Texts::tr("导出CSV..."));
    folderButton->setText(Texts::tr("打开记录文件夹"));
    frames->headerDataChanged(Qt::Horizontal, 0, FrameModel::ColumnCount - 1);
}

} // namespace diagnostics
