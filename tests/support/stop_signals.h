#pragma once

#include <QTest>

#include <csignal>

// The signals that ask a program to stop (a service manager's SIGTERM, a terminal's Ctrl+C), as
// the rows of an int column "signal": every way of ending by signal is one case.
inline void addStopSignalRows() {
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
}
