#include "ui/service/profile_dialog.h"

#include "history/recorder.h"
#include "service/settings_fields.h"
#include "service/texts.h"
#include "ui/service/settings_link.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace service {

namespace {

QString canonical(const QByteArray &value) {
    return valueHex(protocol::encodeSystemSettings(
        protocol::decodeSystemSettings(value.size() == 7 ? value.constData() : nullptr)));
}

} // namespace

ProfileDialog::ProfileDialog(Mode m, const SettingsProfile &p, const QString &file,
                             const QStringList &disagreements, SettingsLink &l,
                             const protocol::DeviceState &s, history::Recorder &r, QWidget *parent)
    : QDialog(parent), mode(m), profile(p), path(file), link(l), state(s), recorder(r),
      note(new QLabel), status(new QLabel), differencesTable(new QTableWidget(0, 3)),
      write(new QPushButton(Texts::tr("写入"))), closeButton(new QPushButton(Texts::tr("关闭"))) {
    setObjectName(QStringLiteral("profileDialog"));
    setWindowTitle(mode == Compare ? Texts::tr("与文件比较") : Texts::tr("从文件写入"));
    auto *header = new QLabel(
        Texts::tr("文件: %1<br>产品型号: %2, 序列号: %3, CCB版本: %4, 保存于 %5")
            .arg(QFileInfo(path).fileName().toHtmlEscaped(), profile.productType.toHtmlEscaped(),
                 profile.serialNumber.toHtmlEscaped(), profile.ccbVersion.toHtmlEscaped(),
                 QDateTime::fromMSecsSinceEpoch(profile.savedAt)
                     .toString(QStringLiteral("yyyy-MM-dd HH:mm"))));
    note->setObjectName(QStringLiteral("profileNote"));
    note->setWordWrap(true);
    note->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold"));
    status->setObjectName(QStringLiteral("profileStatus"));
    status->setWordWrap(true);

    QStringList notes;
    if (otherProductType())
        notes << (state.productType.isEmpty()
                      ? Texts::tr("激光器尚未报告产品型号, 无法确认文件 (%1) 属于同一种产品。")
                            .arg(profile.productType)
                      : Texts::tr("此文件来自另一种产品: 文件 %1, 激光器 %2。")
                            .arg(profile.productType, state.productType));
    if (!disagreements.isEmpty())
        notes << Texts::tr("文件中的解码字段与原始值不符, 以原始值为准: %1")
                     .arg(disagreements.join(QStringLiteral("; ")));
    note->setText(notes.join(QLatin1Char('\n')));
    note->setVisible(!notes.isEmpty());

    differencesTable->setObjectName(QStringLiteral("profileDifferences"));
    differencesTable->setHorizontalHeaderLabels(
        {Texts::tr("设定项"), Texts::tr("文件中"), Texts::tr("激光器上")});
    differencesTable->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    differencesTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    differencesTable->verticalHeader()->hide();

    auto *buttons = new QDialogButtonBox;
    write->setObjectName(QStringLiteral("profileWrite"));
    write->setEnabled(false);
    if (mode == Restore) {
        buttons->addButton(write, QDialogButtonBox::ActionRole);
    } else {
        write->setParent(this);
        write->hide();
    }
    buttons->addButton(closeButton, QDialogButtonBox::RejectRole);
    connect(write, &QPushButton::clicked, this, [this] { confirmAndWrite(); });
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(header);
    layout->addWidget(note);
    layout->addWidget(status);
    layout->addWidget(differencesTable);
    layout->addWidget(buttons);
    resize(640, 480);

    connect(&link, &SettingsLink::answered, this, &ProfileDialog::answered);
    connect(&link, &SettingsLink::failed, this, &ProfileDialog::failed);
    connect(&link, &SettingsLink::portClosed, this, [this] {
        // Closed while the table is shown: the laser compared with may be gone.
        if (now != Step::Compared)
            return;
        write->setEnabled(false);
        setStatus(Step::Failed, Texts::tr("串口已关闭") + Texts::tr("; 未写入任何设定。"));
    });
}

bool ProfileDialog::otherProductType() const {
    return profile.productType.isEmpty() || state.productType.isEmpty() ||
           profile.productType != state.productType;
}

QString ProfileDialog::statusText() const {
    return status->text();
}

QString ProfileDialog::noteText() const {
    return note->isHidden() ? QString() : note->text();
}

void ProfileDialog::setStatus(Step step, const QString &text) {
    now = step;
    status->setText(text);
}

void ProfileDialog::start() {
    setStatus(Step::Reading, Texts::tr("正在读取激光器的设定..."));
    if (!link.readBack())
        setStatus(Step::Failed, link.portOpen()
                                    ? Texts::tr("另一个请求正在等待回答; 未写入任何设定。")
                                    : Texts::tr("串口未打开; 未写入任何设定。"));
}

void ProfileDialog::record(const QString &name, const QString &value, const QByteArray &after) {
    recorder.settingsProfile(name, value,
                             QStringLiteral("file: %1; file value: %2; before: %3; after: %4")
                                 .arg(path, valueHex(profile.value), valueHex(before),
                                      after.isEmpty() ? QStringLiteral("-") : valueHex(after)));
}

void ProfileDialog::answered(const QByteArray &value) {
    switch (now) {
    case Step::Reading:
        before = value;
        showDifferences();
        return;
    case Step::Writing:
        // The CCB answered the write; read it back to see what it holds now.
        setStatus(Step::Verifying, Texts::tr("已写入, 正在读回核对..."));
        if (!link.readBack())
            failed(Texts::tr("串口已关闭"));
        return;
    case Step::Verifying: {
        const int left =
            differences(profile.settings(), protocol::decodeSystemSettings(value.constData()))
                .size();
        // The write carries the fields; reserved bits go out as 0, so they are not compared.
        if (canonical(value) == canonical(profile.value)) {
            setStatus(Step::Verified, Texts::tr("激光器现在的设定与文件完全一致。"));
            record(QStringLiteral("profileRestored"), QStringLiteral("verified"), value);
        } else {
            setStatus(Step::Differs,
                      Texts::tr("核对失败: 激光器读回的设定仍有 %1 项与文件不同。").arg(left));
            record(QStringLiteral("profileRestored"),
                   QStringLiteral("not verified: %1 fields differ").arg(left), value);
        }
        return;
    }
    default:
        return;
    }
}

void ProfileDialog::failed(const QString &why) {
    switch (now) {
    case Step::Reading:
        setStatus(Step::Failed, why + Texts::tr("; 未写入任何设定。"));
        return;
    case Step::Writing:
    case Step::Verifying:
        setStatus(Step::Failed, why + Texts::tr("; 无法确认激光器现在的设定。"));
        record(QStringLiteral("profileRestored"), QStringLiteral("unconfirmed: ") + why,
               QByteArray());
        return;
    default:
        return;
    }
}

void ProfileDialog::showDifferences() {
    const QVector<FieldDifference> diff =
        differences(profile.settings(), protocol::decodeSystemSettings(before.constData()));
    differencesTable->setRowCount(diff.size());
    for (int row = 0; row < diff.size(); ++row) {
        differencesTable->setItem(row, 0, new QTableWidgetItem(fieldCaption(*diff[row].field)));
        differencesTable->setItem(row, 1, new QTableWidgetItem(diff[row].inFile));
        differencesTable->setItem(row, 2, new QTableWidgetItem(diff[row].onDevice));
    }
    setStatus(Step::Compared, diff.isEmpty() ? Texts::tr("相同: 激光器的设定与文件一致。")
                                             : Texts::tr("%1 项不同:").arg(diff.size()));
    if (mode == Compare)
        record(QStringLiteral("profileCompared"),
               diff.isEmpty() ? QStringLiteral("identical")
                              : QStringLiteral("%1 fields differ").arg(diff.size()),
               before);
    else
        write->setEnabled(!diff.isEmpty());
}

void ProfileDialog::confirmAndWrite() {
    if (now != Step::Compared)
        return;
    const int count = differencesTable->rowCount();
    if (QMessageBox::question(
            this, windowTitle(), Texts::tr("将文件中的设定写入激光器 (%1 项不同)？").arg(count),
            QMessageBox::Yes | QMessageBox::Cancel, QMessageBox::Cancel) != QMessageBox::Yes)
        return;
    if (otherProductType() &&
        QMessageBox::warning(
            this, windowTitle(),
            Texts::tr("此文件不能确认属于这台激光器的产品型号 (文件: %1, 激光器: "
                      "%2)。<br>确实要写入吗？")
                .arg(profile.productType.toHtmlEscaped(), state.productType.toHtmlEscaped()),
            QMessageBox::Yes | QMessageBox::Cancel, QMessageBox::Cancel) != QMessageBox::Yes)
        return;
    // The boxes ran their own event loops: the port may have closed meanwhile.
    if (now != Step::Compared)
        return;
    write->setEnabled(false);
    setStatus(Step::Writing, Texts::tr("正在写入..."));
    if (!link.write(profile.settings()))
        setStatus(Step::Failed, Texts::tr("串口未打开; 未写入任何设定。"));
}

void ProfileDialog::done(int result) {
    // A late answer must not reach a dialog that is gone.
    if (link.waiting())
        link.cancel();
    if (now == Step::Writing || now == Step::Verifying) {
        now = Step::Failed;
        record(QStringLiteral("profileRestored"), QStringLiteral("unconfirmed: dialog closed"),
               QByteArray());
    }
    QDialog::done(result);
}

} // namespace service

#include "moc_profile_dialog.cpp"
