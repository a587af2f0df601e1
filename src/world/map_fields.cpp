#include "map_fields.h"

#include "console_text.h"

namespace {

void skipWhitespace(const char* text, std::size_t length, std::size_t* position) {
    while (*position < length && isWhitespaceByte(text[*position])) ++*position;
}

// "%*s": white space, then the word.
void skipKeyword(const char* text, std::size_t length, std::size_t* position) {
    skipWhitespace(text, length, position);
    while (*position < length && !isWhitespaceByte(text[*position])) ++*position;
}

bool scanLetter(const char* text, std::size_t length, std::size_t* position, char* letter) {
    skipWhitespace(text, length, position);
    if (*position == length) return false;
    *letter = text[(*position)++];
    return true;
}

}  // namespace

bool scanNumber(const char* text, std::size_t length, std::size_t* position,
                std::uint32_t* value) {
    skipWhitespace(text, length, position);
    bool negative = false;
    if (*position < length && (text[*position] == '+' || text[*position] == '-')) {
        negative = text[*position] == '-';
        ++*position;
    }
    std::size_t firstDigit = *position;
    std::uint32_t number = 0;  // unsigned: wraps modulo 2^32, never saturates
    while (*position < length && text[*position] >= '0' && text[*position] <= '9') {
        number = number * 10u + static_cast<std::uint32_t>(text[*position] - '0');
        ++*position;
    }
    if (*position == firstDigit) return false;
    *value = negative ? 0u - number : number;
    return true;
}

int scanRoomNumber(const char* text, std::size_t length, std::uint32_t* room) {
    std::size_t position = 0;
    skipKeyword(text, length, &position);
    return scanNumber(text, length, &position, room) ? 1 : 0;
}

int scanExitFields(const char* text, std::size_t length, ExitFields* fields) {
    std::size_t position = 0;
    skipKeyword(text, length, &position);
    if (!scanLetter(text, length, &position, &fields->kindLetter)) return 0;
    if (!scanNumber(text, length, &position, &fields->target)) return 1;
    if (!scanLetter(text, length, &position, &fields->key)) return 2;
    return 3;
}
