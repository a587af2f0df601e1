// Random bytes from the system, for what must differ on every run (a fresh
// IFID): native programs only; a page gets them from the browser's crypto.
#pragma once

#include <cstddef>

/// Fills `bytes` with `count` bytes of std::random_device.
void fillRandomBytes(unsigned char* bytes, std::size_t count);
