#include "ui/diagnostics/link_status.h"

#include "history/recorder.h"
#include "ui/diagnostics/history_state.h"
#include "ui/diagnostics/texts.h"

#include <QEvent>
#include <QSerialPort>

namespace diagnostics {

LinkStatusLine::LinkStatusLine(const QSerialPort &p, history::Recorder &r, QWidget *parent)
    : QLabel(parent), port(p), recorder(r) {
    setObjectName(QStringLiteral("linkStatusLine"));
    setTextFormat(Qt::PlainText);
    counts.setInterval(1000);
    connect(&counts, &QTimer::timeout, this, &LinkStatusLine::refresh);
    connect(&recorder, &history::Recorder::linkEvent, this, &LinkStatusLine::linkEvent);
    // The history's present state: its trouble, then its recovery.
    connect(&recorder, &history::Recorder::historyChanged, this, &LinkStatusLine::refresh);
    refresh();
}

void LinkStatusLine::linkEvent(const events::Event &event) {
    const QString &name = event.name;
    State next = current;
    if (name == QLatin1String("opened"))
        next = State::Open;
    else if (name == QLatin1String("open_failed"))
        next = State::OpenFailed;
    else if (name == QLatin1String("closed"))
        next = State::Closed;
    else if (name == QLatin1String("link_lost"))
        next = State::LinkLost;
    else if (name == QLatin1String("device_gone"))
        next = State::DeviceGone;
    else if (name != QLatin1String("port_error"))
        return; // state_cleared says nothing about the port
    portName = port.portName();
    error = name == QLatin1String("opened") ? QString() : recorder.figures().lastPortError;
    if (name == QLatin1String("closed") || name == QLatin1String("link_lost"))
        error.clear();
    current = next;
    if (current == State::Open)
        counts.start();
    else
        counts.stop();
    refresh();
}

void LinkStatusLine::refresh() {
    const QString name = portName.isEmpty() ? port.portName() : portName;
    QString line;
    switch (current) {
    case State::NotOpened:
        line = Texts::tr("%1 未打开").arg(name);
        break;
    case State::Open: {
        const history::LinkFigures &f = recorder.figures();
        line = Texts::tr("%1 已打开  %2 帧/秒  校验失败 %3")
                   .arg(name)
                   .arg(f.framesPerSecond, 0, 'f', 0)
                   .arg(f.checkFailures);
        if (!error.isEmpty())
            line += QStringLiteral("  ") + Texts::tr("端口错误: %1").arg(error);
        break;
    }
    case State::OpenFailed:
        line = Texts::tr("%1 打开失败: %2").arg(name, error);
        break;
    case State::Closed:
        line = Texts::tr("%1 已关闭").arg(name);
        break;
    case State::LinkLost:
        line = Texts::tr("%1 链路中断").arg(name);
        break;
    case State::DeviceGone:
        line = Texts::tr("%1 设备已断开: %2").arg(name, error);
        break;
    }
    const QString trouble = historyStateText(recorder);
    if (!trouble.isEmpty())
        line += QStringLiteral("  ") + Texts::tr("历史记录: %1").arg(trouble);
    setText(line);
}

void LinkStatusLine::changeEvent(QEvent *event) {
    if (event->type() == QEvent::LanguageChange)
        refresh();
    QLabel::changeEvent(event);
}

} // namespace diagnostics

#include "moc_link_status.cpp"
