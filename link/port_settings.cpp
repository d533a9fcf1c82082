#include "link/port_settings.h"

#include <array>

namespace seriallink {

namespace {

constexpr std::array<qint32, 8> baudRates{1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};
constexpr std::array<QSerialPort::DataBits, 4> dataBits{QSerialPort::Data5, QSerialPort::Data6,
                                                        QSerialPort::Data7, QSerialPort::Data8};
constexpr std::array<QSerialPort::Parity, 3> parities{QSerialPort::NoParity, QSerialPort::OddParity,
                                                      QSerialPort::EvenParity};
constexpr std::array<QSerialPort::StopBits, 2> stopBits{QSerialPort::OneStop, QSerialPort::TwoStop};

template <typename T, std::size_t N> std::optional<T> at(const std::array<T, N> &table, int index) {
    if (index < 0 || std::size_t(index) >= N)
        return std::nullopt;
    return table[std::size_t(index)];
}

} // namespace

void applyFixedSettings(QSerialPort &port) {
    port.setBaudRate(QSerialPort::Baud115200, QSerialPort::AllDirections);
    port.setDataBits(QSerialPort::Data8);
    port.setParity(QSerialPort::NoParity);
    port.setStopBits(QSerialPort::OneStop);
}

std::optional<qint32> baudRateAt(int index) {
    return at(baudRates, index);
}
std::optional<QSerialPort::DataBits> dataBitsAt(int index) {
    return at(dataBits, index);
}
std::optional<QSerialPort::Parity> parityAt(int index) {
    return at(parities, index);
}
std::optional<QSerialPort::StopBits> stopBitsAt(int index) {
    return at(stopBits, index);
}

} // namespace seriallink
