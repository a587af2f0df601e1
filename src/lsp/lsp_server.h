// kaland-check's language server: the checker's answers about a map, for
// any editor that speaks the Language Server Protocol (3.17) over a pair of
// byte streams. One server holds any number of open maps.
#pragma once

#include <cstddef>
#include <cstdint>

// The two streams a server talks over: messages in, messages out.
struct LspStreams {
    void* context;
    /// Reads up to `size` bytes into `buffer` and returns how many, blocking
    /// until there is at least one; 0 at the end of the input.
    std::size_t (*read)(void* context, char* buffer, std::size_t size);
    /// Writes every byte; false when the other side is gone.
    bool (*write)(void* context, const char* bytes, std::size_t size);
};

/// Standard input and output, read and written as bytes.
LspStreams standardStreams();

/// Serves until the client says exit or the input ends, and returns the
/// exit status the protocol asks for: 0 when a shutdown request came first,
/// 1 otherwise. Maps are checked as kaland-check checks them, with a table
/// of at most `machineMemory` bytes; `version` is told to the client.
int serveLanguageProtocol(const LspStreams& streams, std::uint64_t machineMemory, const char* version);
