// The console binding of the browser engine.
#include "web_console.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "console_binding.h"

namespace {

// A block from the C heap that grows by doubling; `failed` once it could
// not grow, after which more bytes are dropped.
struct GrowingBlock {
    char* bytes = nullptr;
    std::size_t used = 0;
    std::size_t capacity = 0;
    bool failed = false;
};

bool makeRoom(GrowingBlock* block, std::size_t more) {
    if (block->failed) return false;
    if (more <= block->capacity - block->used) return true;
    std::size_t capacity = block->capacity == 0 ? 4096 : block->capacity;
    while (capacity - block->used < more) {
        if (capacity > SIZE_MAX / 2) {
            block->failed = true;
            return false;
        }
        capacity *= 2;
    }
    char* grown = static_cast<char*>(std::realloc(block->bytes, capacity));
    if (grown == nullptr) {
        block->failed = true;
        return false;
    }
    block->bytes = grown;
    block->capacity = capacity;
    return true;
}

void append(GrowingBlock* block, const void* bytes, std::size_t length) {
    if (!makeRoom(block, length)) return;
    std::memcpy(block->bytes + block->used, bytes, length);
    block->used += length;
}

struct WebConsole {
    const char* input = nullptr;
    std::size_t inputSize = 0;
    std::size_t inputOffset = 0;
    bool inputClosed = false;
    bool ranOut = false;
    std::size_t outputAtWait = 0;
    GrowingBlock output;
    GrowingBlock reads;  // std::size_t output sizes, one per line read begun
};
WebConsole console;

}  // namespace

void startWebConsole(const char* input, std::size_t size, bool inputClosed) {
    console.input = input;
    console.inputSize = size;
    console.inputOffset = 0;
    console.inputClosed = inputClosed;
    console.ranOut = false;
    console.outputAtWait = 0;
    console.output.used = 0;
    console.output.failed = false;
    console.reads.used = 0;
    console.reads.failed = false;
}

bool webInputRanOut() {
    return console.ranOut;
}

void cutWebOutputAtWait() {
    if (console.ranOut && console.outputAtWait < console.output.used) console.output.used = console.outputAtWait;
}

const char* webOutput() {
    return console.output.bytes != nullptr ? console.output.bytes : "";
}

std::size_t webOutputSize() {
    return console.output.used;
}

bool webOutputFailed() {
    return console.output.failed || console.reads.failed;
}

std::size_t webReadCount() {
    return console.reads.used / sizeof(std::size_t);
}

std::size_t webReadOutputSize(std::size_t read) {
    std::size_t size = 0;
    if (read < webReadCount()) std::memcpy(&size, console.reads.bytes + read * sizeof size, sizeof size);
    return size;
}

const std::size_t* webReadOutputSizes() {
    // The block comes from realloc, aligned for any type.
    static const std::size_t none = 0;
    return console.reads.bytes != nullptr ? reinterpret_cast<const std::size_t*>(console.reads.bytes) : &none;
}

int consoleReadByte() {
    if (console.inputOffset < console.inputSize) {
        return static_cast<unsigned char>(console.input[console.inputOffset++]);
    }
    if (!console.inputClosed && !console.ranOut) {
        console.ranOut = true;
        console.outputAtWait = console.output.used;
    }
    return -1;
}

// Called as each line read begins.
void consolePrepareForInput() {
    std::size_t outputSize = console.output.used;
    append(&console.reads, &outputSize, sizeof outputSize);
}

void writeOutput(const char* bytes, std::size_t length) {
    append(&console.output, bytes, length);
}

void writeText(const char* text) {
    append(&console.output, text, std::strlen(text));
}

bool finishOutput() {
    return !webOutputFailed();
}

// Nothing in the core ends the process; should it ever, the page learns of
// it as a failed call and starts a fresh engine.
void exitWithFailure() {
    std::abort();
}
