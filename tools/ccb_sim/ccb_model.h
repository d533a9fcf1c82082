#pragma once

#include "protocol/system_settings.h"
#include "tools/ccb_sim/ccb_names.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QRandomGenerator>
#include <QString>
#include <QStringList>

// A stand-in for the laser's central control board: its state, the status frames it sends of
// its own accord and its answers to the host's commands. No I/O here: the simulator program
// moves the bytes, this class only builds (with ccb_frames.h, which lays each frame out) and
// interprets frames.
namespace ccbsim {

struct Counters {
    quint64 roundsSent = 0;
    quint64 framesSent = 0;      // every status frame and answer, good or spoiled
    quint64 validFramesSent = 0; // frames the host will apply
    quint64 badCrcFramesSent = 0;
    quint64 noiseBytesSent = 0;
    quint64 framesReceived = 0;
    quint64 badFramesReceived = 0; // wrong check bytes or unknown layout
    quint64 settingsReads = 0;
    quint64 settingsWrites = 0;
    quint64 redLightWrites = 0;
};

class CcbModel {
public:
    explicit CcbModel(quint32 seed = 1);

    // --- state a scenario changes ---
    // Module alarms (QBH, fibre break, T3/T4 high, PD) belong to the module that reports now;
    // the others to the whole system.
    void setAlarm(Alarm alarm, bool on);
    bool alarm(Alarm alarm) const;
    static bool isModuleAlarm(Alarm alarm);
    // What the clear-all-faults command does: every alarm of every module goes.
    void clearAllAlarms();

    // Temperatures in degrees Celsius; the value reported is exactly this until drift moves it.
    void setTempIn(double celsius);
    void setTempOut(double celsius);
    void setDewPoint(double celsius);
    double tempIn() const { return tempInNow; }
    double tempOut() const { return tempOutNow; }
    double dewPoint() const { return dewNow; }

    void setRedLight(bool on) { redLight = on; }
    bool redLightOn() const { return redLight; }
    void setDcOn(bool on) { dc = on; }
    bool dcOn() const { return dc; }
    void setBeamOn(bool on) { beam = on; }
    bool beamOn() const { return beam; }
    // The laser is ready while the DC supply is on and no alarm is active.
    bool laserReady() const;
    bool systemFault() const;

    void setPwm(int duty, int freq);
    int pwmDuty() const { return duty; }
    int pwmFreq() const { return freq; }
    void setAnalogIn(int raw); // 10-bit
    int analogIn() const { return analog; }

    // 0..2: the module whose status the CCB reports.
    bool setModule(int index);
    int module() const { return moduleIndex; }

    // Slow random walk of temperatures, dew point, PWM and analog input around their set values.
    void setDrift(bool on) { drift = on; }
    bool driftOn() const { return drift; }

    // The next `rounds` status rounds carry wrong check bytes in every frame whose check bytes
    // the host verifies.
    void spoilNextRounds(int rounds) { spoilRounds = qMax(0, rounds); }
    int spoiledRoundsLeft() const { return spoilRounds; }

    // Messages left out of the status rounds (they can still be sent one by one).
    void setIncluded(Message message, bool included) { excluded[int(message)] = !included; }
    bool included(Message message) const { return !excluded[int(message)]; }

    const protocol::SystemSettings &settings() const { return stored; }
    void setSettings(const protocol::SystemSettings &settings) { stored = settings; }
    QByteArray settingsBytes() const;

    // --- frames ---
    // One status round: every included message, in the order of Message. Advances the drift.
    QList<QByteArray> statusRound(const QDateTime &now);
    // One message as it would go out now, outside any round; `spoiled` gives it wrong check
    // bytes (messages whose check bytes the host does not verify are sent as they are).
    QByteArray frame(Message message, const QDateTime &now, bool spoiled = false) const;
    // `count` random bytes, a mix of 7-bit data and the never-opening bytes 0xFE and 0xFF, with
    // no code byte among them, so they cannot swallow a following frame.
    QByteArray noise(int count);

    // Acts on one complete frame from the host and returns the answers to send (possibly none).
    // `events` receives one line per action taken, for the log.
    QList<QByteArray> receive(const QByteArray &frame, QStringList *events = nullptr);

    const Counters &counters() const { return count; }
    // Called by the I/O side for every frame it wrote, so the counts cover answers and single
    // messages too.
    void countSent(const QByteArray &frame);
    void countNoise(int bytes) { count.noiseBytesSent += quint64(bytes); }

    // Whether the host applies `frame` (check bytes correct where it verifies them).
    static bool hostAccepts(const QByteArray &frame);

    // Fixed texts of the simulated product.
    static QByteArray productType() { return QByteArrayLiteral("FL-SIM-1000"); }
    static QByteArray serialNumber() { return QByteArrayLiteral("SIM00000042"); }
    static QByteArray ccbVersion() { return QByteArrayLiteral("V1.0.7"); }
    static QByteArray driverVersion() { return QByteArrayLiteral("D2.3.1"); }

private:
    void advanceDrift();
    double walk(double now, double target, double step, double band);

    bool alarms[alarmCount] = {};          // system alarms
    bool moduleAlarms[3][alarmCount] = {}; // module alarms, per module
    double tempInSet = 24.0, tempInNow = 24.0;
    double tempOutSet = 26.0, tempOutNow = 26.0;
    double dewSet = 12.5, dewNow = 12.5;
    bool redLight = false;
    bool dc = true;
    bool beam = false;
    int dutySet = 50, duty = 50;
    int freqSet = 5000, freq = 5000;
    int analogSet = 512, analog = 512;
    int moduleIndex = 0;
    bool drift = true;
    int spoilRounds = 0;
    bool spoiling = false; // inside a spoiled round
    bool excluded[messageCount] = {};
    protocol::SystemSettings stored;
    QRandomGenerator random;
    Counters count;
};

} // namespace ccbsim
