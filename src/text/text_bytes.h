// The byte rules that map files and console lines share: what counts as
// white space or a digit, ASCII-only lowercasing, and the size of one line. Pure
// functions of bytes, independent of the locale; no input or output here.
#pragma once

#include <cstddef>

// Holds one line of at most 511 bytes and its terminator. Used for map lines
// (newline kept) and console lines (newline dropped).
constexpr std::size_t LINE_BUFFER_SIZE = 512;

/// Ends a map file (Ctrl-Z): the bytes after it are not part of the map.
constexpr char MAP_END_BYTE = 0x1A;

/// Replaces A-Z by a-z; every other byte stays.
inline char lowercaseByte(char byte) {
    return (byte >= 'A' && byte <= 'Z') ? static_cast<char>(byte + ('a' - 'A')) : byte;
}

/// True for the bytes a map or a console line counts as white space:
/// 0x09-0x0D and 0x20, in every locale.
inline bool isWhitespaceByte(char byte) {
    return byte == ' ' || (byte >= '\t' && byte <= '\r');
}

/// 0-9, in every locale.
inline bool isDigitByte(char byte) {
    return byte >= '0' && byte <= '9';
}

/// The part of `text` (`length` bytes) without white space at either end:
/// sets `begin` to where it starts and returns its length.
std::size_t trimWhitespace(const char* text, std::size_t length, std::size_t* begin);
