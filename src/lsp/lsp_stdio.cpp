// The language server's streams: standard input and output as bytes, read
// as soon as anything arrives (a message must be answered before the next
// one comes).
#include "lsp_server.h"

#include <climits>

#ifdef _WIN32
#include <io.h>
#else
#include <cerrno>
#include <csignal>
#include <unistd.h>
#endif

namespace {

#ifdef _WIN32
std::size_t readInput(void*, char* buffer, std::size_t size) {
    int got = _read(0, buffer, static_cast<unsigned>(size < INT_MAX ? size : INT_MAX));
    return got > 0 ? static_cast<std::size_t>(got) : 0;
}

bool writeOutput(void*, const char* bytes, std::size_t size) {
    while (size > 0) {
        int written = _write(1, bytes, static_cast<unsigned>(size < INT_MAX ? size : INT_MAX));
        if (written <= 0) return false;
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}
#else
std::size_t readInput(void*, char* buffer, std::size_t size) {
    for (;;) {
        ssize_t got = read(STDIN_FILENO, buffer, size);
        if (got >= 0) return static_cast<std::size_t>(got);
        if (errno != EINTR) return 0;
    }
}

bool writeOutput(void*, const char* bytes, std::size_t size) {
    while (size > 0) {
        ssize_t written = write(STDOUT_FILENO, bytes, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}
#endif

}  // namespace

LspStreams standardStreams() {
#ifndef _WIN32
    // A client that goes away leaves a write failing, not the process killed.
    std::signal(SIGPIPE, SIG_IGN);
#endif
    return LspStreams{nullptr, readInput, writeOutput};
}
