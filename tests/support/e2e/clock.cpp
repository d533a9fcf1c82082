#include "support/e2e/clock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QTime>

namespace harness {

double wallClockMs() {
    return QTime::currentTime().msecsSinceStartOfDay();
}

void pause(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(5);
    }
}

int patient(int ms) {
    return 3 * ms;
}

} // namespace harness
