// The byte rules that map files and console lines share: what counts as
// white space, ASCII-only lowercasing, and the size of one line. Pure
// functions of bytes, independent of the locale; no input or output here.
#pragma once

#include <cstddef>

// Holds one line of at most 511 bytes and its terminator. Used for map lines
// (newline kept) and console lines (newline dropped).
constexpr std::size_t LINE_BUFFER_SIZE = 512;

/// Replaces A-Z by a-z in a terminated string; every other byte stays.
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
