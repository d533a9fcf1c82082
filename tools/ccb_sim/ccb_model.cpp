#include "tools/ccb_sim/ccb_model.h"

#include "protocol/commands.h"
#include "protocol/frame.h"

#include <QtMath>

namespace ccbsim {

namespace {

constexpr char codeClearAllFaults = char(0x99);
constexpr char codeDcSwitch = char(0xB3);
constexpr char codeProductInfo = char(0xA2);
constexpr char codeDriverBoard = char(0xD2);
constexpr char codeTemperature = char(0xE0);
constexpr char codeModuleStatus = char(0xE2);
constexpr char codeDewPoint = char(0xE4);
constexpr char codePwmInput = char(0xE5);
constexpr char codeSystemStatus = char(0xE6);
constexpr char codeClock = char(0xEE);
constexpr char codeParameter = char(0xEF);

constexpr int channelWaterIn = 2;
constexpr int channelWaterOut = 3;

struct AlarmWord {
    Alarm alarm;
    const char *name;
};
// First name of each alarm is the one shown; the rest are accepted spellings.
const AlarmWord alarmWords[] = {
    {Alarm::EStop, "estop"},
    {Alarm::EStop, "e-stop"},
    {Alarm::EStop, "emergency"},
    {Alarm::Door, "door"},
    {Alarm::Door, "interlock"},
    {Alarm::Fault, "fault"},
    {Alarm::Chiller, "chiller"},
    {Alarm::Qbh, "qbh"},
    {Alarm::FiberBreak, "fiberbreak"},
    {Alarm::FiberBreak, "fibrebreak"},
    {Alarm::FiberBreak, "fiber"},
    {Alarm::FiberBreak, "fibre"},
    {Alarm::WaterInHigh, "waterin"},
    {Alarm::WaterInHigh, "t3"},
    {Alarm::WaterOutHigh, "waterout"},
    {Alarm::WaterOutHigh, "t4"},
    {Alarm::Pd, "pd"},
    {Alarm::OverCurrent, "overcurrent"},
    {Alarm::OverCurrent, "oc"},
    {Alarm::OverTemp, "overtemp"},
    {Alarm::OverTemp, "ot"},
};

const char *const messageWords[messageCount] = {
    "e6", "e2", "tempin", "tempout", "e4", "e5", "ee", "a2", "d2", "param4", "param32", "param33",
};

// 14-bit value as two 7-bit groups, most significant first.
void append14(QByteArray &frame, int value) {
    const int v = qBound(0, value, 0x3FFF);
    frame.append(char((v >> 7) & 0x7F));
    frame.append(char(v & 0x7F));
}

// An ASCII text in a zero-padded field of `size` bytes.
void appendText(QByteArray &frame, const QByteArray &text, int size) {
    for (int i = 0; i < size; ++i)
        frame.append(i < text.size() ? char(text.at(i) & 0x7F) : char(0));
}

int centi(double celsius) {
    return int(qRound(celsius * 100.0));
}

bool isVerifiedCode(char code) {
    switch (code) {
    case codeProductInfo:
    case codeDriverBoard:
    case codeModuleStatus:
    case codeDewPoint:
    case codePwmInput:
    case codeSystemStatus:
    case codeClock:
        return true;
    default:
        return false;
    }
}

QString hex(const QByteArray &bytes) {
    return QString::fromLatin1(bytes.toHex(' ')).toUpper();
}

} // namespace

QString alarmName(Alarm alarm) {
    for (const AlarmWord &w : alarmWords)
        if (w.alarm == alarm)
            return QString::fromLatin1(w.name);
    return QString();
}

bool alarmFromName(const QString &name, Alarm *alarm) {
    const QString wanted = name.toLower();
    for (const AlarmWord &w : alarmWords) {
        if (wanted == QLatin1String(w.name)) {
            *alarm = w.alarm;
            return true;
        }
    }
    return false;
}

QStringList alarmNames() {
    QStringList names;
    for (int i = 0; i < alarmCount; ++i)
        names << alarmName(Alarm(i));
    return names;
}

QString messageName(Message message) {
    return QString::fromLatin1(messageWords[int(message)]);
}

bool messageFromName(const QString &name, Message *message) {
    const QString wanted = name.toLower();
    for (int i = 0; i < messageCount; ++i) {
        if (wanted == QLatin1String(messageWords[i])) {
            *message = Message(i);
            return true;
        }
    }
    return false;
}

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

QByteArray CcbModel::seal(QByteArray frame) const {
    protocol::appendCheckBytes(frame);
    if (spoiling && isVerifiedCode(frame.at(0)))
        frame[frame.size() - 1] = char((frame.at(frame.size() - 1) ^ 0x01) & 0x7F);
    return frame;
}

QByteArray CcbModel::systemStatusFrame() const {
    QByteArray f;
    f.append(codeSystemStatus).append(char(6));
    f.append(char((alarms[int(Alarm::EStop)] ? 1 << 2 : 0) |
                  (alarms[int(Alarm::Door)] ? 1 << 4 : 0) | (systemFault() ? 1 << 6 : 0)));
    f.append(char((alarms[int(Alarm::Chiller)] ? 1 << 3 : 0) | (redLight ? 1 << 6 : 0)));
    f.append(char((laserReady() ? 1 << 4 : 0) | (dc ? 1 << 5 : 0)));
    f.append(char(0));
    return seal(f);
}

QByteArray CcbModel::moduleStatusFrame() const {
    const bool *m = moduleAlarms[moduleIndex];
    QByteArray f;
    f.append(codeModuleStatus).append(char(9));
    f.append(char(m[int(Alarm::Pd)] ? 1 << 1 : 0));
    f.append(char((m[int(Alarm::Qbh)] ? 1 << 6 : 0) | (m[int(Alarm::FiberBreak)] ? 1 << 5 : 0) |
                  (m[int(Alarm::WaterInHigh)] ? 1 << 2 : 0) |
                  (m[int(Alarm::WaterOutHigh)] ? 1 << 0 : 0)));
    f.append(char(0));
    f.append(char(beam ? 1 << 3 : 0));
    f.append(char(0)).append(char(0));
    f.append(char(moduleIndex));
    return seal(f);
}

QByteArray CcbModel::temperatureFrame(double celsius, int channel) const {
    // The CCB sends no check bytes here: their place holds the channel and a zero byte.
    QByteArray f;
    f.append(codeTemperature).append(char(4));
    append14(f, centi(celsius));
    f.append(char(channel & 0x07)).append(char(0));
    return f;
}

QByteArray CcbModel::dewPointFrame() const {
    QByteArray f;
    f.append(codeDewPoint).append(char(8));
    f.append(char(0)).append(char(0)).append(char(0));
    append14(f, centi(dewNow));
    f.append(char(0));
    return seal(f);
}

QByteArray CcbModel::pwmInputFrame() const {
    QByteArray f;
    f.append(codePwmInput).append(char(10));
    f.append(char(0));
    f.append(char(duty & 0x7F));
    append14(f, freq);
    f.append(QByteArray(4, '\0'));
    return seal(f);
}

QByteArray CcbModel::clockFrame(const QDateTime &now) const {
    const QDate d = now.date();
    const QTime t = now.time();
    QByteArray f;
    f.append(codeClock).append(char(14));
    f.append(QByteArray(6, '\0'));
    f.append(char(qBound(0, d.year() - 2020, 127)));
    f.append(char(d.month() & 0x0F));
    f.append(char(d.day() & 0x1F));
    f.append(char(t.hour() & 0x1F));
    f.append(char(t.minute() & 0x3F));
    f.append(char(t.second() & 0x3F));
    return seal(f);
}

QByteArray CcbModel::productInfoFrame() const {
    QByteArray f;
    f.append(codeProductInfo).append(char(30));
    appendText(f, productType(), 16);
    appendText(f, serialNumber(), 12);
    return seal(f);
}

QByteArray CcbModel::driverBoardFrame() const {
    QByteArray f;
    f.append(codeDriverBoard).append(char(29));
    f.append(char((alarms[int(Alarm::OverCurrent)] ? 1 << 4 : 0) |
                  (alarms[int(Alarm::OverTemp)] ? 1 << 2 : 0)));
    f.append(char(0));
    f.append(QByteArray(15, '\0')); // offsets 4 to 18
    appendText(f, driverVersion(), 6);
    f.append(char(0)).append(char(0));
    f.append(char(0)); // bank 0, slot 0
    f.append(char(0)); // board 0
    return seal(f);
}

QByteArray CcbModel::parameterReply(quint16 parameter, const QByteArray &value) const {
    return protocol::parameterRequestFrame(protocol::operationReply, parameter, value);
}

QByteArray CcbModel::inputsValue() const {
    // Digital inputs as the CCB wires them, and AI-1 as a 12-bit reading (four counts a step).
    QByteArray v(7, '\0');
    const bool pwmActive = duty > 0 && freq > 0;
    v[0] = char((alarms[int(Alarm::EStop)] ? 1 << 2 : 0) | (pwmActive ? 1 << 5 : 0));
    v[1] = char((dc ? 1 << 2 : 0) | (beam ? 1 << 3 : 0));
    const int reading = (analog << 2) & 0xFFF;
    v[3] = char((reading >> 7) & 0x1F);
    v[4] = char(reading & 0x7F);
    return v;
}

QByteArray CcbModel::outputsValue() const {
    QByteArray v(7, '\0');
    v[0] = char((dc ? 1 << 0 : 0) | (systemFault() ? 1 << 1 : 0));
    return v;
}

QByteArray CcbModel::frame(Message message, const QDateTime &now, bool spoiled) const {
    QByteArray f = buildFrame(message, now);
    if (spoiled && !spoiling && isVerifiedCode(f.at(0)))
        f[f.size() - 1] = char((f.at(f.size() - 1) ^ 0x01) & 0x7F);
    return f;
}

QByteArray CcbModel::buildFrame(Message message, const QDateTime &now) const {
    switch (message) {
    case Message::SystemStatus:
        return systemStatusFrame();
    case Message::ModuleStatus:
        return moduleStatusFrame();
    case Message::TempIn:
        return temperatureFrame(tempInNow, channelWaterIn);
    case Message::TempOut:
        return temperatureFrame(tempOutNow, channelWaterOut);
    case Message::DewPoint:
        return dewPointFrame();
    case Message::PwmInput:
        return pwmInputFrame();
    case Message::Clock:
        return clockFrame(now);
    case Message::ProductInfo:
        return productInfoFrame();
    case Message::DriverBoard:
        return driverBoardFrame();
    case Message::ParamVersion:
        return parameterReply(protocol::parameterCcbVersion, ccbVersion());
    case Message::ParamInputs:
        return parameterReply(protocol::parameterDigitalInputs, inputsValue());
    case Message::ParamOutputs:
        return parameterReply(protocol::parameterDigitalOutputs, outputsValue());
    }
    return QByteArray();
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
                answers << parameterReply(parameter, inputsValue());
                return answers;
            case protocol::parameterDigitalOutputs:
                answers << parameterReply(parameter, outputsValue());
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
