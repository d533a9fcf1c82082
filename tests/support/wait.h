#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>

namespace fixture {

// Processes events until `done` holds or `timeoutMs` has passed, looking after every batch of
// events: with the 1 ms tick always due, Qt's own waits look far less often than that.
template <typename Done> bool waitUntil(Done done, int timeoutMs = 3000) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        QTest::qSleep(1);
    }
    return true;
}

} // namespace fixture
