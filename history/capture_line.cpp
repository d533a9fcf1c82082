#include "history/capture_line.h"

#include <QDate>
#include <QIODevice>
#include <QTime>

namespace history {

namespace {

const char hexDigits[] = "0123456789ABCDEF";
constexpr qint64 dayMs = 86400000;
// The Julian day of 1970-01-01.
constexpr qint64 epochDay = 2440588;

void appendDigits(QByteArray &out, int value, int width) {
    char buf[8];
    for (int i = width - 1; i >= 0; --i) {
        buf[i] = char('0' + value % 10);
        value /= 10;
    }
    out.append(buf, width);
}

// Upper-case hex only: the writer writes nothing else.
int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// `width` decimal digits at `p`, or -1.
int digits(const char *p, int width) {
    int value = 0;
    for (int i = 0; i < width; ++i) {
        if (p[i] < '0' || p[i] > '9')
            return -1;
        value = value * 10 + (p[i] - '0');
    }
    return value;
}

bool refuse(QString *reason, const char *text) {
    if (reason)
        *reason = QString::fromLatin1(text);
    return false;
}

} // namespace

QByteArray captureLine(const CaptureChunk &chunk) {
    qint64 days = chunk.at / dayMs;
    qint64 ms = chunk.at % dayMs;
    if (ms < 0) {
        ms += dayMs;
        --days;
    }
    const QDate d = QDate::fromJulianDay(days + epochDay);
    const int msOfDay = int(ms);
    QByteArray line;
    line.reserve(28 + chunk.bytes.size() * 3);
    appendDigits(line, d.year(), 4);
    line += '-';
    appendDigits(line, d.month(), 2);
    line += '-';
    appendDigits(line, d.day(), 2);
    line += 'T';
    appendDigits(line, msOfDay / 3600000, 2);
    line += ':';
    appendDigits(line, msOfDay / 60000 % 60, 2);
    line += ':';
    appendDigits(line, msOfDay / 1000 % 60, 2);
    line += '.';
    appendDigits(line, msOfDay % 1000, 3);
    line += chunk.sent ? "Z TX" : "Z RX";
    for (const char c : chunk.bytes) {
        const auto b = static_cast<unsigned char>(c);
        const char pair[3] = {' ', hexDigits[b >> 4], hexDigits[b & 15]};
        line.append(pair, 3);
    }
    line += '\n';
    return line;
}

bool parseCaptureLine(const QByteArray &raw, CaptureChunk *chunk, QString *reason) {
    if (reason)
        reason->clear();
    int size = raw.size();
    // The writer ends lines with '\n'; a file passed through Windows may end them with "\r\n".
    if (size > 0 && raw.at(size - 1) == '\n') {
        --size;
        if (size > 0 && raw.at(size - 1) == '\r')
            --size;
    }
    const char *p = raw.constData();
    if (size == 0 || p[0] == '#')
        return false; // empty or a remark: nothing wrong with it
    // "2026-12-07T14:37:45.123Z RX" and at least one " XX".
    const char *layout = "dddd-dd-ddTdd:dd:dd.dddZ";
    const int timeLength = 24;
    if (size < timeLength)
        return refuse(reason, "no time in the form YYYY-MM-DDTHH:MM:SS.mmmZ");
    for (int i = 0; i < timeLength; ++i) {
        const bool ok = layout[i] == 'd' ? (p[i] >= '0' && p[i] <= '9') : p[i] == layout[i];
        if (!ok)
            return refuse(reason, "no time in the form YYYY-MM-DDTHH:MM:SS.mmmZ");
    }
    const QDate date(digits(p, 4), digits(p + 5, 2), digits(p + 8, 2));
    const QTime time(digits(p + 11, 2), digits(p + 14, 2), digits(p + 17, 2), digits(p + 20, 3));
    if (!date.isValid() || !time.isValid())
        return refuse(reason, "no such date or time");
    if (size < timeLength + 3 || p[timeLength] != ' ' ||
        !((p[25] == 'R' || p[25] == 'T') && p[26] == 'X'))
        return refuse(reason, "direction not RX or TX");
    if (size == timeLength + 3)
        return refuse(reason, "no bytes");
    QByteArray bytes;
    bytes.reserve((size - timeLength - 3) / 3);
    for (int k = timeLength + 3; k < size; k += 3) {
        const int hi = k + 3 <= size && p[k] == ' ' ? hexValue(p[k + 1]) : -1;
        const int lo = hi >= 0 ? hexValue(p[k + 2]) : -1;
        if (lo < 0)
            return refuse(reason, "bytes not upper-case hex pairs");
        bytes += char((hi << 4) | lo);
    }
    chunk->at = (date.toJulianDay() - epochDay) * dayMs + time.msecsSinceStartOfDay();
    chunk->sent = p[25] == 'T';
    chunk->bytes = bytes;
    return true;
}

CaptureReading readCapture(QIODevice &file) {
    CaptureReading out;
    int number = 0;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine();
        ++number;
        CaptureChunk chunk;
        QString reason;
        if (!line.endsWith('\n'))
            reason = QStringLiteral("cut off (no newline at the end of the file)");
        else if (parseCaptureLine(line, &chunk, &reason))
            out.chunks.append(chunk);
        if (reason.isEmpty())
            continue;
        if (out.skipped++ == 0) {
            out.firstSkippedLine = number;
            out.firstSkippedReason = reason;
        }
        out.skippedLines << QStringLiteral("line %1: %2").arg(number).arg(reason);
    }
    return out;
}

} // namespace history
