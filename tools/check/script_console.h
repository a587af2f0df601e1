// The checker's console binding: the game loop reads a key script that is
// held in memory, and what the game writes is thrown away. The checker's own
// messages go through stdio, not through this binding.
#pragma once

#include <cstddef>
#include <cstdint>

/// Makes `size` bytes at `script` the console input of the next game; the
/// bytes must outlive it.
void startScriptConsole(const char* script, std::size_t size);

/// The script line the game read last, counted from 1; 0 before the first.
std::uint64_t scriptLineNumber();

/// The bytes of that line, without its line end (a CR before the LF is
/// dropped as the console drops it).
void lastScriptLine(const char** bytes, std::size_t* length);
