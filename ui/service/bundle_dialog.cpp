#include "ui/service/bundle_dialog.h"

#include "service/texts.h"

#include <QComboBox>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>

namespace service {

BundleDialog::BundleDialog(QWidget *parent)
    : QDialog(parent), periods(new QComboBox), file(new QLineEdit) {
    setObjectName(QStringLiteral("bundleDialog"));
    setWindowTitle(Texts::tr("导出诊断包"));
    periods->setObjectName(QStringLiteral("bundlePeriod"));
    periods->addItem(Texts::tr("最近1小时"), int(Period::LastHour));
    periods->addItem(Texts::tr("最近1天"), int(Period::LastDay));
    periods->addItem(Texts::tr("最近1周"), int(Period::LastWeek));
    periods->addItem(Texts::tr("全部"), int(Period::All));
    periods->setCurrentIndex(1);
    file->setObjectName(QStringLiteral("bundlePath"));
    file->setText(QDir::home().filePath(
        QStringLiteral("laser-support-%1.zip")
            .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")))));
    auto *browse = new QPushButton(Texts::tr("浏览..."));
    connect(browse, &QPushButton::clicked, this, [this] {
        const QString chosen = QFileDialog::getSaveFileName(this, windowTitle(), file->text(),
                                                            Texts::tr("Zip 压缩包 (*.zip)"));
        if (!chosen.isEmpty())
            file->setText(chosen);
    });
    auto *row = new QHBoxLayout;
    row->addWidget(file, 1);
    row->addWidget(browse);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (!file->text().trimmed().isEmpty())
            accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *form = new QFormLayout(this);
    form->addRow(Texts::tr("时段:"), periods);
    form->addRow(Texts::tr("文件:"), row);
    form->addRow(buttons);
    resize(560, height());
}

Period BundleDialog::period() const {
    return Period(periods->currentData().toInt());
}

QString BundleDialog::path() const {
    return file->text().trimmed();
}

BundleJob::BundleJob(BundleInput input, QWidget *parent)
    : QObject(parent), progress(std::make_shared<BundleProgress>()),
      written(std::make_shared<BundleResult>()), dialog(new QProgressDialog(parent)) {
    dialog->setObjectName(QStringLiteral("bundleProgress"));
    dialog->setWindowTitle(Texts::tr("导出诊断包"));
    // The path as typed, shown as plain text.
    auto *label = new QLabel(Texts::tr("正在写入 %1 ...").arg(input.outputPath));
    label->setTextFormat(Qt::PlainText);
    dialog->setLabel(label);
    dialog->setCancelButtonText(Texts::tr("取消"));
    dialog->setRange(0, 1000);
    dialog->setMinimumDuration(0);
    dialog->setAutoClose(false);
    dialog->setAutoReset(false);
    // Window-modal: the main window keeps showing frames, but no second export starts.
    dialog->setWindowModality(Qt::WindowModal);
    connect(dialog, &QProgressDialog::canceled, this, [this] { cancel(); });

    poll.setInterval(100);
    connect(&poll, &QTimer::timeout, this, [this] { showProgress(); });
    // The worker owns its input and shares only the progress and the result, so it never
    // touches the window.
    std::shared_ptr<BundleProgress> shared = progress;
    std::shared_ptr<BundleResult> result = written;
    worker = QThread::create(
        [input = std::move(input), shared, result] { *result = writeBundle(input, *shared); });
    connect(worker, &QThread::finished, this, [this] {
        poll.stop();
        outcome = *written;
        if (dialog)
            dialog->hide();
        emit finished();
    });
    // Compressing a large capture set takes a core for seconds: it gets what the window and
    // everything else leave over, so the window's tick keeps its pace.
    worker->start(QThread::IdlePriority);
    poll.start();
    dialog->show();
}

BundleJob::~BundleJob() {
    // The worker finds the request at its next chunk and removes its temporary file.
    progress->cancel = true;
    worker->wait();
    delete worker;
    delete dialog.data();
}

void BundleJob::showProgress() {
    const qint64 total = progress->total.load();
    const qint64 done = progress->done.load();
    if (dialog)
        dialog->setValue(total > 0 ? int(qMin<qint64>(1000, done * 1000 / total)) : 0);
}

} // namespace service

#include "moc_bundle_dialog.cpp"
