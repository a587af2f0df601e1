#include "file_reading.h"

#if defined(_WIN32)
#include <windows.h>
#endif

std::FILE* openFileForReading(const char* path) {
#if defined(_WIN32)
    DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return std::fopen("NUL", "rb");
    }
#endif
    return std::fopen(path, "rb");
}
