#include "history/recorder.h"

#include "events/flag_watch.h"
#include "protocol/commands.h"
#include "protocol/describe.h"

#include <QDateTime>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <limits>

namespace history {

namespace {

const QString linkCategory = QStringLiteral("link");
const QString commandCategory = QStringLiteral("command");
const QString settingsCategory = QStringLiteral("settings");
constexpr double noValue = std::numeric_limits<double>::quiet_NaN();

unsigned byteAt(const QByteArray &frame, int k) {
    return k < frame.size() ? static_cast<unsigned char>(frame.at(k)) : 0u;
}

QString portDetail(const QString &port, const QString &text) {
    return text.isEmpty() ? port : port + QStringLiteral(": ") + text;
}

} // namespace

Recorder::Recorder(QObject *parent, RecorderOptions opts)
    : QObject(parent), options(std::move(opts)), ring(options.journalCapacity),
      queue(options.limits.maxQueuedRows, options.limits.maxQueuedCaptureBytes),
      flags(new events::FlagWatch), waterIn(noValue), waterOut(noValue), dewPoint(noValue) {
    qRegisterMetaType<events::Event>();
    qRegisterMetaType<events::Sample>();
    qRegisterMetaType<history::Notice>();
    writer = new WriterThread(queue, options.logDir, options.limits, this);
    connect(writer, &WriterThread::notice, this, &Recorder::noticed);
    connect(writer, &WriterThread::ownRow, this, &Recorder::eventRecorded);
    connect(writer, &WriterThread::started, this, [this] {
        historyStartedFlag = true;
        emit historyStarted();
    });
    connect(writer, &WriterThread::logSize, this, [this](qint64 bytes) {
        logBytes = bytes;
        emit historyChanged();
    });
    writer->start(QThread::LowPriority);
    secondTimer.setInterval(1000);
    connect(&secondTimer, &QTimer::timeout, this, [this] { secondElapsed(); });
    secondTimer.start();
}

Recorder::~Recorder() {
    finish();
    if (lateRows > 0)
        qWarning("history: %llu rows after the end of the run were not recorded",
                 static_cast<unsigned long long>(lateRows));
    delete flags;
}

void Recorder::finish() {
    if (ended)
        return;
    stopCapture();
    secondTimer.stop();
    writer->finish();
    ended = true;
}

void Recorder::noticed(const Notice &notice) {
    const auto same = [&notice](const Notice &n) { return n.kind == notice.kind; };
    going.erase(std::remove_if(going.begin(), going.end(), same), going.end());
    if (notice.phase == Notice::Began) {
        going.push_back(notice);
    } else {
        last = notice;
        hasLast = true;
    }
    QStringList texts;
    for (const Notice &n : going)
        texts << logText(n);
    troubleText = texts.isEmpty() ? logText(last) : texts.join(QStringLiteral("; "));
    emit trouble(logText(notice));
    emit historyChanged();
}

qint64 Recorder::now() const {
    return options.clock ? options.clock() : QDateTime::currentMSecsSinceEpoch();
}

void Recorder::record(const events::Event &event) {
    if (event.category == linkCategory)
        emit linkEvent(event);
    if (ended)
        ++lateRows;
    else if (queue.pushEvent(event))
        emit eventRecorded(event);
}

void Recorder::pushCapture(CaptureItem item) {
    if (!ended)
        queue.pushCapture(std::move(item));
}

void Recorder::record(const QString &category, const QString &name, const QString &value,
                      const QString &detail, qint64 at) {
    events::Event e;
    e.at = at;
    e.category = category;
    e.name = name;
    e.value = value;
    e.detail = detail;
    record(e);
}

void Recorder::clearValues() {
    waterIn = waterOut = dewPoint = noValue;
}

void Recorder::portOpened(const QString &port, const QString &description) {
    const qint64 at = now();
    record(linkCategory, QStringLiteral("opened"), QString(),
           description.isEmpty() ? port : port + QStringLiteral(" (") + description + ')', at);
    CaptureItem start;
    start.kind = CaptureItem::Start;
    start.chunk.at = at;
    start.port = port;
    pushCapture(std::move(start));
    capturing = true;
    open = true;
    clearValues();
}

void Recorder::portOpenFailed(const QString &port, const QString &error) {
    const qint64 at = now();
    counters.lastPortError = error;
    counters.lastPortErrorAt = at;
    record(linkCategory, QStringLiteral("open_failed"), QString(), portDetail(port, error), at);
}

void Recorder::stopCapture() {
    if (capturing) {
        CaptureItem stop;
        stop.kind = CaptureItem::Stop;
        pushCapture(std::move(stop));
        capturing = false;
    }
    open = false;
}

void Recorder::portClosed(const QString &port) {
    record(linkCategory, QStringLiteral("closed"), QString(), port, now());
    stopCapture();
}

void Recorder::linkLost(const QString &port) {
    record(linkCategory, QStringLiteral("link_lost"), QString(), port, now());
}

void Recorder::portClosedAfterLoss() {
    stopCapture();
}

void Recorder::deviceGone(const QString &port, const QString &error) {
    const qint64 at = now();
    counters.lastPortError = error;
    counters.lastPortErrorAt = at;
    record(linkCategory, QStringLiteral("device_gone"), QString(), portDetail(port, error), at);
    stopCapture();
}

void Recorder::portError(const QString &port, const QString &error) {
    const qint64 at = now();
    counters.lastPortError = error;
    counters.lastPortErrorAt = at;
    record(linkCategory, QStringLiteral("port_error"), QString(), portDetail(port, error), at);
}

void Recorder::stateCleared(const protocol::DeviceState &state) {
    if (framesSinceClear > 0)
        record(linkCategory, QStringLiteral("state_cleared"), QString(), QString(), now());
    framesSinceClear = 0;
    flags->rebase(state);
    readBackWaiting = writeWaiting = false;
    clearValues();
}

void Recorder::bytesReceived(const QByteArray &chunk) {
    if (chunk.isEmpty())
        return;
    counters.bytesIn += quint64(chunk.size());
    if (!capturing)
        return;
    CaptureItem item;
    item.chunk.at = now();
    item.chunk.bytes = chunk;
    pushCapture(std::move(item));
}

void Recorder::frameReceived(const QByteArray &frame, protocol::Verdict verdict,
                             const protocol::DeviceState &state) {
    if (frame.isEmpty())
        return;
    const qint64 at = now();
    const auto code = static_cast<quint8>(frame.at(0));
    ++counters.framesIn;
    ++counters.framesByCode[code];
    ++framesSinceClear;
    ++framesThisSecond;
    counters.lastFrameAt = at;
    if (verdict == protocol::Verdict::CheckFailed)
        ++counters.checkFailures;
    else if (verdict == protocol::Verdict::UnknownCode)
        ++counters.unknownCodes;

    JournalEntry entry;
    entry.at = at;
    entry.direction = Direction::Received;
    entry.verdict = verdict;
    entry.name = protocol::receivedCodeName(code);
    entry.bytes = frame;
    entry.text = protocol::describeReceivedFrame(frame);
    ring.append(std::move(entry));

    // A frame the dispatcher dropped changed nothing.
    if (verdict == protocol::Verdict::CheckFailed || verdict == protocol::Verdict::UnknownCode)
        return;

    changes.clear();
    flags->frameApplied(code, state, at, changes);
    for (const events::Event &e : changes)
        record(e);

    if (code == 0xE0) {
        const protocol::TemperatureReading t = protocol::readTemperature(frame);
        if (t.valid && t.channel == 2)
            waterIn = t.hundredths / 100.0;
        else if (t.valid && t.channel == 3)
            waterOut = t.hundredths / 100.0;
    } else if (code == 0xE4) {
        dewPoint = protocol::floatAsDecimal(state.dewPointTemp);
    } else if (code == 0xEF) {
        if (readBackWaiting && state.sysSetReadBackState == protocol::handshakeAnswered) {
            readBackWaiting = false;
            record(settingsCategory, QStringLiteral("readBack"),
                   protocol::describeSettings(state.settings), QString(), at);
        }
        if (writeWaiting && state.sysSetWriteState == protocol::handshakeAnswered) {
            writeWaiting = false;
            record(settingsCategory, QStringLiteral("written"),
                   protocol::describeSettings(state.settings), QString(), at);
        }
    }
}

void Recorder::bytesSkipped(const char *bytes, int count) {
    if (count <= 0)
        return;
    counters.noiseBytes += quint64(count);
    JournalEntry entry;
    entry.at = now();
    entry.direction = Direction::Skipped;
    entry.name = QStringLiteral("Noise");
    entry.bytes = QByteArray(bytes, count);
    entry.text = QString::number(count) +
                 (count == 1 ? QStringLiteral(" byte skipped") : QStringLiteral(" bytes skipped"));
    ring.append(std::move(entry));
}

void Recorder::passDone(bool early) {
    if (early)
        ++counters.earlyPasses;
}

void Recorder::frameSent(const QByteArray &frame, qint64 written) {
    if (frame.isEmpty() || written <= 0)
        return;
    const qint64 at = now();
    const QByteArray bytes = written < frame.size() ? frame.left(int(written)) : frame;
    counters.bytesOut += quint64(bytes.size());
    ++counters.framesOut;
    if (capturing) {
        CaptureItem item;
        item.chunk.at = at;
        item.chunk.sent = true;
        item.chunk.bytes = bytes;
        pushCapture(std::move(item));
    }
    const auto code = static_cast<quint8>(frame.at(0));
    JournalEntry entry;
    entry.at = at;
    entry.direction = Direction::Sent;
    entry.name = protocol::sentCodeName(code);
    entry.bytes = bytes;
    entry.text = protocol::describeSentFrame(frame);
    ring.append(entry);

    // The command behind the frame.
    switch (code) {
    case 0x99:
        record(commandCategory, QStringLiteral("clearAllFaults"), QStringLiteral("sent"), QString(),
               at);
        return;
    case 0xB3:
        record(commandCategory, QStringLiteral("dcSwitch"),
               byteAt(frame, 2) == 0 ? QStringLiteral("on") : QStringLiteral("off"), QString(), at);
        return;
    case 0xEF:
        break;
    default:
        record(commandCategory, entry.name, QStringLiteral("sent"), entry.text, at);
        return;
    }
    const unsigned operation = (byteAt(frame, 2) >> 3) & 3;
    const unsigned parameter = ((byteAt(frame, 5) << 7) | (byteAt(frame, 6) & 0x7F)) & 0xFF;
    if (parameter == protocol::parameterRedLight && operation == protocol::operationWrite) {
        const unsigned op = byteAt(frame, 7) & 7;
        record(commandCategory, QStringLiteral("redLight"),
               op == 1   ? QStringLiteral("on")
               : op == 2 ? QStringLiteral("off")
                         : QString::number(op),
               QString(), at);
    } else if (parameter == protocol::parameterSystemSettings &&
               operation == protocol::operationRead) {
        readBackWaiting = true;
        record(commandCategory, QStringLiteral("settingsReadBack"), QStringLiteral("requested"),
               QString(), at);
    } else if (parameter == protocol::parameterSystemSettings &&
               operation == protocol::operationWrite && frame.size() >= 7 + 7) {
        writeWaiting = true;
        record(commandCategory, QStringLiteral("settingsWrite"),
               protocol::describeSettings(protocol::decodeSystemSettings(frame.constData() + 7)),
               QString(), at);
    } else {
        record(commandCategory, QStringLiteral("parameterRequest"), QStringLiteral("sent"),
               entry.text, at);
    }
}

void Recorder::settingsProfile(const QString &name, const QString &value, const QString &detail) {
    record(settingsCategory, name, value, detail, now());
}

qint64 Recorder::msSinceLastFrame() const {
    return counters.lastFrameAt == 0 ? -1 : now() - counters.lastFrameAt;
}

void Recorder::resetFigures() {
    counters = LinkFigures();
    framesThisSecond = 0;
}

void Recorder::secondElapsed() {
    counters.framesPerSecond = double(framesThisSecond);
    framesThisSecond = 0;
    if (!open || (std::isnan(waterIn) && std::isnan(waterOut) && std::isnan(dewPoint)))
        return;
    events::Sample s;
    s.at = now();
    s.waterIn = waterIn;
    s.waterOut = waterOut;
    s.dewPoint = dewPoint;
    if (!ended && queue.pushSample(s))
        emit sampleRecorded(s);
}

events::Sample Recorder::currentValues() const {
    events::Sample s;
    s.at = now();
    s.waterIn = waterIn;
    s.waterOut = waterOut;
    s.dewPoint = dewPoint;
    return s;
}

void Recorder::flushNow() {
    writer->flushNow();
}

} // namespace history

#include "moc_recorder.cpp"
