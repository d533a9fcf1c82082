#pragma once

#include "service/bundle.h"

#include <QDialog>
#include <QObject>
#include <QPointer>
#include <QProgressDialog>
#include <QThread>
#include <QTimer>

#include <memory>

class QComboBox;
class QLineEdit;

namespace service {

// Asks for the period and the file of a support bundle.
class BundleDialog : public QDialog {
    Q_OBJECT
public:
    explicit BundleDialog(QWidget *parent = nullptr);
    Period period() const;
    QString path() const;
    QComboBox *periodBox() const { return periods; }
    QLineEdit *pathEdit() const { return file; }

private:
    QComboBox *periods;
    QLineEdit *file;
};

// One export on a thread of its own at idle priority, with a progress dialog and its cancel
// button: the window keeps its tick and keeps showing frames meanwhile. Deleting the job
// cancels an export that still runs and waits for it to let go of its temporary file.
class BundleJob : public QObject {
    Q_OBJECT
public:
    BundleJob(BundleInput input, QWidget *parent);
    ~BundleJob() override;

    void cancel() { progress->cancel = true; }
    bool isRunning() const { return worker->isRunning(); }
    const BundleResult &result() const { return outcome; }
    QProgressDialog *progressDialog() const { return dialog; }

signals:
    void finished();

private:
    void showProgress();

    std::shared_ptr<BundleProgress> progress;
    std::shared_ptr<BundleResult> written;
    QThread *worker;
    QPointer<QProgressDialog> dialog;
    QTimer poll;
    BundleResult outcome;
};

} // namespace service
