// Opening a file to read its bytes exactly as stored, the same way on every
// system.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

/// Opens `path` for reading in binary mode, or returns null when it cannot be
/// opened. A directory opens as a file that reads as empty: POSIX systems
/// open one and fail its first read, and Windows, which refuses to open it,
/// is made to match.
std::FILE* openFileForReading(const char* path);

/// Reads `file` from where it stands to its end, or to its first `limit`
/// bytes, into a block from the C heap that the caller frees with
/// std::free. Returns null when the memory cannot be had. A read error ends
/// the bytes as the end of the file would; std::ferror(file) tells it.
char* readWholeStream(std::FILE* file, std::size_t* size, std::size_t limit = SIZE_MAX);
