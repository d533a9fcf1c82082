#pragma once

#include "protocol/device_state.h"
#include "service/profile.h"

#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;
class QTableWidget;
namespace history {
class Recorder;
}

namespace service {

class SettingsLink;

// Compare a profile with the laser, or restore it: a fresh read-back, the table of the fields
// that differ (caption, in the file, on the device), and for a restore the write, only after
// the user confirms, then a read-back that says whether the CCB holds exactly the profile's
// value. Nothing is written when the read-back does not answer, the port closes or the user
// cancels.
class ProfileDialog : public QDialog {
    Q_OBJECT
public:
    enum Mode { Compare, Restore };
    enum class Step { Reading, Compared, Writing, Verifying, Verified, Differs, Failed };

    ProfileDialog(Mode mode, const SettingsProfile &profile, const QString &path,
                  const QStringList &disagreements, SettingsLink &link,
                  const protocol::DeviceState &state, history::Recorder &recorder,
                  QWidget *parent = nullptr);

    // Sends the first read-back; the dialog shows the answer when it comes.
    void start();

    Step step() const { return now; }
    QString statusText() const;
    QString noteText() const;
    QTableWidget *table() const { return differencesTable; }
    QPushButton *writeButton() const { return write; }
    // Whether the profile's product type is not known to be the laser's: a restore then needs a
    // second, explicit confirmation.
    bool otherProductType() const;

protected:
    void done(int result) override;

private:
    void answered(const QByteArray &value);
    void failed(const QString &why);
    void showDifferences();
    // The fields in which the file and `device` differ; their count.
    int showTable(const protocol::SystemSettings &device);
    void confirmAndWrite();
    void setStatus(Step step, const QString &text);
    // The history's settings row of this compare or restore, one for every outcome.
    void record(const QString &value, const QByteArray &after);

    Mode mode;
    SettingsProfile profile;
    QString path;
    SettingsLink &link;
    const protocol::DeviceState &state;
    history::Recorder &recorder;
    QLabel *note;
    QLabel *status;
    QTableWidget *differencesTable;
    QPushButton *write;
    QPushButton *closeButton;
    Step now = Step::Reading;
    QByteArray before;        // the device's value before any write
    bool outcomeSaid = false; // since the table was shown
};

} // namespace service
