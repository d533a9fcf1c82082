#pragma once

#include <QTest>

#include <csignal>

// The signals that ask a program to stop (a service manager's SIGTERM, a terminal's Ctrl+C, the
// terminal closed or the session ended: SIGHUP), as the rows of an int column "signal": every
// way of ending by signal is one case.
inline void addStopSignalRows() {
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
    QTest::newRow("SIGHUP") << int(SIGHUP);
}

// Every way the program ends, as the rows of an int column "cause": the stop signals, the
// display going away (the X server ended), and SIGKILL, which leaves no clean end behind.
constexpr int displayGone = 0;
constexpr int sigtermInStartBox = -1;
constexpr int sigtermStderrGone = -2;
inline void addEndCauseRows() {
    QTest::addColumn<int>("cause");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
    QTest::newRow("SIGHUP") << int(SIGHUP);
    QTest::newRow("SIGTERM while a box is open at start") << sigtermInStartBox;
    QTest::newRow("SIGTERM, standard error a pipe nobody reads") << sigtermStderrGone;
    QTest::newRow("the X server gone") << displayGone;
    QTest::newRow("SIGKILL") << int(SIGKILL);
}
