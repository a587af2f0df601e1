#include "picture_text.h"

namespace {

constexpr char32_t REPLACEMENT_CHARACTER = 0xFFFD;

void appendUtf8(char32_t character, std::string* text) {
    char encoded[4];
    text->append(encoded, encodeUtf8(character, encoded));
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

std::string pictureText(const std::string& bytes, MapEncoding encoding, std::size_t maxCharacters) {
    std::string text;
    std::size_t characters = 0;
    for (std::size_t at = 0; at < bytes.size(); ++characters) {
        if (characters == maxCharacters) return text + "...";
        char32_t character = 0;
        at += readMapCharacter(bytes.data(), bytes.size(), at, encoding, &character);
        appendVisible(character, &text);
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
