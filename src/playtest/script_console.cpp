#include "script_console.h"

#include <cstdlib>
#include <cstring>

#include "console_binding.h"

namespace {

struct ScriptConsole {
    const char* bytes = nullptr;
    std::size_t size = 0;
    std::size_t offset = 0;
    std::uint64_t lineNumber = 0;
    bool atLineStart = true;        // the next byte starts a line
    ScriptOutput* output = nullptr;  // null: the output is dropped
};
ScriptConsole console;

}  // namespace

void startScriptConsole(const char* script, std::size_t size) {
    console = ScriptConsole{script, size, 0, 0, true, nullptr};
}

void keepScriptOutput(ScriptOutput* output) {
    console.output = output;
}

std::uint64_t scriptLineNumber() {
    return console.lineNumber;
}

int consoleReadByte() {
    if (console.offset >= console.size) return -1;
    if (console.atLineStart) {
        console.atLineStart = false;
        ++console.lineNumber;
        if (console.output != nullptr) console.output->lineOffsets.push_back(console.output->bytes.size());
    }
    unsigned char byte = static_cast<unsigned char>(console.bytes[console.offset++]);
    if (byte == '\n') console.atLineStart = true;
    return byte;
}

void consolePrepareForInput() {}

void writeOutput(const char* bytes, std::size_t length) {
    if (console.output != nullptr) console.output->bytes.append(bytes, length);
}

void writeText(const char* text) {
    if (console.output != nullptr) console.output->bytes.append(text, std::strlen(text));
}

bool finishOutput() {
    return true;
}

// The core reports defects to its caller and never ends the process:
// reaching this is a fault of the program, not of the map.
void exitWithFailure() {
    std::abort();
}
