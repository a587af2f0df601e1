// How much memory this machine can give one program: the size of the
// largest room table the runner could have here.
#pragma once

#include <cstdint>

/// Memory and swap together (on Windows, the commit limit: memory and page
/// files); UINT64_MAX where the system does not tell.
std::uint64_t machineMemoryBytes();
