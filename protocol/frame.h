#pragma once

#include <QByteArray>
#include <QtGlobal>

// A CCB frame: code byte (bit 7 set, 0x80..0xFD), length byte L (bytes after it), payload,
// two check bytes; L + 2 bytes in all. Every byte after the code byte is a 7-bit value.
namespace protocol {

// Result codes of checkFrame.
constexpr quint8 frameCrcFail = 0;
constexpr quint8 frameCrcOk = 1;

// CRC-16/XMODEM (poly 0x1021, init 0, no reflection, no final xor), table driven.
quint16 crc16(const quint8 *data, quint16 length);

// Appends the two 7-bit check bytes computed over everything currently in frame.
void appendCheckBytes(QByteArray &frame);

// Verifies the last two bytes against the CRC of all bytes before them (the length byte is
// not read). Returns frameCrcOk or frameCrcFail. Frames shorter than 2 bytes fail.
quint8 checkFrame(const QByteArray &frame);

} // namespace protocol
