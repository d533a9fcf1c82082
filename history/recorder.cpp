#include "history/recorder.h"

#include "events/flag_watch.h"

#include <QDateTime>
#include <QDir>

namespace history {

namespace {

const QString linkCategory = QStringLiteral("link");

QString portDetail(const QString &port, const QString &text) {
    return text.isEmpty() ? port : port + QStringLiteral(": ") + text;
}

} // namespace

Recorder::Recorder(QObject *parent, RecorderOptions opts)
    : QObject(parent), options(std::move(opts)), traffic(options.journalCapacity),
      queue(options.limits.maxQueuedRows, options.limits.maxQueuedCaptureBytes),
      flags(new events::FlagWatch), commands([this](const events::Event &e) { record(e); }),
      handling([this](const events::Event &e) { record(e); }) {
    qRegisterMetaType<events::Event>();
    qRegisterMetaType<events::Sample>();
    qRegisterMetaType<history::Notice>();
    qRegisterMetaType<events::StoredEvent>();
    writer = new WriterThread(queue, options.logDir, options.limits, this);
    connect(writer, &WriterThread::notice, this, &Recorder::noticed);
    connect(writer, &WriterThread::ownRow, this, &Recorder::eventRecorded);
    connect(writer, &WriterThread::stored, this, &Recorder::eventStored);
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
    board.take(notice);
    emit trouble(logText(notice));
    emit historyChanged();
}

QString Recorder::databasePath() const {
    return QDir(options.logDir).filePath(QStringLiteral("history.sqlite"));
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
    values.clearValues();
}

void Recorder::portOpenFailed(const QString &port, const QString &error) {
    const qint64 at = now();
    traffic.portError(error, at);
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
    traffic.portError(error, at);
    record(linkCategory, QStringLiteral("device_gone"), QString(), portDetail(port, error), at);
    stopCapture();
}

void Recorder::portError(const QString &port, const QString &error) {
    const qint64 at = now();
    traffic.portError(error, at);
    record(linkCategory, QStringLiteral("port_error"), QString(), portDetail(port, error), at);
}

void Recorder::stateCleared(const protocol::DeviceState &state) {
    if (framesSinceClear > 0)
        record(linkCategory, QStringLiteral("state_cleared"), QString(), QString(), now());
    framesSinceClear = 0;
    flags->rebase(state);
    commands.stateCleared();
    values.clearValues();
}

void Recorder::bytesReceived(const QByteArray &chunk) {
    if (chunk.isEmpty())
        return;
    traffic.bytesReceived(chunk);
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
    traffic.frameReceived(frame, verdict, at);
    ++framesSinceClear;

    // A frame the dispatcher dropped changed nothing.
    if (verdict == protocol::Verdict::CheckFailed || verdict == protocol::Verdict::UnknownCode)
        return;

    changes.clear();
    flags->frameApplied(code, state, at, changes);
    for (const events::Event &e : changes)
        record(e);

    values.frameApplied(code, frame, state);
    if (code == 0xEF)
        commands.settingsFrame(state, at);
}

void Recorder::bytesSkipped(const char *bytes, int count) {
    if (count > 0)
        traffic.bytesSkipped(bytes, count, now());
}

void Recorder::passDone(bool early) {
    traffic.passDone(early);
}

void Recorder::frameSent(const QByteArray &frame, qint64 written) {
    if (frame.isEmpty() || written <= 0)
        return;
    const qint64 at = now();
    const QByteArray bytes = written < frame.size() ? frame.left(int(written)) : frame;
    if (capturing) {
        CaptureItem item;
        item.chunk.at = at;
        item.chunk.sent = true;
        item.chunk.bytes = bytes;
        pushCapture(std::move(item));
    }
    commands.frameSent(frame, traffic.frameSent(frame, bytes, at), at);
}

void Recorder::settingsProfile(const QString &name, const QString &value, const QString &detail) {
    commands.settingsProfile(name, value, detail, now());
}

qint64 Recorder::msSinceLastFrame() const {
    return figures().lastFrameAt == 0 ? -1 : now() - figures().lastFrameAt;
}

void Recorder::resetFigures() {
    traffic.resetFigures();
}

void Recorder::secondElapsed() {
    traffic.secondElapsed();
    if (!open || !values.any())
        return;
    const events::Sample s = values.sample(now());
    if (!ended && queue.pushSample(s))
        emit sampleRecorded(s);
}

events::Sample Recorder::currentValues() const {
    return values.sample(now());
}

void Recorder::flushNow() {
    writer->flushNow();
}

} // namespace history

#include "moc_recorder.cpp"
