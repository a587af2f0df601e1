// The checker's console binding: the game loop reads a key script that is
// held in memory, and what the game writes is thrown away or, for a
// transcript, kept with where each script line was read. It touches no
// stream: the checker's own messages are its program's business.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

/// What a game wrote, kept for a transcript.
struct ScriptOutput {
    std::string bytes;                     // standard output, byte for byte
    std::vector<std::size_t> lineOffsets;  // the output's size when script line i + 1 began to be read
};

/// Makes `size` bytes at `script` the console input of the next game; the
/// bytes must outlive it. What the game writes is dropped, unless
/// keepScriptOutput says where to keep it.
void startScriptConsole(const char* script, std::size_t size);

/// Appends what the game started by startScriptConsole writes to `output`,
/// with where each script line was read; null drops it again.
void keepScriptOutput(ScriptOutput* output);

/// The script line the game read last, counted from 1; 0 before the first.
std::uint64_t scriptLineNumber();
