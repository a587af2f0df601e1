#include "file_reading.h"

#include <cstdlib>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace {

// The first block read; it doubles as the bytes keep coming.
constexpr std::size_t READ_BLOCK = std::size_t{1} << 17;

}  // namespace

std::FILE* openFileForReading(const char* path) {
#if defined(_WIN32)
    DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return std::fopen("NUL", "rb");
    }
#endif
    return std::fopen(path, "rb");
}

char* readWholeStream(std::FILE* file, std::size_t* size, std::size_t limit) {
    std::size_t capacity = limit < READ_BLOCK ? limit : READ_BLOCK;
    char* data = static_cast<char*>(std::malloc(capacity > 0 ? capacity : 1));
    *size = 0;
    while (data != nullptr) {
        *size += std::fread(data + *size, 1, capacity - *size, file);
        if (*size < capacity || capacity == limit) break;
        std::size_t larger = capacity <= limit / 2 ? capacity * 2 : limit;
        // The limit alone keeps `larger` in range; the SIZE_MAX / 2 test keeps
        // GCC from warning that it may ask realloc for more than any object.
        char* grown = capacity <= SIZE_MAX / 2 ? static_cast<char*>(std::realloc(data, larger)) : nullptr;
        if (grown == nullptr) std::free(data);
        data = grown;
        capacity = larger;
    }
    return data;
}
