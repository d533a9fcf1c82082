#pragma once

// What an end-to-end suite needs besides the driver: its main(), and what a case says when its
// session does not come up or the machine lacks what the real program needs on screen.
#include "support/e2e/harness.h"

#include <QApplication>
#include <QTest>

// Fails the case with the reason when a start (an empty text on success) did not come up.
#define VERIFY_STARTED(start)                                                                      \
    do {                                                                                           \
        const QString why = (start);                                                               \
        if (!why.isEmpty())                                                                        \
            QFAIL(qPrintable(why));                                                                \
    } while (false)

// Starts an end-to-end session.
#define START_SESSION(session, ...) VERIFY_STARTED((session).start(__VA_ARGS__))

// Skips the whole suite on a machine without what the real program needs on screen.
#define SKIP_WITHOUT_PREREQUISITES()                                                               \
    do {                                                                                           \
        const QString missing = harness::missingPrerequisite();                                    \
        if (!missing.isEmpty())                                                                    \
            QSKIP(qPrintable(missing));                                                            \
    } while (false)

// main() of an end-to-end suite: on an X display of its own where CTest asks for one (see
// OwnDisplay); without any display it still starts (offscreen) and skips what needs one.
#define LASER_DISPLAY_TEST_MAIN(TestClass)                                                         \
    int main(int argc, char **argv) {                                                              \
        harness::OwnDisplay display;                                                               \
        QApplication app(argc, argv);                                                              \
        TestClass test;                                                                            \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
