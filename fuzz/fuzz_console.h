// The console of the fuzz targets: standard input is a piece of memory and
// standard output is only counted. Nothing in the core ends the process, so
// ending it here is a failure of the target.
#pragma once

#include <cstddef>
#include <cstdint>

void setFuzzConsoleInput(const std::uint8_t* data, std::size_t size);
std::size_t fuzzConsoleOutputBytes();
std::size_t fuzzConsoleInputConsumed();

/// Fails the run with a message when an invariant does not hold.
#define FUZZ_CHECK(condition)                                                             \
    do {                                                                                  \
        if (!(condition)) fuzzCheckFailed(#condition, __FILE__, __LINE__);                 \
    } while (0)
[[noreturn]] void fuzzCheckFailed(const char* condition, const char* file, int line);
