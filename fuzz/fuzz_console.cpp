#include "fuzz_console.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "console_binding.h"

namespace {

const std::uint8_t* input = nullptr;
std::size_t inputSize = 0;
std::size_t inputOffset = 0;
std::size_t outputBytes = 0;

}  // namespace

void setFuzzConsoleInput(const std::uint8_t* data, std::size_t size) {
    input = data;
    inputSize = size;
    inputOffset = 0;
    outputBytes = 0;
}

std::size_t fuzzConsoleOutputBytes() {
    return outputBytes;
}

std::size_t fuzzConsoleInputConsumed() {
    return inputOffset;
}

void fuzzCheckFailed(const char* condition, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: invariant failed: %s\n", file, line, condition);
    std::abort();
}

void startConsole() {}

int consoleReadByte() {
    return inputOffset < inputSize ? input[inputOffset++] : -1;
}

void consolePrepareForInput() {}

void writeOutput(const char*, std::size_t length) {
    outputBytes += length;
}

void writeText(const char* text) {
    outputBytes += std::strlen(text);
}

bool finishOutput() {
    return true;
}

void exitWithFailure() {
    fuzzCheckFailed("the core ended the process", __FILE__, __LINE__);
}
