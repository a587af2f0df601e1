// Telling UTF-8 text from text in a one-byte code page, and turning either
// into UTF-8. Maps are bytes and the runner shows them as bytes; the hosts
// that must show text as characters (a Windows console, a Graphviz picture,
// a web page) decide once for the whole map (decideMapEncoding) whether its
// text is UTF-8 or windows-1250, the code older Hungarian maps use, and all
// show it the same way.
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

/// A control character, which a terminal may act on instead of showing:
/// the C0 controls but tab, DEL and the C1 controls (U+0080 to U+009F).
/// Tab is the one that text lines hold on purpose.
bool isControlCharacter(char32_t character);

/// Writes the UTF-8 form of `character` (1 to 4 bytes) to `out` and returns
/// its length.
std::size_t encodeUtf8(char32_t character, char* out);

// How a map's text is shown wherever it must become characters.
enum MapEncoding {
    MapInUtf8,         // the whole map is well-formed UTF-8
    MapInWindows1250,  // anything else
};

/// How the map made of these bytes is shown: MapInUtf8 when its bytes, up to
/// the 0x1A byte that ends a map (or their end), are well-formed UTF-8
/// throughout, MapInWindows1250 otherwise. The one rule for every host.
MapEncoding decideMapEncoding(const char* bytes, std::size_t length);

/// True when the bytes are well-formed UTF-8 from first to last (a
/// character cut short by their end is not).
bool isWellFormedUtf8(const char* bytes, std::size_t length);

/// Whether `bytes` start with a UTF-16 byte-order mark, in either byte
/// order: a file saved as UTF-16, which no map reads as.
bool startsWithUtf16Mark(const char* bytes, std::size_t length);

/// The same decision over a map that comes in pieces, such as the lines a
/// line reader hands out: scan every piece in order, then finish.
struct MapEncodingScan {
    bool valid = true;
    char held[4] = {};           // a character the last piece cut short
    std::size_t heldLength = 0;
};
void scanMapBytes(MapEncodingScan* scan, const char* bytes, std::size_t length);
MapEncoding finishMapEncoding(const MapEncodingScan& scan);

/// The name browsers know the encoding by: "utf-8" or "windows-1250".
const char* mapEncodingLabel(MapEncoding encoding);

/// The character that starts at `bytes[at]` in a map shown as `encoding`,
/// in `character`; returns its length in bytes (at least 1). In UTF-8 a
/// byte that starts no well-formed character (a line cut inside one) is
/// U+FFFD. In windows-1250 every byte is a character, and the five bytes the
/// code page leaves unassigned keep their own code point, as browsers
/// decode them.
std::size_t readMapCharacter(const char* bytes, std::size_t length, std::size_t at, MapEncoding encoding,
                             char32_t* character);
