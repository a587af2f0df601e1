// The console of the fuzz targets: standard input is a piece of memory,
// standard output is only counted, and ending the process jumps back to the
// point the target set with setjmp.
#pragma once

#include <csetjmp>
#include <cstddef>
#include <cstdint>

void setFuzzConsoleInput(const std::uint8_t* data, std::size_t size);
std::size_t fuzzConsoleOutputBytes();
std::size_t fuzzConsoleInputConsumed();
/// Where exitWithFailure jumps to; null makes it abort.
void setFuzzExitPoint(std::jmp_buf* exitPoint);

/// Fails the run with a message when an invariant does not hold.
#define FUZZ_CHECK(condition)                                                             \
    do {                                                                                  \
        if (!(condition)) fuzzCheckFailed(#condition, __FILE__, __LINE__);                 \
    } while (0)
[[noreturn]] void fuzzCheckFailed(const char* condition, const char* file, int line);
