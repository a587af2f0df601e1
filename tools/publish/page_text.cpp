#include "page_text.h"

#include <cstdint>

#include "text_bytes.h"

namespace {

// Unicode code points of the bytes 0x80 to 0xFF in windows-1250; the five
// bytes the code page leaves unassigned map to the same code point, as in
// browsers' decoders.
constexpr std::uint16_t WINDOWS_1250_HIGH[128] = {
    0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021,
    0x0088, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A,
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7,
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7,
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C,
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,
};

void appendUtf8(std::string* text, std::uint32_t codePoint) {
    if (codePoint < 0x80) {
        text->push_back(static_cast<char>(codePoint));
    } else if (codePoint < 0x800) {
        text->push_back(static_cast<char>(0xC0 | (codePoint >> 6)));
        text->push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else {
        text->push_back(static_cast<char>(0xE0 | (codePoint >> 12)));
        text->push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        text->push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    }
}

// Length of the UTF-8 sequence at `index`, or 0 when none starts there.
std::size_t utf8SequenceLength(const std::string& bytes, std::size_t index) {
    auto at = [&bytes](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    unsigned char lead = at(index);
    if (lead < 0x80) return 1;
    std::size_t length = lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3
                       : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
    if (length == 0 || index + length > bytes.size()) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((at(index + i) & 0xC0) != 0x80) return 0;
    }
    unsigned char second = at(index + 1);
    // Overlong forms, UTF-16 surrogates and code points past U+10FFFF.
    if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F) ||
        (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second > 0x8F)) {
        return 0;
    }
    return length;
}

}  // namespace

bool isValidUtf8(const std::string& bytes) {
    for (std::size_t index = 0; index < bytes.size();) {
        std::size_t length = utf8SequenceLength(bytes, index);
        if (length == 0) return false;
        index += length;
    }
    return true;
}

std::string toUtf8(const std::string& bytes) {
    if (isValidUtf8(bytes)) return bytes;
    std::string text;
    for (char byte : bytes) {
        unsigned char value = static_cast<unsigned char>(byte);
        appendUtf8(&text, value < 0x80 ? value : WINDOWS_1250_HIGH[value - 0x80]);
    }
    return text;
}

std::string trimmed(const std::string& text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && isWhitespaceByte(text[begin])) ++begin;
    while (end > begin && isWhitespaceByte(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

std::string escapeHtml(const std::string& text) {
    std::string escaped;
    for (char character : text) {
        switch (character) {
        case '&': escaped += "&amp;"; break;
        case '<': escaped += "&lt;"; break;
        case '>': escaped += "&gt;"; break;
        case '"': escaped += "&quot;"; break;
        case '\'': escaped += "&#39;"; break;
        default: escaped += character;
        }
    }
    return escaped;
}
