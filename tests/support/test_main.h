#pragma once

#include "support/work_dir.h"

#include <QApplication>
#include <QTest>

// main() of a window suite whose cases all run in one working directory with the Chinese
// preference, so that captions and box texts are the untranslated sources; otherwise as
// QTEST_MAIN.
#define LASER_WINDOW_TEST_MAIN(TestClass)                                                          \
    int main(int argc, char **argv) {                                                              \
        QApplication app(argc, argv);                                                              \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                   \
        const auto work = WorkDir::chinese();                                                      \
        TestClass test;                                                                            \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
