// The console on POSIX systems: streams carry bytes as they are, and a
// terminal shows whatever the map holds in its own encoding.
#include "console_system.h"

#include <cerrno>
#include <cstdio>
#include <unistd.h>

void systemStartStreams() {}

int systemReadByte() {
    int byte = getc_unlocked(stdin);
    return byte == EOF ? -1 : byte;
}

bool systemOutputIsTerminal() {
    return isatty(STDOUT_FILENO) != 0;
}

bool systemWriteOutput(const char* bytes, std::size_t length) {
    while (length > 0) {
        ssize_t written = write(STDOUT_FILENO, bytes, length);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes += written;
        length -= static_cast<std::size_t>(written);
    }
    return true;
}

bool systemTerminalHasCodePage() {
    return false;
}

void systemShowMapTextAs(MapEncoding) {}

void systemPrepareTerminal(const char*, std::size_t) {}

void systemRestoreTerminal() {}
