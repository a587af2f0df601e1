#include "picture_text.h"

#include <cstdint>

namespace {

constexpr char32_t REPLACEMENT_CHARACTER = 0xFFFD;

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

bool isContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// The length of the valid UTF-8 character at `bytes[at]` (2 to 4), with its
// code point in `character`; 0 when no valid multi-byte character starts there.
// Overlong forms, surrogates and code points above U+10FFFF are not valid.
std::size_t readUtf8Character(const std::string& bytes, std::size_t at, char32_t* character) {
    auto byte = [&bytes](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    unsigned char lead = byte(at);
    std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
    if (lead < 0xC2 || lead > 0xF4 || at + length > bytes.size()) return 0;
    // The second byte has a narrower range after these leads.
    unsigned char low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
    unsigned char high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
    if (byte(at + 1) < low || byte(at + 1) > high) return 0;
    char32_t value = lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        if (!isContinuation(byte(at + i))) return 0;
        value = (value << 6) | (byte(at + i) & 0x3F);
    }
    *character = value;
    return length;
}

void appendUtf8(char32_t character, std::string* text) {
    if (character < 0x80) {
        *text += static_cast<char>(character);
    } else if (character < 0x800) {
        *text += static_cast<char>(0xC0 | (character >> 6));
        *text += static_cast<char>(0x80 | (character & 0x3F));
    } else if (character < 0x10000) {
        *text += static_cast<char>(0xE0 | (character >> 12));
        *text += static_cast<char>(0x80 | ((character >> 6) & 0x3F));
        *text += static_cast<char>(0x80 | (character & 0x3F));
    } else {
        *text += static_cast<char>(0xF0 | (character >> 18));
        *text += static_cast<char>(0x80 | ((character >> 12) & 0x3F));
        *text += static_cast<char>(0x80 | ((character >> 6) & 0x3F));
        *text += static_cast<char>(0x80 | (character & 0x3F));
    }
}

// Appends one character, control characters made visible.
void appendVisible(char32_t character, std::string* text) {
    if (character == '\t') {
        *text += ' ';
    } else if (character < 0x20) {
        *text += '^';
        *text += static_cast<char>(character + 0x40);
    } else if (character == 0x7F) {
        *text += "^?";
    } else if (character >= 0x80 && character < 0xA0) {
        appendUtf8(REPLACEMENT_CHARACTER, text);
    } else {
        appendUtf8(character, text);
    }
}

}  // namespace

std::string pictureText(const std::string& bytes, std::size_t maxCharacters) {
    std::string text;
    std::size_t characters = 0;
    for (std::size_t at = 0; at < bytes.size(); ++characters) {
        if (characters == maxCharacters) return text + "...";
        unsigned char byte = static_cast<unsigned char>(bytes[at]);
        char32_t character = byte;
        std::size_t length = byte < 0x80 ? 1 : readUtf8Character(bytes, at, &character);
        if (length == 0) {
            std::uint16_t windows = WINDOWS_1250[byte - 0x80];
            character = windows != 0 ? windows : REPLACEMENT_CHARACTER;
            length = 1;
        }
        appendVisible(character, &text);
        at += length;
    }
    return text;
}

std::string graphvizEscaped(const std::string& text) {
    std::string escaped;
    for (char byte : text) {
        if (byte == '"' || byte == '\\') escaped += '\\';
        escaped += byte;
    }
    return escaped;
}

std::string graphvizQuoted(const std::string& text) {
    return "\"" + graphvizEscaped(text) + "\"";
}
