#pragma once

#include <cstdio>
#include <cstdlib>

// Ends the run when the code under test breaks one of its promises; libFuzzer then keeps the
// input that did it as a crash file.
#define FUZZ_CHECK(condition, promise)                                                             \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "broken promise: %s\n  (%s at %s:%d)\n", promise, #condition,     \
                         __FILE__, __LINE__);                                                      \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)
