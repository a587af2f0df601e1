#include "text_encoding.h"

#include <cstdint>
#include <cstring>

#include "text_bytes.h"

namespace {

// The length of the sequence a lead byte starts, and the range its second
// byte must fall in (which rules out overlong forms, surrogates and code
// points past U+10FFFF); length 0 for a byte that cannot start one.
struct Utf8Lead {
    std::size_t length;
    unsigned char secondLow;
    unsigned char secondHigh;
};

Utf8Lead utf8Lead(unsigned char byte) {
    if (byte < 0x80) return {1, 0, 0};
    if (byte >= 0xC2 && byte <= 0xDF) return {2, 0x80, 0xBF};
    if (byte == 0xE0) return {3, 0xA0, 0xBF};
    if (byte == 0xED) return {3, 0x80, 0x9F};
    if (byte >= 0xE1 && byte <= 0xEF) return {3, 0x80, 0xBF};
    if (byte == 0xF0) return {4, 0x90, 0xBF};
    if (byte >= 0xF1 && byte <= 0xF3) return {4, 0x80, 0xBF};
    if (byte == 0xF4) return {4, 0x80, 0x8F};
    return {0, 0, 0};
}

// How many bytes after the lead, of those present, fit the sequence.
std::size_t countFittingBytes(const unsigned char* text, std::size_t length, std::size_t at,
                              const Utf8Lead& lead) {
    std::size_t next = 1;
    for (; next < lead.length && at + next < length; ++next) {
        unsigned char low = next == 1 ? lead.secondLow : 0x80;
        unsigned char high = next == 1 ? lead.secondHigh : 0xBF;
        if (text[at + next] < low || text[at + next] > high) break;
    }
    return next;
}

// The first byte at or after `at` that is not ASCII, or `length`. A whole
// map passes through here: most of it is ASCII, taken eight bytes at a time.
std::size_t skipAscii(const unsigned char* text, std::size_t length, std::size_t at) {
    constexpr std::uint64_t HIGH_BITS = 0x8080808080808080u;
    for (std::uint64_t eight = 0; at + 8 <= length; at += 8) {
        std::memcpy(&eight, text + at, 8);
        if ((eight & HIGH_BITS) != 0) break;
    }
    while (at < length && text[at] < 0x80) ++at;
    return at;
}

// windows-1250 bytes 0x80 to 0xFF as Unicode; 0 where the code has no character.
const std::uint16_t WINDOWS_1250[128] = {
    0x20AC, 0,      0x201A, 0,      0x201E, 0x2026, 0x2020, 0x2021,  // 0x80
    0,      0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179,  // 0x88
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 0x90
    0,      0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A,  // 0x98
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7,  // 0xA0
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,  // 0xA8
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7,  // 0xB0
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C,  // 0xB8
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,  // 0xC0
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,  // 0xC8
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,  // 0xD0
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,  // 0xD8
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,  // 0xE0
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,  // 0xE8
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,  // 0xF0
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,  // 0xF8
};

constexpr char32_t REPLACEMENT_CHARACTER = 0xFFFD;

// The start of the last character of a piece that passed classifyTextEncoding:
// a lead byte (or an ASCII byte) at most three bytes before its end.
std::size_t lastCharacterStart(const char* bytes, std::size_t length) {
    std::size_t start = length - 1;
    while (start > 0 && length - start < 4 && (static_cast<unsigned char>(bytes[start]) & 0xC0) == 0x80) --start;
    return start;
}

}  // namespace

TextEncoding classifyTextEncoding(const char* bytes, std::size_t length) {
    const auto* text = reinterpret_cast<const unsigned char*>(bytes);
    TextEncoding found = AsciiText;
    std::size_t at = 0;
    while (at < length) {
        at = skipAscii(text, length, at);
        if (at == length) break;
        Utf8Lead lead = utf8Lead(text[at]);
        if (lead.length == 0) return OtherText;
        std::size_t fitting = countFittingBytes(text, length, at, lead);
        if (fitting < lead.length && at + fitting < length) return OtherText;
        if (lead.length > 1) found = Utf8Text;
        at += lead.length;
    }
    return found;
}

std::size_t readUtf8Character(const char* bytes, std::size_t length, std::size_t at,
                              char32_t* character) {
    const auto* text = reinterpret_cast<const unsigned char*>(bytes);
    Utf8Lead lead = utf8Lead(text[at]);
    if (lead.length == 0 || countFittingBytes(text, length, at, lead) < lead.length) return 0;
    char32_t value = lead.length == 1 ? text[at] : text[at] & (0x7F >> lead.length);
    for (std::size_t i = 1; i < lead.length; ++i) value = (value << 6) | (text[at + i] & 0x3F);
    *character = value;
    return lead.length;
}

char32_t windows1250Character(unsigned char byte) {
    return byte < 0x80 ? byte : WINDOWS_1250[byte - 0x80];
}

bool isControlCharacter(char32_t character) {
    if (character < 0x20) return character != '\t';
    return character >= 0x7F && character <= 0x9F;
}

std::size_t encodeUtf8(char32_t character, char* out) {
    if (character < 0x80) {
        out[0] = static_cast<char>(character);
        return 1;
    }
    if (character < 0x800) {
        out[0] = static_cast<char>(0xC0 | (character >> 6));
        out[1] = static_cast<char>(0x80 | (character & 0x3F));
        return 2;
    }
    if (character < 0x10000) {
        out[0] = static_cast<char>(0xE0 | (character >> 12));
        out[1] = static_cast<char>(0x80 | ((character >> 6) & 0x3F));
        out[2] = static_cast<char>(0x80 | (character & 0x3F));
        return 3;
    }
    out[0] = static_cast<char>(0xF0 | (character >> 18));
    out[1] = static_cast<char>(0x80 | ((character >> 12) & 0x3F));
    out[2] = static_cast<char>(0x80 | ((character >> 6) & 0x3F));
    out[3] = static_cast<char>(0x80 | (character & 0x3F));
    return 4;
}

void scanMapBytes(MapEncodingScan* scan, const char* bytes, std::size_t length) {
    std::size_t at = 0;
    char32_t character = 0;
    // First the rest of a character the piece before cut short.
    while (scan->valid && scan->heldLength > 0 && at < length) {
        scan->held[scan->heldLength++] = bytes[at++];
        if (readUtf8Character(scan->held, scan->heldLength, 0, &character) != 0) {
            scan->heldLength = 0;
        } else if (classifyTextEncoding(scan->held, scan->heldLength) == OtherText) {
            scan->valid = false;
        }
    }
    if (!scan->valid || at == length) return;
    const char* rest = bytes + at;
    std::size_t restLength = length - at;
    if (classifyTextEncoding(rest, restLength) == OtherText) {
        scan->valid = false;
        return;
    }
    std::size_t last = lastCharacterStart(rest, restLength);
    if (readUtf8Character(rest, restLength, last, &character) == 0) {
        scan->heldLength = restLength - last;
        std::memcpy(scan->held, rest + last, scan->heldLength);
    }
}

MapEncoding finishMapEncoding(const MapEncodingScan& scan) {
    return scan.valid && scan.heldLength == 0 ? MapInUtf8 : MapInWindows1250;
}

bool isWellFormedUtf8(const char* bytes, std::size_t length) {
    MapEncodingScan scan;
    scanMapBytes(&scan, bytes, length);
    return finishMapEncoding(scan) == MapInUtf8;
}

MapEncoding decideMapEncoding(const char* bytes, std::size_t length) {
    const void* end = std::memchr(bytes, MAP_END_BYTE, length);
    if (end != nullptr) length = static_cast<std::size_t>(static_cast<const char*>(end) - bytes);
    return isWellFormedUtf8(bytes, length) ? MapInUtf8 : MapInWindows1250;
}

const char* mapEncodingLabel(MapEncoding encoding) {
    return encoding == MapInUtf8 ? "utf-8" : "windows-1250";
}

std::size_t readMapCharacter(const char* bytes, std::size_t length, std::size_t at, MapEncoding encoding,
                             char32_t* character) {
    unsigned char byte = static_cast<unsigned char>(bytes[at]);
    if (encoding == MapInUtf8) {
        std::size_t read = readUtf8Character(bytes, length, at, character);
        if (read != 0) return read;
        *character = REPLACEMENT_CHARACTER;
        return 1;
    }
    *character = windows1250Character(byte);
    if (*character == 0) *character = byte;
    return 1;
}

bool startsWithUtf16Mark(const char* bytes, std::size_t length) {
    if (length < 2) return false;
    auto first = static_cast<unsigned char>(bytes[0]);
    auto second = static_cast<unsigned char>(bytes[1]);
    return (first == 0xFF && second == 0xFE) || (first == 0xFE && second == 0xFF);
}
