#include "output_files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#if defined(_WIN32)
#include <process.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

// Unique to this process, so two runs writing the same file never share one.
std::string temporaryPath(const std::string& path) {
#if defined(_WIN32)
    long id = _getpid();
#else
    long id = static_cast<long>(getpid());
#endif
    return path + ".tmp" + std::to_string(id);
}

// POSIX rename replaces the target in one step; Windows's needs asking.
bool moveOver(const std::string& from, const std::string& to, std::string* error) {
#if defined(_WIN32)
    if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0) return true;
    *error = "the file cannot be replaced (Windows error " + std::to_string(GetLastError()) + ")";
    return false;
#else
    if (std::rename(from.c_str(), to.c_str()) == 0) return true;
    *error = std::strerror(errno);
    return false;
#endif
}

}  // namespace

bool replaceFile(const std::string& path, const std::string& bytes, std::string* error) {
    std::string temporary = temporaryPath(path);
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (file == nullptr) {
        *error = std::strerror(errno);
        return false;
    }
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    int reason = errno;
    if (std::fclose(file) != 0 && written) {
        written = false;
        reason = errno;
    }
    if (written && moveOver(temporary, path, error)) return true;
    if (!written) *error = std::strerror(reason);
    std::remove(temporary.c_str());
    return false;
}

bool writeCheckerFile(const std::string& path, const std::string& bytes) {
    std::string error;
    if (replaceFile(path, bytes, &error)) return true;
    std::fflush(stdout);
    std::fprintf(stderr, "%s: error: cannot write: %s\n", path.c_str(), error.c_str());
    return false;
}
