#include "script_console.h"

#include <cstdio>
#include <cstdlib>

#include "console_binding.h"
#include "console_system.h"

namespace {

struct ScriptConsole {
    const char* bytes = nullptr;
    std::size_t size = 0;
    std::size_t offset = 0;
    std::size_t lineStart = 0;    // offset of the line read last
    std::uint64_t lineNumber = 0;
    bool atLineStart = true;      // the next byte starts a line
};
ScriptConsole console;

}  // namespace

void startScriptConsole(const char* script, std::size_t size) {
    console = ScriptConsole{script, size, 0, 0, 0, true};
}

std::uint64_t scriptLineNumber() {
    return console.lineNumber;
}

void lastScriptLine(const char** bytes, std::size_t* length) {
    std::size_t end = console.lineStart;
    while (end < console.size && console.bytes[end] != '\n') ++end;
    if (end > console.lineStart && console.bytes[end - 1] == '\r' && end < console.size) --end;
    *bytes = console.bytes + console.lineStart;
    *length = console.lineNumber == 0 ? 0 : end - console.lineStart;
}

// The checker's own messages go to the real streams, set up as the
// program's are.
void startConsole() {
    systemStartStreams();
}

int consoleReadByte() {
    if (console.offset >= console.size) return -1;
    if (console.atLineStart) {
        console.atLineStart = false;
        console.lineStart = console.offset;
        ++console.lineNumber;
    }
    unsigned char byte = static_cast<unsigned char>(console.bytes[console.offset++]);
    if (byte == '\n') console.atLineStart = true;
    return byte;
}

void consolePrepareForInput() {}

void writeOutput(const char*, std::size_t) {}

void writeText(const char*) {}

bool finishOutput() {
    return true;
}

void exitWithFailure() {
    // The core reports defects to its caller and never ends the process;
    // reaching this is a fault of the checker, not of the map.
    std::fputs("kaland-check: internal error: the game tried to end the process\n", stderr);
    std::abort();
}
