#include "protocol/frame.h"

#include <array>
#include <cstddef>

namespace protocol {

namespace {

// The standard CRC-16/XMODEM table for polynomial 0x1021, built by the compiler.
constexpr std::array<quint16, 256> makeCrcTable() {
    std::array<quint16, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned c = i << 8;
        for (int step = 0; step < 8; ++step)
            c = (c & 0x8000u) ? ((c << 1) ^ 0x1021u) & 0xFFFFu : (c << 1) & 0xFFFFu;
        table[i] = static_cast<quint16>(c);
    }
    return table;
}

constexpr std::array<quint16, 256> crcTable = makeCrcTable();

static_assert(crcTable[0] == 0x0000 && crcTable[1] == 0x1021 && crcTable[2] == 0x2042 &&
                  crcTable[3] == 0x3063,
              "CRC table does not start like the XMODEM table");
static_assert(crcTable[255] == 0x1EF0, "CRC table does not end like the XMODEM table");

// The same step as crc16, for ranges whose size does not fit the 16-bit count.
quint16 crcOver(const char *data, std::size_t length) {
    quint16 crc = 0;
    const auto *bytes = reinterpret_cast<const unsigned char *>(data);
    for (std::size_t i = 0; i < length; ++i)
        crc = static_cast<quint16>((crc << 8) ^ crcTable[((crc >> 8) ^ bytes[i]) & 0xFF]);
    return crc;
}

} // namespace

quint16 crc16(const quint8 *data, quint16 length) {
    if (data == nullptr)
        return 0;
    return crcOver(reinterpret_cast<const char *>(data), length);
}

void appendCheckBytes(QByteArray &frame) {
    const quint16 crc = crcOver(frame.constData(), static_cast<std::size_t>(frame.size()));
    frame.append(static_cast<char>((crc >> 8) & 0x7F));
    frame.append(static_cast<char>(crc & 0x7F));
}

quint8 checkFrame(const QByteArray &frame) {
    const int size = frame.size();
    if (size < 2)
        return frameCrcFail;
    const quint16 crc = crcOver(frame.constData(), static_cast<std::size_t>(size - 2));
    const auto high = static_cast<unsigned char>(frame.at(size - 2));
    const auto low = static_cast<unsigned char>(frame.at(size - 1));
    return (high == ((crc >> 8) & 0x7F) && low == (crc & 0x7F)) ? frameCrcOk : frameCrcFail;
}

} // namespace protocol
