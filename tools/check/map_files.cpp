#include "map_files.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

#include "file_reading.h"

namespace {

bool readOpenFile(std::FILE* file, std::string* bytes, std::string* error, std::size_t limit) {
    std::size_t size = 0;
    char* data = readWholeStream(file, &size, limit);
    if (data == nullptr) {
        *error = "not enough memory";
        return false;
    }
    if (std::ferror(file) != 0) {
        *error = std::string("cannot read: ") + std::strerror(errno);
        std::free(data);
        return false;
    }
    bytes->assign(data, size);
    std::free(data);
    return true;
}

}  // namespace

bool readWholeFile(const char* path, std::string* bytes, std::string* error, std::size_t limit) {
    struct stat status;
    if (stat(path, &status) == 0 && S_ISDIR(status.st_mode)) {
        *error = "is a directory";
        return false;
    }
    std::FILE* file = openFileForReading(path);
    if (file == nullptr) {
        *error = std::string("cannot open: ") + std::strerror(errno);
        return false;
    }
    bool read = readOpenFile(file, bytes, error, limit);
    std::fclose(file);
    return read;
}

bool readArgumentFile(const char* path, std::string* bytes, std::string* error) {
    if (std::strcmp(path, "-") == 0) return readOpenFile(stdin, bytes, error, SIZE_MAX);
    return readWholeFile(path, bytes, error);
}

bool readKeyScripts(const std::vector<std::string>& paths, std::vector<KeyScript>* scripts) {
    bool read = true;
    for (const std::string& path : paths) {
        KeyScript script{path, {}};
        std::string error;
        if (readArgumentFile(path.c_str(), &script.bytes, &error)) {
            scripts->push_back(std::move(script));
        } else {
            std::fprintf(stderr, "%s: error: %s\n", path.c_str(), error.c_str());
            read = false;
        }
    }
    return read;
}
