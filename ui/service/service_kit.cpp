#include "ui/service/service_kit.h"

#include "history/recorder.h"
#include "service/about.h"
#include "service/settings_fields.h"
#include "service/texts.h"
#include "ui/service/bundle_dialog.h"
#include "ui/service/plain_boxes.h"
#include "ui/service/settings_link.h"

#include <QAction>
#include <QDateTime>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QSerialPort>
#include <QStatusBar>
#include <QtConcurrent>

namespace service {

namespace {

const QString profileSuffix = QStringLiteral("ccbsettings");

QString portSettingsText(const QSerialPort &port) {
    const char parity = port.parity() == QSerialPort::NoParity     ? 'N'
                        : port.parity() == QSerialPort::EvenParity ? 'E'
                        : port.parity() == QSerialPort::OddParity  ? 'O'
                                                                   : '?';
    const QString stop = port.stopBits() == QSerialPort::OneStop   ? QStringLiteral("1")
                         : port.stopBits() == QSerialPort::TwoStop ? QStringLiteral("2")
                                                                   : QStringLiteral("1.5");
    return QStringLiteral("%1 %2%3%4")
        .arg(port.baudRate())
        .arg(int(port.dataBits()))
        .arg(QChar::fromLatin1(parity))
        .arg(stop);
}

// Runs `work` on the thread pool and `done` with its result on the GUI thread, unless `owner`
// is gone by then.
template <typename Result, typename Work, typename Done>
void inBackground(QObject *owner, Work work, Done done) {
    auto *watcher = new QFutureWatcher<Result>(owner);
    QObject::connect(watcher, &QFutureWatcher<Result>::finished, owner, [watcher, done] {
        done(watcher->result());
        watcher->deleteLater();
    });
    watcher->setFuture(QtConcurrent::run(work));
}

} // namespace

ServiceKit::ServiceKit(QMainWindow &window, QAction *before, QSerialPort &p,
                       const protocol::DeviceState &s, history::Recorder &r,
                       std::function<void(const QByteArray &)> send)
    : QObject(&window), main(window), port(p), state(s), recorder(r),
      link(new SettingsLink(p, s, r.journal(), std::move(send), this)),
      serviceMenu(new QMenu(window.menuBar())), save(new QAction(serviceMenu)),
      compare(new QAction(serviceMenu)), restore(new QAction(serviceMenu)),
      bundle(new QAction(serviceMenu)) {
    setObjectName(QStringLiteral("serviceKit"));
    qRegisterMetaType<service::BundleResult>();
    serviceMenu->setObjectName(QStringLiteral("menu_Service"));
    save->setObjectName(QStringLiteral("actionSaveSettings"));
    compare->setObjectName(QStringLiteral("actionCompareSettings"));
    restore->setObjectName(QStringLiteral("actionRestoreSettings"));
    bundle->setObjectName(QStringLiteral("actionSupportBundle"));
    serviceMenu->addAction(save);
    serviceMenu->addAction(compare);
    serviceMenu->addAction(restore);
    serviceMenu->addSeparator();
    serviceMenu->addAction(bundle);
    window.menuBar()->insertMenu(before, serviceMenu);

    // Saving needs the laser's present value: a read-back answered since the port was opened,
    // with no settings write since (looked at again whenever the menu opens).
    save->setEnabled(false);
    const auto offerSave = [this] { save->setEnabled(!link->readBackValue().isEmpty()); };
    connect(link, &SettingsLink::readBackValueChanged, this, offerSave);
    connect(serviceMenu, &QMenu::aboutToShow, this, offerSave);
    connect(save, &QAction::triggered, this, [this] { chooseAndSave(); });
    connect(compare, &QAction::triggered, this, [this] { chooseAndOpen(ProfileDialog::Compare); });
    connect(restore, &QAction::triggered, this, [this] { chooseAndOpen(ProfileDialog::Restore); });
    connect(bundle, &QAction::triggered, this, [this] { chooseAndExport(); });
    window.installEventFilter(this);
    retranslate();
}

ServiceKit::~ServiceKit() {
    // An export still running is cancelled; its worker removes the temporary file.
    delete job.data();
}

bool ServiceKit::eventFilter(QObject *watched, QEvent *event) {
    if (watched == &main && event->type() == QEvent::LanguageChange)
        retranslate();
    return QObject::eventFilter(watched, event);
}

void ServiceKit::retranslate() {
    serviceMenu->setTitle(Texts::tr("维护"));
    save->setText(Texts::tr("保存设定到文件..."));
    compare->setText(Texts::tr("与文件比较..."));
    restore->setText(Texts::tr("从文件写入..."));
    bundle->setText(Texts::tr("导出诊断包..."));
}

void ServiceKit::frameDispatched(const QByteArray &frame) {
    link->frameDispatched(frame);
}

void ServiceKit::chooseAndSave() {
    const QString serial =
        state.serialNumber.isEmpty() ? QStringLiteral("ccb") : state.serialNumber;
    // The overwrite question comes after the suffix is added, about the name really written.
    const QString path = QFileDialog::getSaveFileName(
        &main, Texts::tr("保存设定到文件"),
        QDir::home().filePath(
            QStringLiteral("%1-%2.%3")
                .arg(serial,
                     QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")),
                     profileSuffix)),
        Texts::tr("CCB 设定 (*.ccbsettings)"), nullptr, QFileDialog::DontConfirmOverwrite);
    if (!path.isEmpty())
        saveProfileAs(path);
}

QString ServiceKit::profileFileName(const QString &chosen) {
    return chosen.endsWith(QLatin1Char('.') + profileSuffix, Qt::CaseInsensitive)
               ? chosen
               : chosen + QLatin1Char('.') + profileSuffix;
}

void ServiceKit::saveProfileAs(const QString &chosen) {
    const QString path = profileFileName(chosen);
    inBackground<bool>(
        this, [path] { return QFileInfo::exists(path); },
        [this, path](bool exists) {
            if (exists && !plainQuestion(&main, Texts::tr("保存设定到文件"),
                                         Texts::tr("%1 已存在。要替换它吗？").arg(path))) {
                recordSave(path, QStringLiteral("not saved: overwrite declined"), QByteArray());
                emit profileSaved(path, false, Texts::tr("未替换已有的文件"));
                return;
            }
            saveProfileTo(path);
        });
}

void ServiceKit::recordSave(const QString &path, const QString &value, const QByteArray &saved) {
    const QString hex = saved.isEmpty() ? QStringLiteral("-") : valueHex(saved);
    recorder.settingsProfile(
        QStringLiteral("profileSaved"), value,
        QStringLiteral("file: %1; file value: %2; before: %2; after: %2").arg(path, hex));
}

void ServiceKit::saveProfileTo(const QString &path) {
    SettingsProfile profile;
    profile.value = link->readBackValue();
    if (profile.value.isEmpty()) {
        // The port closed, or a write went out, while the file was chosen.
        recordSave(path, QStringLiteral("not saved: no fresh read-back"), QByteArray());
        emit profileSaved(path, false, Texts::tr("还没有读回的设定"));
        return;
    }
    profile.productType = state.productType;
    profile.serialNumber = state.serialNumber;
    profile.ccbVersion = state.ccbVersion;
    profile.port = port.portName();
    profile.savedAt = QDateTime::currentMSecsSinceEpoch();
    using Outcome = std::pair<bool, QString>;
    inBackground<Outcome>(
        this,
        [path, profile] {
            QString error;
            const bool ok = saveProfile(path, profile, &error);
            return Outcome(ok, error);
        },
        [this, path, profile](const Outcome &outcome) {
            recordSave(path,
                       outcome.first ? QStringLiteral("saved")
                                     : QStringLiteral("failed: ") + outcome.second,
                       profile.value);
            if (outcome.first)
                main.statusBar()->showMessage(Texts::tr("设定已保存到 %1").arg(path), 10000);
            else
                plainWarning(&main, Texts::tr("保存设定到文件"),
                             Texts::tr("无法写入 %1:\n%2").arg(path, outcome.second));
            emit profileSaved(path, outcome.first, outcome.second);
        });
}

void ServiceKit::chooseAndOpen(ProfileDialog::Mode mode) {
    const QString path = QFileDialog::getOpenFileName(
        &main, mode == ProfileDialog::Compare ? Texts::tr("与文件比较") : Texts::tr("从文件写入"),
        QDir::homePath(), Texts::tr("CCB 设定 (*.ccbsettings);;所有文件 (*)"));
    if (!path.isEmpty())
        openProfile(mode, path);
}

void ServiceKit::openProfile(ProfileDialog::Mode mode, const QString &path) {
    // One compare or restore at a time.
    if (loading || dialog)
        return;
    loading = true;
    inBackground<ProfileLoad>(
        this, [path] { return loadProfile(path); },
        [this, mode, path](const ProfileLoad &load) {
            loading = false;
            profileLoaded(mode, path, load);
        });
}

void ServiceKit::profileLoaded(ProfileDialog::Mode mode, const QString &path,
                               const ProfileLoad &load) {
    const QString title =
        mode == ProfileDialog::Compare ? Texts::tr("与文件比较") : Texts::tr("从文件写入");
    if (!load.ok) {
        plainWarning(
            &main, title,
            Texts::tr("无法使用此文件, 未读取也未写入任何设定。\n%1\n\n%2").arg(path, load.error));
        emit profileRefused(load.error);
        return;
    }
    if (!load.caution.isEmpty() &&
        !plainQuestion(&main, title, Texts::tr("%1\n\n继续吗？").arg(load.caution))) {
        emit profileRefused(load.caution);
        return;
    }
    if (!load.disagreements.isEmpty() &&
        !plainQuestion(&main, title,
                       Texts::tr("文件中的解码字段与原始值不符, 以原始值为准:\n%1\n\n继续吗？")
                           .arg(load.disagreements.join(QLatin1Char('\n'))))) {
        emit profileRefused(load.disagreements.join(QLatin1Char('\n')));
        return;
    }
    dialog = new ProfileDialog(mode, load.profile, path, load.disagreements, *link, state, recorder,
                               &main);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->show();
    emit profileDialogOpened(dialog);
    dialog->start();
}

void ServiceKit::chooseAndExport() {
    if (job)
        return;
    BundleDialog ask(&main);
    if (ask.exec() == QDialog::Accepted)
        exportBundle(ask.path(), ask.period());
}

BundleInput ServiceKit::bundleInput(const QString &path, Period period) const {
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    AboutFacts facts;
    facts.madeAt = now;
    facts.madeBy = QStringLiteral("window");
    facts.period = periodName(period);
    facts.portName = port.portName();
    facts.portSettings = portSettingsText(port);
    facts.portOpen = port.isOpen();
    facts.device = state;
    facts.lastSettingsValue = link->lastValue();
    facts.lastSettingsAt = link->lastValueAt();
    facts.figures = recorder.figures();
    facts.historyTrouble = recorder.lastTrouble();

    BundleInput input;
    input.outputPath = path;
    input.since = periodStart(period, now);
    input.about = facts;
    // A copy: the journal goes on filling while the worker writes.
    const history::Journal &journal = recorder.journal();
    std::vector<history::JournalEntry> entries;
    entries.reserve(size_t(journal.size()));
    for (int i = 0; i < journal.size(); ++i)
        entries.push_back(journal.at(i));
    input.journal = std::move(entries);
    return input;
}

BundleJob *ServiceKit::exportBundle(const QString &path, Period period) {
    if (job)
        return nullptr;
    job = new BundleJob(bundleInput(path, period), &main);
    connect(job, &BundleJob::finished, this, [this] { bundleDone(); });
    return job;
}

void ServiceKit::bundleDone() {
    const BundleResult result = job->result();
    job->deleteLater();
    job = nullptr;
    switch (result.outcome) {
    case BundleResult::Written:
        main.statusBar()->showMessage(
            Texts::tr("诊断包已写入 %1 (%2 个文件)").arg(result.path).arg(result.entries.size()),
            10000);
        break;
    case BundleResult::Cancelled:
        main.statusBar()->showMessage(Texts::tr("诊断包导出已取消"), 10000);
        break;
    case BundleResult::Failed:
        plainWarning(&main, Texts::tr("导出诊断包"),
                     Texts::tr("诊断包未能写入:\n%1").arg(result.error));
        break;
    }
    emit bundleFinished(result);
}

} // namespace service

#include "moc_service_kit.cpp"
