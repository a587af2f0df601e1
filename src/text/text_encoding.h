// Telling UTF-8 text from text in a one-byte code page, and turning either
// into UTF-8. Maps are bytes and the runner shows them as bytes; the hosts
// that must show text as characters (a Windows console, a Graphviz picture,
// a web page) read UTF-8 where it is well-formed and windows-1250, the code
// older Hungarian maps use, where it is not.
#pragma once

#include <cstddef>

// What encoding a piece of text shows itself to be in.
enum TextEncoding {
    AsciiText,  // bytes below 0x80 only: the same in every encoding
    Utf8Text,   // well-formed UTF-8 with at least one character of 2 to 4 bytes
    OtherText,  // anything else, such as text in a one-byte code page (Latin-2)
};

/// Tells what encoding the bytes are in. A UTF-8 sequence cut short by the
/// end of the bytes counts as well-formed, so text may be judged in pieces.
TextEncoding classifyTextEncoding(const char* bytes, std::size_t length);

/// The length (1 to 4) of the well-formed UTF-8 character that starts at
/// `bytes[at]`, with its code point in `character`; 0 when none starts there.
/// Overlong forms, surrogates, code points past U+10FFFF and a sequence cut
/// short by the end of the bytes are not well-formed.
std::size_t readUtf8Character(const char* bytes, std::size_t length, std::size_t at,
                              char32_t* character);

/// The character of a byte in windows-1250; 0 for the five bytes the code
/// page leaves unassigned (0x81, 0x83, 0x88, 0x90, 0x98).
char32_t windows1250Character(unsigned char byte);

/// Writes the UTF-8 form of `character` (1 to 4 bytes) to `out` and returns
/// its length.
std::size_t encodeUtf8(char32_t character, char* out);
