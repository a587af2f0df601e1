// The console binding of the real program: standard input byte by byte,
// standard output through a buffer of our own, and the process exit. What
// differs between systems is in console_system.h.
#include "console_binding.h"
#include "console_stdio.h"

#include <cstdlib>
#include <cstring>
#include <string.h>  // memccpy

#include "console_system.h"

namespace {

// Output is collected here and written in large pieces: a scripted game can
// print hundreds of megabytes. A terminal gets everything before each read.
constexpr std::size_t OUTPUT_BUFFER_SIZE = std::size_t{1} << 18;

struct OutputState {
    bool started = false;
    bool terminal = false;
    bool failed = false;
    std::size_t used = 0;
    char buffer[OUTPUT_BUFFER_SIZE];
};
OutputState output;

void writeAll(const char* bytes, std::size_t length) {
    if (output.failed || length == 0) return;
    if (output.terminal) systemPrepareTerminal(bytes, length);
    if (!systemWriteOutput(bytes, length)) output.failed = true;
}

void flushOutput() {
    writeAll(output.buffer, output.used);
    output.used = 0;
}

// Runs however the process ends normally: whatever is buffered goes out
// before the terminal is put back as it was.
void endOutput() {
    flushOutput();
    systemRestoreTerminal();
}

// Learns on first use whether standard output is a terminal, and makes sure
// whatever is buffered goes out however the process ends.
void startOutput() {
    if (output.started) return;
    output.started = true;
    output.terminal = systemOutputIsTerminal();
    std::atexit(endOutput);
}

}  // namespace

void startConsole() {
    systemStartStreams();
}

bool consoleNeedsMapEncoding() {
    if (!systemTerminalHasCodePage()) return false;
    startOutput();
    return output.terminal;
}

void consoleShowMapTextAs(MapEncoding encoding) {
    systemShowMapTextAs(encoding);
}

int consoleReadByte() {
    return systemReadByte();
}

void consolePrepareForInput() {
    startOutput();
    if (output.terminal) flushOutput();
}

void writeOutput(const char* bytes, std::size_t length) {
    startOutput();
    if (length > OUTPUT_BUFFER_SIZE - output.used) {
        flushOutput();
        if (length >= OUTPUT_BUFFER_SIZE) {
            writeAll(bytes, length);
            return;
        }
    }
    std::memcpy(output.buffer + output.used, bytes, length);
    output.used += length;
}

void writeText(const char* text) {
    startOutput();
    // Copies up to the terminator in one go; only a string longer than the
    // free space takes the slower path.
    std::size_t space = OUTPUT_BUFFER_SIZE - output.used;
    char* end = static_cast<char*>(memccpy(output.buffer + output.used, text, '\0', space));
    if (end != nullptr) {
        output.used = static_cast<std::size_t>(end - output.buffer) - 1;
        return;
    }
    writeOutput(text, std::strlen(text));
}

bool finishOutput() {
    startOutput();
    flushOutput();
    return !output.failed;
}

void exitWithFailure() {
    std::exit(-1);  // the exit handler writes what is still buffered
}
