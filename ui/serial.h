#pragma once

#include "protocol/device_state.h"
#include "supervision/tick.h"
#include "ui/settings_page.h"
#include "ui/status_page.h"

#include <QByteArray>
#include <QMainWindow>
#include <QString>
#include <cstdint>

class OperatorView;
class QSerialPort;
class QTimer;
namespace history {
class Recorder;
}

namespace plant {
class PlantLink;
}
namespace alarm_summary {
class AlarmDesk;
}
namespace service {
class ServiceKit;
}

namespace Ui {
class Serial;
}
// The generated form. Its translation context is "Serial", like the window's own texts.
using SerialForm = Ui::Serial;

// The program's only window: owns the form, the port, the receive buffer, the two timers and
// the device state, and wires the slots below to the link, protocol, supervision and page code.
class Serial : public QMainWindow {
    Q_OBJECT

public:
    explicit Serial(QWidget *parent = nullptr);
    ~Serial() override;

private slots:
    // port panel (link)
    void PortSwitch();
    bool OpenPort();
    void ClosePort();
    void PortUpdata();
    void SetPort();
    void FindCOM();
    void SetBaudRate(int index);
    void SetDataBit(int index);
    void SetCheckBit(int index);
    void SetStopBit(int index);
    void SendData();
    void ReceiveData();
    void AutoRoll();
    void ClearDataRX();
    void ClearDataTX();
    void ShowDataRT();
    // receive timer and supervision tick
    void timUartRx_CallBack();
    void tim1ms_CallBack();
    // commands
    void cmdSnd_clearFaultAll();
    void cmdSnd_ccbDcOn(bool onOff);
    void cmdSnd_Pgm(uint8_t btn);
    void cmdSnd_sysSet_readBack();
    void cmdSnd_sysSet_Set();
    void cmdSnd_redOn(uint8_t redOP);
    // language
    void tianslations(const QString *lang);
    // connected by name
    void on_actionSys_set_triggered();
    void on_actionMasterWindow_triggered();
    void on_pushButton_sysSet_readBack1_clicked();
    void on_pushButton_sysSet_set1_clicked();
    void on_checkBox_FaultDisableFiberInter_clicked();

private:
    void languageFile(const QString *request);
    void setupConnections();
    void uiRefresh(SerialForm *target);
    quint8 checkFrame(const QByteArray &frame) const;
    int dispatchFrame(QByteArray frame);
    void resetDeviceState();
    void showAbout();
    // However the run ends (the window closed, the application told to quit by a signal or by
    // the session's end), it ends like a click on "关闭串口" followed by closing the window: a
    // closed row, the capture closed, the queue written, the plant link's online=false. Once.
    void endRun();

    // --- link helpers (ui/serial_port.cpp) ---
    void applyInitialPortSettings();
    // Cuts rxBuffer into frames and dispatches them; every complete frame is a sign of life.
    // bufferFull: the pass runs at the bound while bytes still arrive (keeps a lone code byte).
    void runReassemblyPass(bool bufferFull);
    // A CCB that never pauses for 200 ms would grow rxBuffer without end: at this size the
    // pass runs at once, keeping the unfinished trailing frame.
    static constexpr int rxBufferBound = 4096;
    // The one place that decides the port's device is gone: closes the port at once and
    // reports the lost link, unless a link-lost box is already open.
    void deviceGone(const QString &errorText);
    // --- end link helpers ---

    // --- tick helpers (ui/serial_tick.cpp) ---
    void showNoAnswerBox();
    // The link-lost box, then the port closed and the state cleared; one box at a time.
    void reportLinkLost();
    // --- end tick helpers ---

    // Writes one complete frame to the port and tells the history.
    void sendFrame(const QByteArray &frame);

    SerialForm *form;
    bool portOpen;
    bool firstPortSetup;
    qint32 linkSilenceCount;
    quint16 replyTimeoutTicks;
    QSerialPort *port;
    QTimer *rxTimer = nullptr;
    QTimer *tickTimer = nullptr;
    QByteArray rxBuffer;
    quint8 crcFail;
    quint8 crcOk;
    QString language;

    // State that exists once per process; the window is the only one, so it keeps it.
    protocol::DeviceState deviceState;
    supervision::TickSchedule tick;
    StatusPageCopies statusShown;
    SettingsPageCopies settingsShown;
    // The link's history: journal, capture files, events and samples (its own thread).
    history::Recorder *recorder = nullptr;

    // The plant link; null unless config/plant.ini exists.
    plant::PlantLink *plantLink = nullptr;

    // The service menu: settings profiles and the support bundle.
    service::ServiceKit *serviceKit = nullptr;

    // The lamp shapes, the tray, the screen reader's texts and the keyboard's ways in.
    OperatorView *operatorView = nullptr;

    // The alarm handling: states, first out, acknowledgement, shelves, the summary.
    alarm_summary::AlarmDesk *alarmDesk = nullptr;

    // Tests reach the private members through this one friend.
    friend struct SerialProbe;
};
