#include "page_text.h"

std::string mapTextToUtf8(const std::string& bytes, MapEncoding encoding) {
    std::string text;
    char encoded[4];
    char32_t character = 0;
    for (std::size_t at = 0; at < bytes.size();) {
        at += readMapCharacter(bytes.data(), bytes.size(), at, encoding, &character);
        text.append(encoded, encodeUtf8(character, encoded));
    }
    return text;
}

std::string textToUtf8(const std::string& text) {
    return mapTextToUtf8(text, decideMapEncoding(text.data(), text.size()));
}

std::string withoutControlCharacters(const std::string& text) {
    std::string shown;
    char encoded[4];
    char32_t character = 0;
    for (std::size_t at = 0; at < text.size();) {
        at += readMapCharacter(text.data(), text.size(), at, MapInUtf8, &character);
        if (isControlCharacter(character)) character = 0xFFFD;
        shown.append(encoded, encodeUtf8(character, encoded));
    }
    return shown;
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
