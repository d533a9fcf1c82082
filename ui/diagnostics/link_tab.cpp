#include "history/recorder.h"
#include "protocol/describe.h"
#include "ui/diagnostics/history_state.h"
#include "ui/diagnostics/tabs.h"
#include "ui/diagnostics/texts.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSerialPort>
#include <QTableWidget>
#include <QVBoxLayout>

namespace diagnostics {

namespace {

// "115200 8N1" from the port's own settings.
QString settingsText(const QSerialPort &port) {
    QChar parity = QLatin1Char('N');
    switch (port.parity()) {
    case QSerialPort::EvenParity:
        parity = QLatin1Char('E');
        break;
    case QSerialPort::OddParity:
        parity = QLatin1Char('O');
        break;
    case QSerialPort::SpaceParity:
        parity = QLatin1Char('S');
        break;
    case QSerialPort::MarkParity:
        parity = QLatin1Char('M');
        break;
    default:
        break;
    }
    const QString stop = port.stopBits() == QSerialPort::OneAndHalfStop
                             ? QStringLiteral("1.5")
                             : QString::number(int(port.stopBits()));
    return QString::number(port.baudRate()) + QLatin1Char(' ') +
           QString::number(int(port.dataBits())) + parity + stop;
}

const char *const rowNames[LinkTab::RowCount] = {
    QT_TRANSLATE_NOOP("Diagnostics", "端口"),
    QT_TRANSLATE_NOOP("Diagnostics", "设置"),
    QT_TRANSLATE_NOOP("Diagnostics", "状态"),
    QT_TRANSLATE_NOOP("Diagnostics", "接收字节"),
    QT_TRANSLATE_NOOP("Diagnostics", "发送字节"),
    QT_TRANSLATE_NOOP("Diagnostics", "接收帧"),
    QT_TRANSLATE_NOOP("Diagnostics", "发送帧"),
    QT_TRANSLATE_NOOP("Diagnostics", "校验失败次数"),
    QT_TRANSLATE_NOOP("Diagnostics", "未知代码帧"),
    QT_TRANSLATE_NOOP("Diagnostics", "噪声字节"),
    QT_TRANSLATE_NOOP("Diagnostics", "提前处理"),
    QT_TRANSLATE_NOOP("Diagnostics", "帧/秒"),
    QT_TRANSLATE_NOOP("Diagnostics", "距上一帧"),
    QT_TRANSLATE_NOOP("Diagnostics", "最后端口错误"),
    QT_TRANSLATE_NOOP("Diagnostics", "历史记录"),
    QT_TRANSLATE_NOOP("Diagnostics", "工厂链路"),
    QT_TRANSLATE_NOOP("Diagnostics", "日志文件夹大小")};

} // namespace

LinkTab::LinkTab(const QSerialPort &p, history::Recorder &r, QWidget *parent)
    : DiagnosticsTab(parent), port(p), recorder(r), form(new QFormLayout), codes(new QTableWidget),
      reset(new QPushButton) {
    for (int i = 0; i < RowCount; ++i) {
        names.push_back(new QLabel);
        values.push_back(new QLabel);
        // Port errors and the plant line come from outside: never read as markup.
        values.back()->setTextFormat(Qt::PlainText);
        values.back()->setTextInteractionFlags(Qt::TextSelectableByMouse);
        form->addRow(names.back(), values.back());
    }
    codes->setColumnCount(3);
    codes->verticalHeader()->setVisible(false);
    codes->horizontalHeader()->setStretchLastSection(true);
    codes->setEditTriggers(QAbstractItemView::NoEditTriggers);

    auto *left = new QVBoxLayout;
    left->addLayout(form);
    left->addStretch(1);
    left->addWidget(reset, 0, Qt::AlignLeft);
    auto *layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addWidget(codes, 1);

    connect(reset, &QPushButton::clicked, this, [this] {
        recorder.resetFigures();
        tick();
    });
    retranslate();
}

void LinkTab::setActive(bool on) {
    active = on;
    if (active)
        tick();
}

void LinkTab::setPlantLine(const QString &line) {
    plantLine = line;
    tick();
}

QString LinkTab::valueText(int row) const {
    return values.at(size_t(row))->text();
}

void LinkTab::tick() {
    if (!active)
        return;
    const history::LinkFigures &f = recorder.figures();
    const auto set = [this](int row, const QString &text) {
        if (values[size_t(row)]->text() != text)
            values[size_t(row)]->setText(text);
    };
    set(PortRow, port.portName());
    set(SettingsRow, settingsText(port));
    set(StateRow, port.isOpen() ? Texts::tr("已打开") : Texts::tr("未打开"));
    set(BytesInRow, QString::number(f.bytesIn));
    set(BytesOutRow, QString::number(f.bytesOut));
    set(FramesInRow, QString::number(f.framesIn));
    set(FramesOutRow, QString::number(f.framesOut));
    set(CheckFailuresRow, QString::number(f.checkFailures));
    set(UnknownCodesRow, QString::number(f.unknownCodes));
    set(NoiseRow, QString::number(f.noiseBytes));
    set(EarlyPassesRow, QString::number(f.earlyPasses));
    set(RateRow, QString::number(f.framesPerSecond, 'f', 0));
    const qint64 since = recorder.msSinceLastFrame();
    set(SinceLastRow, since < 0 ? QStringLiteral("-")
                                : Texts::tr("%1 秒").arg(double(since) / 1000.0, 0, 'f', 1));
    set(PortErrorRow, f.lastPortError.isEmpty() ? QStringLiteral("-")
                                                : QDateTime::fromMSecsSinceEpoch(f.lastPortErrorAt)
                                                          .toString(QStringLiteral("HH:mm:ss ")) +
                                                      f.lastPortError);
    const QString history = historyStateText(recorder);
    set(TroubleRow, history.isEmpty() ? Texts::tr("正常") : history);
    set(PlantRow, plantLine.isEmpty() ? Texts::tr("未配置") : plantLine);
    set(LogSizeRow, sizeText(recorder.logSize()));

    int rows = 0;
    for (int c = 0; c < 256; ++c)
        rows += f.framesByCode[c] > 0 ? 1 : 0;
    codes->setRowCount(rows);
    int row = 0;
    for (int c = 0; c < 256; ++c) {
        if (f.framesByCode[c] == 0)
            continue;
        const QString cells[3] = {QStringLiteral("%1").arg(c, 2, 16, QLatin1Char('0')).toUpper(),
                                  protocol::receivedCodeName(quint8(c)),
                                  QString::number(f.framesByCode[c])};
        for (int k = 0; k < 3; ++k) {
            QTableWidgetItem *item = codes->item(row, k);
            if (!item) {
                item = new QTableWidgetItem;
                codes->setItem(row, k, item);
            }
            if (item->text() != cells[k])
                item->setText(cells[k]);
        }
        ++row;
    }
}

void LinkTab::retranslate() {
    for (int i = 0; i < RowCount; ++i)
        names[size_t(i)]->setText(Texts::tr(rowNames[i]) + QLatin1Char(':'));
    codes->setHorizontalHeaderLabels({Texts::tr("代码"), Texts::tr("名称"), Texts::tr("帧数")});
    reset->setText(Texts::tr("计数清零"));
    tick();
}

} // namespace diagnostics
