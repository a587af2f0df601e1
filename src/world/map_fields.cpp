#include "map_fields.h"

#include "text_bytes.h"

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

// A number: white space, an optional + or -, then digits. Returns false,
// with `*position` unspecified, when there is no digit.
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
    while (*position < length && isDigitByte(text[*position])) {
        number = number * 10u + static_cast<std::uint32_t>(text[*position] - '0');
        ++*position;
    }
    if (*position == firstDigit) return false;
    *value = negative ? 0u - number : number;
    return true;
}

}  // namespace

int scanRoomNumber(const char* text, std::size_t length, std::uint32_t* room, FieldSpan* span) {
    std::size_t position = 0;
    skipKeyword(text, length, &position);
    skipWhitespace(text, length, &position);
    std::size_t begin = position;
    if (!scanNumber(text, length, &position, room)) return 0;
    if (span != nullptr) *span = FieldSpan{begin, position};
    return 1;
}

int scanExitFields(const char* text, std::size_t length, ExitFields* fields,
                   std::size_t* fieldsEnd, FieldSpan* spans) {
    std::size_t position = 0;
    std::size_t end = 0;
    int count = 0;
    FieldSpan found[3] = {};
    skipKeyword(text, length, &position);
    // Reading stops at the first field that cannot be read.
    skipWhitespace(text, length, &position);
    found[0].begin = position;
    if (scanLetter(text, length, &position, &fields->kindLetter)) {
        count = 1;
        end = found[0].end = position;
        skipWhitespace(text, length, &position);
        found[1].begin = position;
    }
    if (count == 1 && scanNumber(text, length, &position, &fields->target)) {
        count = 2;
        end = found[1].end = position;
        skipWhitespace(text, length, &position);
        found[2].begin = position;
    }
    if (count == 2 && scanLetter(text, length, &position, &fields->key)) {
        count = 3;
        end = found[2].end = position;
    }
    if (fieldsEnd != nullptr) *fieldsEnd = end;
    for (int field = 0; spans != nullptr && field < count; ++field) spans[field] = found[field];
    return count;
}
