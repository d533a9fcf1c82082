#pragma once

#include <cstdio>
#include <cstdlib>

// Stops the fuzzer with the line of the invariant that broke; libFuzzer keeps the input.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "invariant broken at line %d: %s\n", __LINE__, #condition);       \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)
