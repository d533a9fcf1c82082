#pragma once

#include <QApplication>
#include <QTest>

// main() of a test that drives real windows on DISPLAY: without a display it still starts
// (offscreen) and skips what needs one.
#define LASER_DISPLAY_TEST_MAIN(TestClass)                                                         \
    int main(int argc, char **argv) {                                                              \
        if (qEnvironmentVariableIsEmpty("DISPLAY"))                                                \
            qputenv("QT_QPA_PLATFORM", "offscreen");                                               \
        QApplication app(argc, argv);                                                              \
        TestClass test;                                                                            \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
