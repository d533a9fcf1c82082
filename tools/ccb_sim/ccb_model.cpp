#include "tools/ccb_sim/ccb_model.h"

#include "protocol/commands.h"
#include "protocol/frame.h"
#include "tools/ccb_sim/ccb_frames.h"

#include <QtMath>

namespace ccbsim {

namespace {

constexpr char codeClearAllFaults = char(0x99);
constexpr char codeDcSwitch = char(0xB3);

QString hex(const QByteArray &bytes) {
    return QString::fromLatin1(bytes.toHex(' ')).toUpper();
}

} // namespace

CcbModel::CcbModel(quint32 seed) : random(seed) {
    // A plausible factory set: PD alarm masked, red light in automatic mode, leakage limit 2000.
    stored.faultDisablePd = true;
    stored.redAuto = true;
    stored.pdLeakageLevel = 2000;
}

bool CcbModel::isModuleAlarm(Alarm alarm) {
    switch (alarm) {
    case Alarm::Qbh:
    case Alarm::FiberBreak:
    case Alarm::WaterInHigh:
    case Alarm::WaterOutHigh:
    case Alarm::Pd:
        return true;
    default:
        return false;
    }
}

void CcbModel::setAlarm(Alarm alarm, bool on) {
    if (isModuleAlarm(alarm))
        moduleAlarms[moduleIndex][int(alarm)] = on;
    else
        alarms[int(alarm)] = on;
}

bool CcbModel::alarm(Alarm alarm) const {
    return isModuleAlarm(alarm) ? moduleAlarms[moduleIndex][int(alarm)] : alarms[int(alarm)];
}

void CcbModel::clearAllAlarms() {
    for (bool &a : alarms)
        a = false;
    for (auto &m : moduleAlarms)
        for (bool &a : m)
            a = false;
}

void CcbModel::setTempIn(double celsius) {
    tempInSet = tempInNow = qBound(0.0, celsius, 163.0);
}
void CcbModel::setTempOut(double celsius) {
    tempOutSet = tempOutNow = qBound(0.0, celsius, 163.0);
}
void CcbModel::setDewPoint(double celsius) {
    dewSet = dewNow = qBound(0.0, celsius, 163.83);
}

bool CcbModel::systemFault() const {
    for (bool a : alarms)
        if (a)
            return true;
    for (const auto &m : moduleAlarms)
        for (bool a : m)
            if (a)
                return true;
    return false;
}

bool CcbModel::laserReady() const {
    return dc && !systemFault();
}

void CcbModel::setPwm(int newDuty, int newFreq) {
    dutySet = duty = qBound(0, newDuty, 127);
    freqSet = freq = qBound(0, newFreq, 0x3FFF);
}

void CcbModel::setAnalogIn(int raw) {
    analogSet = analog = qBound(0, raw, 1023);
}

bool CcbModel::setModule(int index) {
    if (index < 0 || index > 2)
        return false;
    moduleIndex = index;
    return true;
}

QByteArray CcbModel::settingsBytes() const {
    return protocol::encodeSystemSettings(stored);
}

double CcbModel::walk(double now, double target, double step, double band) {
    const double next = now + (random.generateDouble() * 2.0 - 1.0) * step;
    return qBound(target - band, next, target + band);
}

void CcbModel::advanceDrift() {
    if (!drift)
        return;
    tempInNow = qMax(0.0, walk(tempInNow, tempInSet, 0.15, 1.5));
    tempOutNow = qMax(0.0, walk(tempOutNow, tempOutSet, 0.15, 1.5));
    dewNow = qMax(0.0, walk(dewNow, dewSet, 0.05, 0.5));
    duty = qBound(0, int(qRound(walk(duty, dutySet, 1.0, 3.0))), 127);
    freq = qBound(0, int(qRound(walk(freq, freqSet, 20.0, 100.0))), 0x3FFF);
    analog = qBound(0, int(qRound(walk(analog, analogSet, 4.0, 20.0))), 1023);
}

QByteArray CcbModel::frame(Message message, const QDateTime &now, bool spoiled) const {
    QByteArray f = buildFrame(*this, message, now, spoiling);
    if (spoiled && !spoiling && isVerifiedCode(f.at(0)))
        f[f.size() - 1] = char((f.at(f.size() - 1) ^ 0x01) & 0x7F);
    return f;
}

QList<QByteArray> CcbModel::statusRound(const QDateTime &now) {
    advanceDrift();
    spoiling = spoilRounds > 0;
    QList<QByteArray> frames;
    for (int i = 0; i < messageCount; ++i)
        if (!excluded[i])
            frames << frame(Message(i), now);
    if (spoiling)
        --spoilRounds;
    spoiling = false;
    ++count.roundsSent;
    return frames;
}

QByteArray CcbModel::noise(int count) {
    QByteArray bytes;
    bytes.reserve(qMax(0, count));
    for (int i = 0; i < count; ++i) {
        const quint32 r = random.bounded(130u);
        bytes.append(r < 128 ? char(r) : char(r == 128 ? 0xFE : 0xFF));
    }
    return bytes;
}

void CcbModel::countSent(const QByteArray &frame) {
    ++count.framesSent;
    if (hostAccepts(frame))
        ++count.validFramesSent;
    else
        ++count.badCrcFramesSent;
}

bool CcbModel::hostAccepts(const QByteArray &frame) {
    if (frame.size() < 2)
        return false;
    if (frame.at(0) == codeTemperature)
        return frame.size() == 6 && (frame.at(1) & 0x1F) == 4 && (frame.at(5) & 0x7F) == 0;
    if (isVerifiedCode(frame.at(0)))
        return protocol::checkFrame(frame) == protocol::frameCrcOk;
    return frame.at(0) == codeParameter;
}

QList<QByteArray> CcbModel::receive(const QByteArray &frame, QStringList *events) {
    QList<QByteArray> answers;
    const auto note = [events](const QString &line) {
        if (events)
            *events << line;
    };
    ++count.framesReceived;
    if (frame.size() < 2 || protocol::checkFrame(frame) != protocol::frameCrcOk ||
        (frame.at(1) & 0x7F) != frame.size() - 2) {
        ++count.badFramesReceived;
        note(QStringLiteral("dropped frame with wrong check bytes or length: %1").arg(hex(frame)));
        return answers;
    }
    const auto *b = reinterpret_cast<const unsigned char *>(frame.constData());
    switch (frame.at(0)) {
    case codeClearAllFaults:
        if (frame.size() == 5) {
            clearAllAlarms();
            note(QStringLiteral("clear all faults"));
            return answers;
        }
        break;
    case codeDcSwitch:
        if (frame.size() == 5 && b[2] <= 1) {
            // 0 switches the supply on, 1 off.
            dc = b[2] == 0;
            note(QStringLiteral("dc %1").arg(dc ? QStringLiteral("on") : QStringLiteral("off")));
            return answers;
        }
        break;
    case codeParameter: {
        if (frame.size() < 9)
            break;
        const int operation = (b[2] >> 3) & 3;
        const int target = b[2] & 7;
        const int n = (b[5] >> 3) & 7;
        const quint16 parameter = quint16(((b[5] & 1) << 7) | (b[6] & 0x7F));
        if (frame.size() != 9 + n || target != protocol::targetCcb)
            break;
        const QByteArray value = frame.mid(7, n);
        if (operation == protocol::operationRead) {
            switch (parameter) {
            case protocol::parameterSystemSettings:
                ++count.settingsReads;
                note(QStringLiteral("settings read: %1").arg(hex(settingsBytes())));
                answers << parameterReply(parameter, settingsBytes());
                return answers;
            case protocol::parameterCcbVersion:
                answers << parameterReply(parameter, ccbVersion());
                return answers;
            case protocol::parameterDigitalInputs:
                answers << parameterReply(parameter, inputsValue(*this));
                return answers;
            case protocol::parameterDigitalOutputs:
                answers << parameterReply(parameter, outputsValue(*this));
                return answers;
            default:
                break;
            }
        } else if (operation == protocol::operationWrite) {
            if (parameter == protocol::parameterSystemSettings &&
                n == protocol::systemSettingsSize) {
                ++count.settingsWrites;
                stored = protocol::decodeSystemSettings(value.constData());
                note(QStringLiteral("settings stored: %1").arg(hex(settingsBytes())));
                answers << parameterReply(parameter, settingsBytes());
                return answers;
            }
            if (parameter == protocol::parameterRedLight && n >= 1 && (b[7] == 1 || b[7] == 2)) {
                ++count.redLightWrites;
                redLight = b[7] == 1;
                note(QStringLiteral("red light %1")
                         .arg(redLight ? QStringLiteral("on") : QStringLiteral("off")));
                answers << parameterReply(parameter, value);
                return answers;
            }
        }
        break;
    }
    default:
        break;
    }
    note(QStringLiteral("ignored frame: %1").arg(hex(frame)));
    return answers;
}

} // namespace ccbsim
