#include "lsp_framing.h"

#include <cstring>

#include "diagnostic_text.h"
#include "text_bytes.h"

namespace {

constexpr std::size_t READ_CHUNK = 1 << 16;
constexpr std::size_t SMALL_BUFFER = 1 << 20;
constexpr char LENGTH_HEADER[] = "content-length:";
constexpr std::size_t LENGTH_HEADER_SIZE = sizeof LENGTH_HEADER - 1;

std::size_t unread(const MessageReader& reader) {
    return reader.buffer.size() - reader.start;
}

// Makes at least `wanted` unread bytes available; false when the input ends
// first. Bytes already taken are dropped once they are half the buffer.
bool fill(MessageReader* reader, std::size_t wanted) {
    while (unread(*reader) < wanted) {
        if (reader->ended) return false;
        if (reader->start > 0 && reader->start >= reader->buffer.size() / 2) {
            reader->buffer.erase(0, reader->start);
            reader->start = 0;
        }
        if (reader->waiting != nullptr) reader->waiting(reader->waitingContext);
        char chunk[READ_CHUNK];
        std::size_t got = reader->streams.read(reader->streams.context, chunk, sizeof chunk);
        if (got == 0) {
            reader->ended = true;
            return false;
        }
        reader->buffer.append(chunk, got);
    }
    return true;
}

enum LineOutcome { LineRead, LineTooLong, LineEnded };

// The next header line, without its CR LF (or LF).
LineOutcome readHeaderLine(MessageReader* reader, std::string* line) {
    std::size_t searched = 0;
    for (;;) {
        const char* begin = reader->buffer.data() + reader->start;
        const void* end = std::memchr(begin + searched, '\n', unread(*reader) - searched);
        if (end != nullptr) {
            std::size_t length = static_cast<std::size_t>(static_cast<const char*>(end) - begin);
            reader->start += length + 1;
            if (length > MAX_HEADER_LINE) return LineTooLong;
            line->assign(begin, length);
            if (!line->empty() && line->back() == '\r') line->pop_back();
            return LineRead;
        }
        searched = unread(*reader);
        if (searched > MAX_HEADER_LINE) return LineTooLong;
        if (!fill(reader, searched + 1)) return LineEnded;
    }
}

bool isLengthHeaderAt(const MessageReader& reader, std::size_t at) {
    for (std::size_t i = 0; i < LENGTH_HEADER_SIZE; ++i) {
        if (lowercaseByte(reader.buffer[at + i]) != LENGTH_HEADER[i]) return false;
    }
    return true;
}

// Drops bytes up to the next "Content-Length:" (in any case); false when the
// input ends first. The bytes searched are let go as the search goes on.
bool findNextHeader(MessageReader* reader) {
    for (;;) {
        std::size_t end = reader->buffer.size();
        for (std::size_t at = reader->start; at + LENGTH_HEADER_SIZE <= end; ++at) {
            if (isLengthHeaderAt(*reader, at)) {
                reader->start = at;
                return true;
            }
        }
        // Keep what could be the start of the header, cut by the read.
        if (end - reader->start >= LENGTH_HEADER_SIZE) reader->start = end - (LENGTH_HEADER_SIZE - 1);
        if (!fill(reader, unread(*reader) + 1)) return false;
    }
}

// A Content-Length value: decimal digits, at most MAX_BODY.
bool readLength(const std::string& value, std::size_t* length) {
    if (value.empty()) return false;
    std::size_t read = 0;
    for (char byte : value) {
        if (!isDigitByte(byte)) return false;
        read = read * 10 + static_cast<std::size_t>(byte - '0');
        if (read > MAX_BODY) return false;
    }
    *length = read;
    return true;
}

// One "Name: value" line; other headers than Content-Length (Content-Type)
// say nothing the server needs.
bool readHeader(const std::string& line, bool* lengthGiven, std::size_t* length, std::string* problem) {
    std::size_t colon = line.find(':');
    if (colon == std::string::npos) {
        *problem = "a header line has no colon: '" + shownText(line.data(), line.size()) + "'";
        return false;
    }
    std::string name = trimmed(line.substr(0, colon));
    for (char& byte : name) byte = lowercaseByte(byte);
    if (name != "content-length") return true;
    std::string value = trimmed(line.substr(colon + 1));
    if (!readLength(value, length)) {
        *problem = "Content-Length '" + shownText(value.data(), value.size()) + "' is not a number of bytes from 0 to " +
                   std::to_string(MAX_BODY);
        return false;
    }
    *lengthGiven = true;
    return true;
}

ReadOutcome lose(MessageReader* reader, std::string* problem, const std::string& what) {
    reader->lost = true;
    *problem = what;
    return BadFrame;
}

}  // namespace

ReadOutcome readMessage(MessageReader* reader, std::string* body, std::string* problem) {
    if (reader->lost && !findNextHeader(reader)) return InputEnded;
    reader->lost = false;
    bool anyHeader = false;
    bool lengthGiven = false;
    std::size_t length = 0;
    std::string line;
    for (;;) {
        LineOutcome outcome = readHeaderLine(reader, &line);
        if (outcome == LineEnded) return InputEnded;
        if (outcome == LineTooLong) {
            return lose(reader, problem, "a header line is longer than " + std::to_string(MAX_HEADER_LINE) + " bytes");
        }
        if (line.empty()) {
            if (!anyHeader) continue;  // blank lines between messages
            break;
        }
        anyHeader = true;
        std::string what;
        if (!readHeader(line, &lengthGiven, &length, &what)) return lose(reader, problem, what);
    }
    if (!lengthGiven) return lose(reader, problem, "a message's header has no Content-Length");
    if (!fill(reader, length)) return InputEnded;
    body->assign(reader->buffer, reader->start, length);
    reader->start += length;
    // A large message leaves a large buffer behind; what is left of it is
    // moved to one of its own size.
    if (reader->buffer.capacity() > SMALL_BUFFER && unread(*reader) < SMALL_BUFFER) {
        reader->buffer = reader->buffer.substr(reader->start);
        reader->start = 0;
    }
    return MessageRead;
}

std::string framedMessage(const std::string& body) {
    return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}
