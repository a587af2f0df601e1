#include "map_files.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

#include "file_reading.h"

std::FILE* openInputFile(const char* path, bool dashIsInput, std::string* error) {
    if (dashIsInput && std::strcmp(path, "-") == 0) return stdin;
    struct stat status;
    if (stat(path, &status) == 0 && S_ISDIR(status.st_mode)) {
        *error = "is a directory";
        return nullptr;
    }
    std::FILE* file = openFileForReading(path);
    if (file == nullptr) *error = std::string("cannot open: ") + std::strerror(errno);
    return file;
}

void closeInputFile(std::FILE* file) {
    if (file != stdin) std::fclose(file);
}

bool readWholeFile(const char* path, bool dashIsInput, std::string* bytes, std::string* error, std::size_t limit) {
    std::FILE* file = openInputFile(path, dashIsInput, error);
    if (file == nullptr) return false;
    std::size_t size = 0;
    char* data = readWholeStream(file, &size, limit);
    bool read = data != nullptr && std::ferror(file) == 0;
    if (data == nullptr) {
        *error = "not enough memory";
    } else if (!read) {
        *error = std::string("cannot read: ") + std::strerror(errno);
    } else {
        bytes->assign(data, size);
    }
    std::free(data);
    closeInputFile(file);
    return read;
}
