#include "ui/service/profile_dialog.h"

#include "history/recorder.h"
#include "service/settings_fields.h"
#include "service/texts.h"
#include "ui/service/plain_boxes.h"
#include "ui/service/settings_link.h"
#include "ui/settings_page.h"

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
    // Every text from the file (and from the CCB) is shown as plain text, as what it is.
    auto *header = new QLabel(
        Texts::tr("文件: %1\n产品型号: %2, 序列号: %3, CCB版本: %4, 保存于 %5")
            .arg(visibleText(QFileInfo(path).fileName()), visibleText(profile.productType),
                 visibleText(profile.serialNumber), visibleText(profile.ccbVersion),
                 QDateTime::fromMSecsSinceEpoch(profile.savedAt)
                     .toString(QStringLiteral("yyyy-MM-dd HH:mm"))));
    header->setObjectName(QStringLiteral("profileHeader"));
    for (QLabel *label : {header, note, status}) {
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
    }
    note->setObjectName(QStringLiteral("profileNote"));
    note->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold"));
    status->setObjectName(QStringLiteral("profileStatus"));

    QStringList notes;
    if (otherProductType())
        notes << (state.productType.isEmpty()
                      ? Texts::tr("激光器尚未报告产品型号, 无法确认文件 (%1) 属于同一种产品。")
                            .arg(visibleText(profile.productType))
                      : Texts::tr("此文件来自另一种产品: 文件 %1, 激光器 %2。")
                            .arg(visibleText(profile.productType), visibleText(state.productType)));
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
        if (mode == Restore && !outcomeSaid)
            record(QStringLiteral("not written: the port closed"), QByteArray());
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
    if (link.readBack())
        return;
    setStatus(Step::Failed, link.portOpen() ? Texts::tr("另一个请求正在等待回答; 未写入任何设定。")
                                            : Texts::tr("串口未打开; 未写入任何设定。"));
    record(link.portOpen() ? QStringLiteral("not read: another request is waiting")
                           : QStringLiteral("not read: the port is not open"),
           QByteArray());
}

void ProfileDialog::record(const QString &value, const QByteArray &after) {
    outcomeSaid = true;
    recorder.settingsProfile(mode == Compare ? QStringLiteral("profileCompared")
                                             : QStringLiteral("profileRestored"),
                             value,
                             QStringLiteral("file: %1; file value: %2; before: %3; after: %4")
                                 .arg(path, valueHex(profile.value),
                                      before.isEmpty() ? QStringLiteral("-") : valueHex(before),
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
        // The table now shows the file against what the laser holds after the write.
        showTable(protocol::decodeSystemSettings(value.constData()));
        if (canonical(value) == canonical(profile.value)) {
            setStatus(Step::Verified, Texts::tr("激光器现在的设定与文件完全一致。"));
            record(QStringLiteral("verified"), value);
        } else {
            setStatus(Step::Differs,
                      Texts::tr("核对失败: 激光器读回的设定仍有 %1 项与文件不同。").arg(left));
            record(QStringLiteral("not verified: %1 fields differ").arg(left), value);
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
        record(QStringLiteral("not read: ") + why, QByteArray());
        return;
    case Step::Writing:
    case Step::Verifying:
        setStatus(Step::Failed, why + Texts::tr("; 无法确认激光器现在的设定。"));
        record(QStringLiteral("unconfirmed: ") + why, QByteArray());
        return;
    default:
        return;
    }
}

int ProfileDialog::showTable(const protocol::SystemSettings &device) {
    const QVector<FieldDifference> diff = differences(profile.settings(), device);
    differencesTable->setRowCount(diff.size());
    for (int row = 0; row < diff.size(); ++row) {
        differencesTable->setItem(row, 0, new QTableWidgetItem(fieldCaption(*diff[row].field)));
        differencesTable->setItem(row, 1, new QTableWidgetItem(diff[row].inFile));
        differencesTable->setItem(row, 2, new QTableWidgetItem(diff[row].onDevice));
    }
    return diff.size();
}

void ProfileDialog::showDifferences() {
    const int count = showTable(protocol::decodeSystemSettings(before.constData()));
    setStatus(Step::Compared, count == 0 ? Texts::tr("相同: 激光器的设定与文件一致。")
                                         : Texts::tr("%1 项不同:").arg(count));
    if (mode == Compare)
        record(count == 0 ? QStringLiteral("identical")
                          : QStringLiteral("%1 fields differ").arg(count),
               before);
    else if (count == 0)
        record(QStringLiteral("identical: nothing written"), before);
    write->setEnabled(mode == Restore && count > 0);
}

void ProfileDialog::confirmAndWrite() {
    if (now != Step::Compared)
        return;
    const int count = differencesTable->rowCount();
    // Masking the QBH alarm takes the settings page's own explicit yes, from a file too.
    const bool masksQbh =
        profile.settings().faultDisableFiberInter &&
        !protocol::decodeSystemSettings(before.constData()).faultDisableFiberInter;
    const bool yes =
        plainQuestion(this, windowTitle(),
                      Texts::tr("将文件中的设定写入激光器 (%1 项不同)？").arg(count)) &&
        (!otherProductType() ||
         plainQuestion(this, windowTitle(),
                       Texts::tr("此文件不能确认属于这台激光器的产品型号 (文件: %1, 激光器: "
                                 "%2)。\n确实要写入吗？")
                           .arg(visibleText(profile.productType), visibleText(state.productType)),
                       QMessageBox::Warning)) &&
        (!masksQbh || plainQuestion(this, windowTitle(),
                                    QCoreApplication::translate("Serial", qbhMaskWarning)
                                        .replace(QStringLiteral("<br>"), QStringLiteral("\n")),
                                    QMessageBox::Warning));
    // The boxes ran their own event loops: the port may have closed meanwhile.
    if (now != Step::Compared)
        return;
    if (!yes) {
        record(QStringLiteral("declined: nothing written"), before);
        return;
    }
    // Whatever made this profile, only what the page itself could give goes to the laser.
    const QString beyond = beyondPage(profile.settings());
    if (!beyond.isEmpty()) {
        setStatus(Step::Failed, beyond + Texts::tr("; 未写入任何设定。"));
        record(QStringLiteral("not written: beyond the page: ") + beyond, before);
        return;
    }
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
        record(QStringLiteral("unconfirmed: dialog closed"), QByteArray());
    } else if (now == Step::Reading) {
        now = Step::Failed;
        record(QStringLiteral("not read: dialog closed"), QByteArray());
    } else if (now == Step::Compared && mode == Restore && !outcomeSaid) {
        record(QStringLiteral("not written: dialog closed"), before);
    }
    QDialog::done(result);
}

} // namespace service

#include "moc_profile_dialog.cpp"
