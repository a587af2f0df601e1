#include "page_text.h"

#include "text_bytes.h"
#include "text_encoding.h"

bool isValidUtf8(const std::string& bytes) {
    char32_t character = 0;
    for (std::size_t at = 0; at < bytes.size();) {
        std::size_t length = readUtf8Character(bytes.data(), bytes.size(), at, &character);
        if (length == 0) return false;
        at += length;
    }
    return true;
}

std::string toUtf8(const std::string& bytes) {
    return mapTextToUtf8(bytes, isValidUtf8(bytes));
}

namespace {

// UTF-8 text whose bytes may have been cut inside a character (a map line
// is read 511 bytes at a time): what is left of such a character becomes
// U+FFFD, as a browser shows it.
std::string mendedUtf8(const std::string& bytes) {
    std::string text;
    char32_t character = 0;
    for (std::size_t at = 0; at < bytes.size();) {
        std::size_t length = readUtf8Character(bytes.data(), bytes.size(), at, &character);
        if (length == 0) {
            text += "\xEF\xBF\xBD";
            ++at;
        } else {
            text.append(bytes, at, length);
            at += length;
        }
    }
    return text;
}

}  // namespace

std::string mapTextToUtf8(const std::string& bytes, bool mapIsUtf8) {
    if (mapIsUtf8) return mendedUtf8(bytes);
    std::string text;
    char encoded[4];
    for (char byte : bytes) {
        unsigned char value = static_cast<unsigned char>(byte);
        // The five bytes windows-1250 leaves unassigned keep their own code
        // point, as browsers' decoders give them.
        char32_t character = windows1250Character(value);
        text.append(encoded, encodeUtf8(character != 0 ? character : value, encoded));
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
