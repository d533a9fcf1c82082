#pragma once

// A CCB that answers: the simulator's model on the master side of a pseudo-terminal. It reads
// every frame the window sends and, unless silent, sends the model's answers back (settings
// read-backs and writes, the red light). Link the test with ccb_model.
#include "support/pty.h"
#include "support/wait.h"

#include "protocol/reassembly.h"
#include "tools/ccb_sim/ccb_model.h"

#include <QByteArray>
#include <QList>
#include <QTimer>

class AnsweringCcb : public protocol::FrameSink {
public:
    explicit AnsweringCcb(PtyPair &pty) : pty(pty) {
        poll.setInterval(2);
        QObject::connect(&poll, &QTimer::timeout, [this] { pump(); });
        poll.start();
    }

    ccbsim::CcbModel model;
    // Reads what the window sends and answers nothing.
    bool silent = false;
    // Every complete frame the window sent, in order.
    QList<QByteArray> received;

    // Sends CCB bytes of its own accord (status frames).
    bool send(const QByteArray &bytes) { return pty.write(bytes); }

    bool waitForFrames(int count, int timeoutMs = 3000) {
        return fixture::waitUntil([&] { return received.size() >= count; }, timeoutMs);
    }

    // Everything the window sent before now, with no fixed wait: `sendMarker` makes the window
    // send a marker frame (clear all faults), and the frames before it are returned and
    // forgotten. Returns {"no marker"} when it does not arrive.
    template <typename SendMarker> QList<QByteArray> sentBeforeNow(SendMarker sendMarker) {
        const QByteArray marker = QByteArray::fromHex("99030033 7B");
        const int from = received.size();
        sendMarker();
        if (!fixture::waitUntil([&] { return received.mid(from).contains(marker); }))
            return {QByteArrayLiteral("no marker")};
        QList<QByteArray> before = received.mid(0, received.indexOf(marker, from));
        received = received.mid(received.indexOf(marker, from) + 1);
        return before;
    }

    void frameComplete(const QByteArray &frame) override {
        received.append(frame);
        if (silent)
            return;
        for (const QByteArray &answer : model.receive(frame))
            pty.write(answer);
    }

private:
    void pump() {
        const QByteArray got = pty.drain();
        if (got.isEmpty())
            return;
        buffer.append(got);
        // The window writes each frame whole; keep an unfinished one for the next look.
        protocol::reassemble(buffer, *this, protocol::PassKind::Early);
    }

    PtyPair &pty;
    QTimer poll;
    QByteArray buffer;
};
