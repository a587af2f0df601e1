// Console and text routines shared by the whole program: line input from the
// player, ASCII lowercasing, output to standard output and the one way a
// detected defect ends the process.
#pragma once

#include <cstddef>

// Holds one line of at most 511 bytes and its terminator. Used for map lines
// (newline kept) and console lines (newline dropped).
constexpr std::size_t LINE_BUFFER_SIZE = 512;

/// Reads one line from standard input into `buffer` (LINE_BUFFER_SIZE bytes),
/// without its LF and without a CR directly before that LF. Returns false, and
/// leaves the buffer untouched, when the input ends (or fails) before any byte.
/// A line longer than 511 bytes is consumed whole and comes back as its first
/// 511 bytes, which can never be a key or "exit".
/// When standard output is a terminal, it is flushed first, so the player sees
/// everything written so far before the program waits.
bool readConsoleLine(char* buffer);

/// Replaces A-Z by a-z in a terminated string; every other byte stays.
/// Independent of the locale.
void lowercaseInPlace(char* text);

/// The same rule for one byte.
inline char lowercaseByte(char byte) {
    return (byte >= 'A' && byte <= 'Z') ? static_cast<char>(byte + ('a' - 'A')) : byte;
}

/// True for the bytes a map or a console line counts as white space:
/// 0x09-0x0D and 0x20, in every locale.
inline bool isWhitespaceByte(char byte) {
    return byte == ' ' || (byte >= '\t' && byte <= '\r');
}

/// Writes "Error: <message>\n" and ends the process with status -1.
[[noreturn]] void fatalError(const char* message);

// ---- The console binding: the only code that touches the process's streams
// ---- and its exit. A fuzz build links its own version of these.

/// Next byte of standard input, or -1 at its end or on a read error.
int consoleReadByte();
/// Makes everything written so far visible when standard output is a
/// terminal; leaves a file or pipe buffered.
void consolePrepareForInput();
/// Writes bytes to standard output, exactly as given (buffered).
void writeOutput(const char* bytes, std::size_t length);
/// Writes a terminated string to standard output, exactly as stored.
void writeText(const char* text);
/// Pushes out what is still buffered; false when standard output failed.
bool finishOutput();
/// Ends the process with status -1 through the normal process exit, so that
/// buffered output still reaches its destination.
[[noreturn]] void exitWithFailure();
