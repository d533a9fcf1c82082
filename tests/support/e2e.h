#pragma once

#include "support/e2e/harness.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QThread>

// Starts an end-to-end session (the simulator, the program and its window); a session that does
// not come up fails the case with the reason.
#define START_SESSION(session, ...)                                                                \
    do {                                                                                           \
        const QString why = (session).start(__VA_ARGS__);                                          \
        if (!why.isEmpty())                                                                        \
            QFAIL(qPrintable(why));                                                                \
    } while (false)

// Skips the whole suite on a machine without what the real program needs on screen.
#define SKIP_WITHOUT_PREREQUISITES()                                                               \
    do {                                                                                           \
        const QString missing = harness::missingPrerequisite();                                    \
        if (!missing.isEmpty())                                                                    \
            QSKIP(qPrintable(missing));                                                            \
    } while (false)

// Lets the test's own events run for `ms` while the program, in its own process, goes on.
inline void settle(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(10);
    }
}
