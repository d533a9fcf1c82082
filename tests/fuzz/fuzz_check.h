#pragma once

#include <cstdio>
#include <cstdlib>

// Stops the fuzz run, with the line, when an invariant of the code under test breaks.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "invariant broken at line %d: %s\n", __LINE__, #condition);       \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)
