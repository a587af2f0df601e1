#include "text_bytes.h"

std::size_t trimWhitespace(const char* text, std::size_t length, std::size_t* begin) {
    std::size_t start = 0;
    while (start < length && isWhitespaceByte(text[start])) ++start;
    while (length > start && isWhitespaceByte(text[length - 1])) --length;
    *begin = start;
    return length - start;
}
