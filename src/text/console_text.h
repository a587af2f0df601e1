// Console routines shared by the whole program: line input from the player
// and the "Error: " form of messages. Output itself goes through the console
// binding.
#pragma once

#include "console_binding.h"
#include "text_bytes.h"

/// Reads one line from standard input into `buffer` (LINE_BUFFER_SIZE bytes),
/// without its LF and without a CR directly before that LF. Returns false, and
/// leaves the buffer untouched, when the input ends (or fails) before any byte.
/// A line longer than 511 bytes is consumed whole and comes back as its first
/// 511 bytes, which can never be a key or "exit".
/// When standard output is a terminal, it is flushed first, so the player sees
/// everything written so far before the program waits.
bool readConsoleLine(char* buffer);

/// Writes "Error: <message>\n", the form every fatal message takes.
void writeErrorLine(const char* message);

/// Writes the message as writeErrorLine does and ends the process with
/// status -1: the console program's end when the map has a defect. Nothing
/// in the core calls it: the core reports defects to its caller (MapDefect)
/// and leaves the process alone.
[[noreturn]] void fatalError(const char* message);
