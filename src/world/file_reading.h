// Opening a file to read its bytes exactly as stored, the same way on every
// system.
#pragma once

#include <cstdio>

/// Opens `path` for reading in binary mode, or returns null when it cannot be
/// opened. A directory opens as a file that reads as empty: POSIX systems
/// open one and fail its first read, and Windows, which refuses to open it,
/// is made to match.
std::FILE* openFileForReading(const char* path);
