#include "console_text.h"

#include <cstring>

namespace {

constexpr std::size_t LINE_CAPACITY = LINE_BUFFER_SIZE - 1;

// Appends one byte of a console line; past the buffer's capacity the byte is
// only counted, so that an overlong line is still consumed whole.
void appendLineByte(char* buffer, std::size_t* length, int byte) {
    if (*length < LINE_CAPACITY) buffer[*length] = static_cast<char>(byte);
    ++*length;
}

}  // namespace

bool readConsoleLine(char* buffer) {
    consolePrepareForInput();
    int byte = consoleReadByte();
    if (byte < 0) return false;

    std::size_t length = 0;
    while (byte >= 0 && byte != '\n') {
        if (byte == '\r') {
            int next = consoleReadByte();
            if (next == '\n') break;  // CR LF ends the line like LF alone
            appendLineByte(buffer, &length, '\r');
            byte = next;
            continue;
        }
        appendLineByte(buffer, &length, byte);
        byte = consoleReadByte();
    }

    if (length <= LINE_CAPACITY) {
        buffer[length] = '\0';
    } else {
        // An overlong line keeps its first 511 bytes. Those must never read
        // as a key or "exit": a NUL among them would shorten the text, so
        // such a line comes back empty instead.
        buffer[LINE_CAPACITY] = '\0';
        if (std::memchr(buffer, '\0', LINE_CAPACITY) != nullptr) buffer[0] = '\0';
    }
    return true;
}

void writeErrorLine(const char* message) {
    writeText("Error: ");
    writeText(message);
    writeText("\n");
}

void fatalError(const char* message) {
    writeErrorLine(message);
    exitWithFailure();
}
