#include "history/command_rows.h"

#include "protocol/commands.h"
#include "protocol/describe.h"

#include <utility>

namespace history {

namespace {

const QString commandCategory = QStringLiteral("command");
const QString settingsCategory = QStringLiteral("settings");

unsigned byteAt(const QByteArray &frame, int k) {
    return k < frame.size() ? static_cast<unsigned char>(frame.at(k)) : 0u;
}

} // namespace

CommandRows::CommandRows(std::function<void(const events::Event &)> sink) : sink(std::move(sink)) {}

void CommandRows::record(const QString &category, const QString &name, const QString &value,
                         const QString &detail, qint64 at) {
    events::Event e;
    e.at = at;
    e.category = category;
    e.name = name;
    e.value = value;
    e.detail = detail;
    sink(e);
}

void CommandRows::frameSent(const QByteArray &frame, const JournalEntry &entry, qint64 at) {
    const auto code = static_cast<quint8>(frame.at(0));
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

void CommandRows::settingsFrame(const protocol::DeviceState &state, qint64 at) {
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

void CommandRows::settingsProfile(const QString &name, const QString &value, const QString &detail,
                                  qint64 at) {
    record(settingsCategory, name, value, detail, at);
}

} // namespace history
