// The protocol's framing: each message is a header block ("Content-Length:
// N", other headers, an empty line, each line ending in CR LF) and a body of
// N bytes. The reader takes whatever the stream hands it, and after a frame
// it cannot read it looks for the next "Content-Length:" and goes on from
// there, so one bad message never stops the ones after it.
#pragma once

#include <cstddef>
#include <string>

#include "lsp_server.h"

// Limits that keep a hostile or broken client from taking all memory: a
// header line longer than any real one, and a body far larger than a map of
// 20 MB with its JSON escapes.
constexpr std::size_t MAX_HEADER_LINE = 8192;
constexpr std::size_t MAX_BODY = std::size_t{256} << 20;

struct MessageReader {
    LspStreams streams;
    // Called before the reader waits for more input: the moment to do work
    // that later messages could make unnecessary.
    void (*waiting)(void* context) = nullptr;
    void* waitingContext = nullptr;
    std::string buffer;   // bytes read, not yet taken: buffer[start, end)
    std::size_t start = 0;
    bool ended = false;   // the stream has no more
    bool lost = false;    // the last frame was bad: look for the next header first
};

enum ReadOutcome {
    MessageRead,  // `body` holds the next message's body
    BadFrame,     // `problem` says what was wrong; the reader goes on after it
    InputEnded,
};

/// Reads the next message.
ReadOutcome readMessage(MessageReader* reader, std::string* body, std::string* problem);

/// A body with its header, ready to write.
std::string framedMessage(const std::string& body);
