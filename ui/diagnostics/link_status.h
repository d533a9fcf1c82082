#pragma once

#include <QLabel>
#include <QString>
#include <QTimer>

class QSerialPort;
namespace events {
struct Event;
} // namespace events
namespace history {
class Recorder;
} // namespace history

namespace diagnostics {

// One line in the main window's status bar: the port's state and its last error ("ttyUSB0
// 打开失败: Permission denied"), frames per second and check failures while open, and the
// history's own trouble. Follows the recorder's link rows; counts are read once a second
// while the port is open.
class LinkStatusLine : public QLabel {
    Q_OBJECT
public:
    LinkStatusLine(const QSerialPort &port, history::Recorder &recorder, QWidget *parent = nullptr);

    enum class State { NotOpened, Open, OpenFailed, Closed, LinkLost, DeviceGone };
    State state() const { return current; }
    void refresh();

protected:
    void changeEvent(QEvent *event) override;

private:
    void linkEvent(const events::Event &event);

    const QSerialPort &port;
    history::Recorder &recorder;
    State current = State::NotOpened;
    QString portName;
    QString error;
    QTimer counts;
};

} // namespace diagnostics
