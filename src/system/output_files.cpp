#include "output_files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

bool writeStandardOutput(const std::string& bytes, std::string* error) {
#if defined(_WIN32)
    _setmode(_fileno(stdout), _O_BINARY);  // a page or a zip, not text
#endif
    errno = 0;
    if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size() && std::fflush(stdout) == 0) return true;
    *error = std::strerror(errno != 0 ? errno : EIO);
    return false;
}

#if defined(_WIN32)

// Unique to this process, so two runs writing the same file never share one.
std::string temporaryPath(const std::string& path) {
    return path + ".tmp" + std::to_string(_getpid());
}

// Windows's rename does not replace a file: MoveFileEx does, when asked.
bool replaceRegularFile(const std::string& path, const std::string& bytes, std::string* error) {
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
    if (written &&
        MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0) {
        return true;
    }
    *error = written ? "the file cannot be replaced (Windows error " + std::to_string(GetLastError()) + ")"
                     : std::strerror(reason);
    std::remove(temporary.c_str());
    return false;
}

#else

// Writes all of `bytes` to `descriptor`, through interruptions and short
// writes. Leaves errno set when it fails.
bool writeAll(int descriptor, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t written = write(descriptor, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            if (written == 0) errno = EIO;
            return false;
        }
        done += static_cast<std::size_t>(written);
    }
    return true;
}

// The folder part of a path, up to and with its last '/' ("" for none).
std::string folderOf(const std::string& path) {
    std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

// Where a path leads once its symbolic links are followed: `target` is the
// last link's target (or `path` itself), which `status` describes, or which
// does not exist (`exists` false). False with the reason in `error`.
bool followLinks(const std::string& path, std::string* target, struct stat* status, bool* exists,
                 std::string* error) {
    std::string current = path;
    for (int hop = 0; hop < 40; ++hop) {
        if (lstat(current.c_str(), status) != 0) {
            if (errno != ENOENT) break;
            *target = current;
            *exists = false;
            return true;
        }
        if (!S_ISLNK(status->st_mode)) {
            *target = current;
            *exists = true;
            return true;
        }
        char link[4096];
        ssize_t length = readlink(current.c_str(), link, sizeof link);
        if (length < 0) break;
        if (static_cast<std::size_t>(length) == sizeof link) {
            errno = ENAMETOOLONG;
            break;
        }
        std::string next(link, static_cast<std::size_t>(length));
        current = next[0] == '/' ? next : folderOf(current) + next;
        errno = ELOOP;
    }
    *error = std::strerror(errno);
    return false;
}

// A named pipe or a device takes the bytes as they come: a reader of the
// pipe gets them, and the node stays what it was.
bool writeDirectly(const std::string& path, const std::string& bytes, std::string* error) {
    int descriptor = open(path.c_str(), O_WRONLY | O_NOCTTY);
    if (descriptor < 0) {
        *error = std::strerror(errno);
        return false;
    }
    struct stat status;
    // Whatever took the path's place since it was looked at is not written into.
    if (fstat(descriptor, &status) != 0 || S_ISREG(status.st_mode) || S_ISDIR(status.st_mode)) {
        close(descriptor);
        *error = "the file changed while it was being written";
        return false;
    }
    bool written = writeAll(descriptor, bytes);
    int reason = errno;
    if (close(descriptor) != 0 && written) {
        written = false;
        reason = errno;
    }
    if (!written) *error = std::strerror(reason);
    return written;
}

// Makes a temporary file beside `path` that no one else holds: made anew
// (never through a link someone left at its name), unique to this process.
int makeTemporaryFile(const std::string& path, std::string* temporary) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        *temporary = path + ".tmp" + std::to_string(static_cast<long>(getpid())) +
                     (attempt == 0 ? "" : "-" + std::to_string(attempt));
        int descriptor = open(temporary->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY, 0666);
        if (descriptor >= 0 || errno != EEXIST) return descriptor;
    }
    return -1;
}

// A regular file (or a new one) is replaced by a temporary file renamed
// over it, in one step. `status` is the old file's, when there is one.
bool replaceRegularFile(const std::string& path, const std::string& bytes, const struct stat* status,
                        std::string* error) {
    std::string temporary;
    int descriptor = makeTemporaryFile(path, &temporary);
    if (descriptor < 0) {
        *error = std::strerror(errno);
        return false;
    }
    if (status != nullptr) fchmod(descriptor, status->st_mode & 07777);
    bool written = writeAll(descriptor, bytes);
    int reason = errno;
    if (close(descriptor) != 0 && written) {
        written = false;
        reason = errno;
    }
    if (written && std::rename(temporary.c_str(), path.c_str()) == 0) return true;
    if (written) reason = errno;
    *error = std::strerror(reason);
    unlink(temporary.c_str());
    return false;
}

#endif

}  // namespace

bool replaceFile(const std::string& path, const std::string& bytes, std::string* error) {
    if (path == "-") return writeStandardOutput(bytes, error);
#if defined(_WIN32)
    return replaceRegularFile(path, bytes, error);
#else
    std::string target;
    struct stat status;
    bool exists = false;
    if (!followLinks(path, &target, &status, &exists, error)) return false;
    if (!exists) return replaceRegularFile(target, bytes, nullptr, error);
    if (S_ISREG(status.st_mode)) return replaceRegularFile(target, bytes, &status, error);
    if (S_ISFIFO(status.st_mode) || S_ISCHR(status.st_mode) || S_ISBLK(status.st_mode)) {
        return writeDirectly(target, bytes, error);
    }
    *error = S_ISDIR(status.st_mode) ? std::strerror(EISDIR) : "not a file, a named pipe or a device";
    return false;
#endif
}

bool writeCheckerFile(const std::string& path, const std::string& bytes) {
    std::string error;
    if (replaceFile(path, bytes, &error)) return true;
    std::fflush(stdout);
    std::fprintf(stderr, "%s: error: cannot write: %s\n", path.c_str(), error.c_str());
    return false;
}

bool finishStandardOutput(const char* program) {
    // A write that failed earlier has set the stream's error, and its reason
    // is gone by now; a flush or a close that fails says why.
    bool failedEarlier = std::ferror(stdout) != 0;
    errno = 0;
    bool failed = std::fflush(stdout) != 0;
    int reason = errno;
    if (std::fclose(stdout) != 0 && !failed) {
        failed = true;
        reason = errno;
    }
    if (!failed && !failedEarlier) return true;
    std::fprintf(stderr, "%s: cannot write standard output: %s\n", program,
                 failed && reason != 0 ? std::strerror(reason) : "a write failed");
    return false;
}
