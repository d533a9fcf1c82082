#include "history/capture.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

namespace history {

namespace {

const char hexDigits[] = "0123456789ABCDEF";

void appendDigits(QByteArray &out, int value, int width) {
    char buf[8];
    for (int i = width - 1; i >= 0; --i) {
        buf[i] = char('0' + value % 10);
        value /= 10;
    }
    out.append(buf, width);
}

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

QString safePortName(const QString &port) {
    QString name = port.isEmpty() ? QStringLiteral("port") : port;
    for (QChar &c : name)
        if (!c.isLetterOrNumber() && c != QLatin1Char('-') && c != QLatin1Char('_') &&
            c != QLatin1Char('.'))
            c = QLatin1Char('_');
    return name;
}

} // namespace

QByteArray captureLine(const CaptureChunk &chunk) {
    const QDateTime t = QDateTime::fromMSecsSinceEpoch(chunk.at, Qt::UTC);
    const QDate d = t.date();
    const QTime h = t.time();
    QByteArray line;
    line.reserve(28 + chunk.bytes.size() * 3);
    appendDigits(line, d.year(), 4);
    line += '-';
    appendDigits(line, d.month(), 2);
    line += '-';
    appendDigits(line, d.day(), 2);
    line += 'T';
    appendDigits(line, h.hour(), 2);
    line += ':';
    appendDigits(line, h.minute(), 2);
    line += ':';
    appendDigits(line, h.second(), 2);
    line += '.';
    appendDigits(line, h.msec(), 3);
    line += chunk.sent ? "Z TX" : "Z RX";
    for (const char c : chunk.bytes) {
        const auto b = static_cast<unsigned char>(c);
        const char pair[3] = {' ', hexDigits[b >> 4], hexDigits[b & 15]};
        line.append(pair, 3);
    }
    line += '\n';
    return line;
}

bool parseCaptureLine(const QByteArray &raw, CaptureChunk *chunk) {
    QByteArray line = raw;
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    if (line.isEmpty() || line.startsWith('#'))
        return false;
    const int space = line.indexOf(' ');
    if (space < 0 || line.size() < space + 3)
        return false;
    const QDateTime t =
        QDateTime::fromString(QString::fromLatin1(line.left(space)), Qt::ISODateWithMs);
    if (!t.isValid())
        return false;
    const QByteArray direction = line.mid(space + 1, 2);
    if (direction != "RX" && direction != "TX")
        return false;
    QByteArray bytes;
    int k = space + 3;
    while (k < line.size()) {
        if (k + 3 > line.size() || line.at(k) != ' ')
            return false;
        const int hi = hexValue(line.at(k + 1));
        const int lo = hexValue(line.at(k + 2));
        if (hi < 0 || lo < 0)
            return false;
        bytes += char((hi << 4) | lo);
        k += 3;
    }
    if (bytes.isEmpty())
        return false;
    chunk->at = t.toMSecsSinceEpoch();
    chunk->sent = direction == "TX";
    chunk->bytes = bytes;
    return true;
}

QString captureFileName(const QString &port, qint64 at) {
    const QDateTime t = QDateTime::fromMSecsSinceEpoch(at, Qt::UTC);
    return QStringLiteral("capture-") + t.toString(QStringLiteral("yyyyMMdd-HHmmss")) +
           QLatin1Char('-') + safePortName(port) + QStringLiteral(".txt");
}

CaptureFiles::CaptureFiles(const QString &dir, qint64 fileLimit, qint64 totalLimit)
    : dir(dir), fileLimit(fileLimit), totalLimit(totalLimit) {}

CaptureFiles::~CaptureFiles() {
    stop();
}

bool CaptureFiles::start(const QString &portName, qint64 at, QString *error) {
    stop();
    port = portName;
    return openNext(at, error);
}

bool CaptureFiles::openNext(qint64 at, QString *error) {
    file.close();
    written = 0;
    if (!QDir().mkpath(dir)) {
        *error = QStringLiteral("cannot create %1").arg(QDir(dir).absolutePath());
        return false;
    }
    enforceCap();
    const QString base = captureFileName(port, at);
    for (int attempt = 1; attempt < 1000; ++attempt) {
        QString name = base;
        if (attempt > 1)
            // "_2" sorts after ".txt", so name order stays age order within one second.
            name.insert(name.size() - 4, QLatin1Char('_') + QString::number(attempt));
        file.setFileName(QDir(dir).filePath(name));
        // NewOnly: another program (or this one within the same second) keeps its own file.
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return true;
        if (!file.exists()) {
            *error =
                QStringLiteral("cannot create %1: %2").arg(file.fileName(), file.errorString());
            return false;
        }
    }
    *error = QStringLiteral("cannot create a capture file in %1").arg(dir);
    return false;
}

void CaptureFiles::enforceCap() {
    QDir folder(dir);
    const QFileInfoList files =
        folder.entryInfoList({QStringLiteral("capture-*.txt")}, QDir::Files, QDir::Name);
    qint64 total = 0;
    for (const QFileInfo &f : files)
        total += f.size();
    // Names begin with the time, so name order is age order.
    for (const QFileInfo &f : files) {
        if (total + fileLimit <= totalLimit)
            break;
        if (f.absoluteFilePath() == QFileInfo(file.fileName()).absoluteFilePath())
            continue;
        if (QFile::remove(f.absoluteFilePath()))
            total -= f.size();
    }
}

bool CaptureFiles::writeLine(const QByteArray &line, qint64 at, QString *error) {
    if (!file.isOpen())
        return true; // stopped after a failure or never started: nothing to do
    if (written > 0 && written + line.size() > fileLimit && !openNext(at, error))
        return false;
    if (file.write(line) != line.size()) {
        *error = QStringLiteral("cannot write %1: %2").arg(file.fileName(), file.errorString());
        file.close();
        return false;
    }
    written += line.size();
    return true;
}

bool CaptureFiles::append(const CaptureChunk &chunk, QString *error) {
    return writeLine(captureLine(chunk), chunk.at, error);
}

bool CaptureFiles::appendRemark(const QByteArray &text, QString *error) {
    return writeLine("# " + text + '\n', QDateTime::currentMSecsSinceEpoch(), error);
}

bool CaptureFiles::flush(QString *error) {
    if (!file.isOpen())
        return true;
    if (!file.flush()) {
        *error = QStringLiteral("cannot write %1: %2").arg(file.fileName(), file.errorString());
        file.close();
        return false;
    }
    return true;
}

void CaptureFiles::stop() {
    if (file.isOpen()) {
        file.flush();
        file.close();
    }
}

} // namespace history
