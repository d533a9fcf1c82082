#pragma once

#include "ui/serial.h"
#include "ui_serial.h"

#include <QMetaObject>
#include <QSerialPort>
#include <QTimer>

// Reaches the window's private members and slots for tests.
struct SerialProbe {
    static SerialForm *form(Serial &w) { return w.form; }
    static bool &portOpen(Serial &w) { return w.portOpen; }
    static bool firstPortSetup(Serial &w) { return w.firstPortSetup; }
    static qint32 &linkSilenceCount(Serial &w) { return w.linkSilenceCount; }
    static quint16 replyTimeoutTicks(Serial &w) { return w.replyTimeoutTicks; }
    static QSerialPort *port(Serial &w) { return w.port; }
    static QTimer *rxTimer(Serial &w) { return w.rxTimer; }
    static QTimer *tickTimer(Serial &w) { return w.tickTimer; }
    static QByteArray &rxBuffer(Serial &w) { return w.rxBuffer; }
    static quint8 crcOk(Serial &w) { return w.crcOk; }
    static quint8 crcFail(Serial &w) { return w.crcFail; }
    static QString &language(Serial &w) { return w.language; }
    static protocol::DeviceState &state(Serial &w) { return w.deviceState; }
    static supervision::TickSchedule &tick(Serial &w) { return w.tick; }
    static StatusPageCopies &statusShown(Serial &w) { return w.statusShown; }
    static SettingsPageCopies &settingsShown(Serial &w) { return w.settingsShown; }

    static void languageFile(Serial &w, const QString *request) { w.languageFile(request); }
    static void tianslations(Serial &w, const QString *lang) { w.tianslations(lang); }
    static void uiRefresh(Serial &w) { w.uiRefresh(w.form); }
    static quint8 checkFrame(Serial &w, const QByteArray &frame) { return w.checkFrame(frame); }
    static int dispatchFrame(Serial &w, const QByteArray &frame) { return w.dispatchFrame(frame); }
    static void resetDeviceState(Serial &w) { w.resetDeviceState(); }

    // Any private slot by name, e.g. invoke(w, "PortSwitch").
    static void invoke(Serial &w, const char *slot) { QMetaObject::invokeMethod(&w, slot); }
    // Runs the 1 ms tick n times, as the timer would, without waiting.
    static void ticks(Serial &w, int n) {
        for (int i = 0; i < n; ++i)
            w.tim1ms_CallBack();
    }
    static void timUartRx_CallBack(Serial &w) { w.timUartRx_CallBack(); }
    static void ReceiveData(Serial &w) { w.ReceiveData(); }
    static void PortSwitch(Serial &w) { w.PortSwitch(); }
    static bool OpenPort(Serial &w) { return w.OpenPort(); }
    static void ClosePort(Serial &w) { w.ClosePort(); }
    static void PortUpdata(Serial &w) { w.PortUpdata(); }
    static void SetPort(Serial &w) { w.SetPort(); }
    static void FindCOM(Serial &w) { w.FindCOM(); }
    static void SetBaudRate(Serial &w, int i) { w.SetBaudRate(i); }
    static void SetDataBit(Serial &w, int i) { w.SetDataBit(i); }
    static void SetCheckBit(Serial &w, int i) { w.SetCheckBit(i); }
    static void SetStopBit(Serial &w, int i) { w.SetStopBit(i); }
    static void cmdSnd_clearFaultAll(Serial &w) { w.cmdSnd_clearFaultAll(); }
    static void cmdSnd_ccbDcOn(Serial &w, bool on) { w.cmdSnd_ccbDcOn(on); }
    static void cmdSnd_Pgm(Serial &w, uint8_t btn) { w.cmdSnd_Pgm(btn); }
    static void cmdSnd_sysSet_readBack(Serial &w) { w.cmdSnd_sysSet_readBack(); }
    static void cmdSnd_sysSet_Set(Serial &w) { w.cmdSnd_sysSet_Set(); }
    static void cmdSnd_redOn(Serial &w, uint8_t redOP) { w.cmdSnd_redOn(redOP); }

    // --- serial link ---
    static constexpr int rxBufferBound() { return Serial::rxBufferBound; }
    static void invokeIdleSlots(Serial &w) {
        w.SendData();
        w.AutoRoll();
        w.ClearDataRX();
        w.ClearDataTX();
        w.ShowDataRT();
    }
    // --- end serial link ---
};
