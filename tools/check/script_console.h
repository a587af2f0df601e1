// The checker's console binding: the game loop reads a key script that is
// held in memory, and what the game writes is thrown away. It touches no
// stream: the checker's own messages are its program's business.
#pragma once

#include <cstddef>
#include <cstdint>

/// Makes `size` bytes at `script` the console input of the next game; the
/// bytes must outlive it.
void startScriptConsole(const char* script, std::size_t size);

/// The script line the game read last, counted from 1; 0 before the first.
std::uint64_t scriptLineNumber();
