#include "tools/ccb_sim/ccb_frames.h"

#include "protocol/commands.h"
#include "protocol/frame.h"
#include "tools/ccb_sim/ccb_model.h"

#include <QtMath>

namespace ccbsim {

namespace {

constexpr int channelWaterIn = 2;
constexpr int channelWaterOut = 3;

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

// Seals a frame with its check bytes, spoiled while a bad-check round runs.
QByteArray seal(QByteArray frame, bool spoiling) {
    protocol::appendCheckBytes(frame);
    if (spoiling && isVerifiedCode(frame.at(0)))
        frame[frame.size() - 1] = char((frame.at(frame.size() - 1) ^ 0x01) & 0x7F);
    return frame;
}

QByteArray systemStatusFrame(const CcbModel &m, bool spoiling) {
    QByteArray f;
    f.append(codeSystemStatus).append(char(6));
    f.append(char((m.alarm(Alarm::EStop) ? 1 << 2 : 0) | (m.alarm(Alarm::Door) ? 1 << 4 : 0) |
                  (m.systemFault() ? 1 << 6 : 0)));
    f.append(char((m.alarm(Alarm::Chiller) ? 1 << 3 : 0) | (m.redLightOn() ? 1 << 6 : 0)));
    f.append(char((m.laserReady() ? 1 << 4 : 0) | (m.dcOn() ? 1 << 5 : 0)));
    f.append(char(0));
    return seal(f, spoiling);
}

QByteArray moduleStatusFrame(const CcbModel &m, bool spoiling) {
    // The alarms of the module that reports now.
    QByteArray f;
    f.append(codeModuleStatus).append(char(9));
    f.append(char(m.alarm(Alarm::Pd) ? 1 << 1 : 0));
    f.append(char((m.alarm(Alarm::Qbh) ? 1 << 6 : 0) | (m.alarm(Alarm::FiberBreak) ? 1 << 5 : 0) |
                  (m.alarm(Alarm::WaterInHigh) ? 1 << 2 : 0) |
                  (m.alarm(Alarm::WaterOutHigh) ? 1 << 0 : 0)));
    f.append(char(0));
    f.append(char(m.beamOn() ? 1 << 3 : 0));
    f.append(char(0)).append(char(0));
    f.append(char(m.module()));
    return seal(f, spoiling);
}

QByteArray temperatureFrame(double celsius, int channel) {
    // The CCB sends no check bytes here: their place holds the channel and a zero byte.
    QByteArray f;
    f.append(codeTemperature).append(char(4));
    append14(f, centi(celsius));
    f.append(char(channel & 0x07)).append(char(0));
    return f;
}

QByteArray dewPointFrame(const CcbModel &m, bool spoiling) {
    QByteArray f;
    f.append(codeDewPoint).append(char(8));
    f.append(char(0)).append(char(0)).append(char(0));
    append14(f, centi(m.dewPoint()));
    f.append(char(0));
    return seal(f, spoiling);
}

QByteArray pwmInputFrame(const CcbModel &m, bool spoiling) {
    QByteArray f;
    f.append(codePwmInput).append(char(10));
    f.append(char(0));
    f.append(char(m.pwmDuty() & 0x7F));
    append14(f, m.pwmFreq());
    f.append(QByteArray(4, '\0'));
    return seal(f, spoiling);
}

QByteArray clockFrame(const QDateTime &now, bool spoiling) {
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
    return seal(f, spoiling);
}

QByteArray productInfoFrame(bool spoiling) {
    QByteArray f;
    f.append(codeProductInfo).append(char(30));
    appendText(f, CcbModel::productType(), 16);
    appendText(f, CcbModel::serialNumber(), 12);
    return seal(f, spoiling);
}

QByteArray driverBoardFrame(const CcbModel &m, bool spoiling) {
    QByteArray f;
    f.append(codeDriverBoard).append(char(29));
    f.append(
        char((m.alarm(Alarm::OverCurrent) ? 1 << 4 : 0) | (m.alarm(Alarm::OverTemp) ? 1 << 2 : 0)));
    f.append(char(0));
    f.append(QByteArray(15, '\0')); // offsets 4 to 18
    appendText(f, CcbModel::driverVersion(), 6);
    f.append(char(0)).append(char(0));
    f.append(char(0)); // bank 0, slot 0
    f.append(char(0)); // board 0
    return seal(f, spoiling);
}

} // namespace

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

QByteArray parameterReply(quint16 parameter, const QByteArray &value) {
    return protocol::parameterRequestFrame(protocol::operationReply, parameter, value);
}

QByteArray inputsValue(const CcbModel &m) {
    // Digital inputs as the CCB wires them, and AI-1 as a 12-bit reading (four counts a step).
    QByteArray v(7, '\0');
    const bool pwmActive = m.pwmDuty() > 0 && m.pwmFreq() > 0;
    v[0] = char((m.alarm(Alarm::EStop) ? 1 << 2 : 0) | (pwmActive ? 1 << 5 : 0));
    v[1] = char((m.dcOn() ? 1 << 2 : 0) | (m.beamOn() ? 1 << 3 : 0));
    const int reading = (m.analogIn() << 2) & 0xFFF;
    v[3] = char((reading >> 7) & 0x1F);
    v[4] = char(reading & 0x7F);
    return v;
}

QByteArray outputsValue(const CcbModel &m) {
    QByteArray v(7, '\0');
    v[0] = char((m.dcOn() ? 1 << 0 : 0) | (m.systemFault() ? 1 << 1 : 0));
    return v;
}

QByteArray buildFrame(const CcbModel &m, Message message, const QDateTime &now, bool spoiling) {
    switch (message) {
    case Message::SystemStatus:
        return systemStatusFrame(m, spoiling);
    case Message::ModuleStatus:
        return moduleStatusFrame(m, spoiling);
    case Message::TempIn:
        return temperatureFrame(m.tempIn(), channelWaterIn);
    case Message::TempOut:
        return temperatureFrame(m.tempOut(), channelWaterOut);
    case Message::DewPoint:
        return dewPointFrame(m, spoiling);
    case Message::PwmInput:
        return pwmInputFrame(m, spoiling);
    case Message::Clock:
        return clockFrame(now, spoiling);
    case Message::ProductInfo:
        return productInfoFrame(spoiling);
    case Message::DriverBoard:
        return driverBoardFrame(m, spoiling);
    case Message::ParamVersion:
        return parameterReply(protocol::parameterCcbVersion, CcbModel::ccbVersion());
    case Message::ParamInputs:
        return parameterReply(protocol::parameterDigitalInputs, inputsValue(m));
    case Message::ParamOutputs:
        return parameterReply(protocol::parameterDigitalOutputs, outputsValue(m));
    }
    return QByteArray();
}

} // namespace ccbsim
