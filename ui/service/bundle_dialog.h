#pragma once

#include "service/bundle.h"

#include <QDialog>
#include <QFutureWatcher>
#include <QObject>
#include <QPointer>
#include <QProgressDialog>
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

// One export on a worker thread, with a progress dialog and its cancel button; the window
// keeps running meanwhile. Deleting the job cancels an export that still runs.
class BundleJob : public QObject {
    Q_OBJECT
public:
    BundleJob(BundleInput input, QWidget *parent);
    ~BundleJob() override;

    void cancel() { progress->cancel = true; }
    bool isRunning() const { return watcher.isRunning(); }
    const BundleResult &result() const { return outcome; }
    QProgressDialog *progressDialog() const { return dialog; }

signals:
    void finished();

private:
    void showProgress();

    std::shared_ptr<BundleProgress> progress;
    QFutureWatcher<BundleResult> watcher;
    QPointer<QProgressDialog> dialog;
    QTimer poll;
    BundleResult outcome;
};

} // namespace service
