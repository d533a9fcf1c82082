#pragma once

#include "protocol/device_state.h"
#include "service/bundle.h"
#include "ui/service/bundle_dialog.h"
#include "ui/service/profile_dialog.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class QAction;
class QMainWindow;
class QMenu;
class QSerialPort;
namespace history {
class Recorder;
}

namespace service {

class SettingsLink;

// The "维护" menu (between "诊断" and "帮助"): save the settings read back to a profile file,
// compare the laser with a file, restore a file, and export the support bundle. Owned by the
// main window; the window hands it every dispatched frame. Files are read and written off the
// GUI thread.
class ServiceKit : public QObject {
    Q_OBJECT
public:
    ServiceKit(QMainWindow &window, QAction *before, QSerialPort &port,
               const protocol::DeviceState &state, history::Recorder &recorder,
               std::function<void(const QByteArray &)> send);
    ~ServiceKit() override;

    QMenu *menu() const { return serviceMenu; }
    QAction *saveAction() const { return save; }
    QAction *compareAction() const { return compare; }
    QAction *restoreAction() const { return restore; }
    QAction *bundleAction() const { return bundle; }
    SettingsLink &settingsLink() const { return *link; }

    // What the actions do once the file is chosen; tests call these directly. saveProfileAs
    // adds the suffix to the chosen name and asks before it replaces a file of that name.
    void saveProfileAs(const QString &chosen);
    void saveProfileTo(const QString &path);
    // "name" -> "name.ccbsettings"; a name that ends so stays.
    static QString profileFileName(const QString &chosen);
    void openProfile(ProfileDialog::Mode mode, const QString &path);
    BundleJob *exportBundle(const QString &path, Period period);

    // The dialog of the last compare or restore while it is open, the running export.
    ProfileDialog *profileDialog() const { return dialog; }
    BundleJob *bundleJob() const { return job; }

    // The window hands over every complete frame after dispatching it.
    void frameDispatched(const QByteArray &frame);
    // The frame journal, the link figures and what the window knows, for about.txt.
    BundleInput bundleInput(const QString &path, Period period) const;

signals:
    // A save has ended (ok, or the reason it failed).
    void profileSaved(const QString &path, bool ok, const QString &error);
    // The file of a compare or restore was read and refused, or a dialog opened.
    void profileRefused(const QString &why);
    void profileDialogOpened(service::ProfileDialog *dialog);
    void bundleFinished(const service::BundleResult &result);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void retranslate();
    void chooseAndSave();
    void chooseAndOpen(ProfileDialog::Mode mode);
    void chooseAndExport();
    void profileLoaded(ProfileDialog::Mode mode, const QString &path, const ProfileLoad &load);
    // The history's profileSaved row, one for every outcome of a save.
    void recordSave(const QString &path, const QString &value, const QByteArray &saved);
    void bundleDone();

    QMainWindow &main;
    QSerialPort &port;
    const protocol::DeviceState &state;
    history::Recorder &recorder;
    SettingsLink *link;
    QMenu *serviceMenu;
    QAction *save;
    QAction *compare;
    QAction *restore;
    QAction *bundle;
    QPointer<ProfileDialog> dialog;
    QPointer<BundleJob> job;
    bool loading = false;
};

} // namespace service
