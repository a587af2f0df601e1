#include "key_words.h"

#include <algorithm>
#include <cstring>

#include "text_bytes.h"

namespace {

bool isAsciiLetterOrDigit(unsigned char byte) {
    return (byte >= '0' && byte <= '9') || (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z');
}

// Part of a word: an ASCII letter or digit, or a byte of a letter outside
// ASCII (in UTF-8 or in an 8-bit code page alike).
bool isWordByte(unsigned char byte) {
    return isAsciiLetterOrDigit(byte) || byte >= 0x80;
}

// "(c) 2026": the copyright sign written in letters, before a year.
bool isCopyrightSign(const char* text, std::size_t length, std::size_t open) {
    char letter = lowercaseByte(text[open + 1]);
    std::size_t next = open + 3;
    while (next < length && text[next] == ' ') ++next;
    return letter == 'c' && next < length && text[next] >= '0' && text[next] <= '9';
}

// The small ASCII letters of U+00C0 to U+017F, in order; '-' for × and ÷.
const char LATIN_LETTERS[] =
    "aaaaaaaceeeeiiiidnooooo-ouuuuyts"
    "aaaaaaaceeeeiiiidnooooo-ouuuuyty"
    "aaaaaaccccccccddddeeeeeeeeeegggggggghhhhiiiiiiiiiiiijjkkkllllllllll"
    "nnnnnnnnnoooooooorrrrrrssssssssttttttuuuuuuuuuuuuwwyyyzzzzzzs";

// The next `bracket` at or after `at`; `length` when there is none. Most
// text has no brackets, and memchr passes over it quickly.
std::size_t nextBracket(const char* text, std::size_t length, std::size_t at, char bracket) {
    const void* found = at < length ? std::memchr(text + at, bracket, length - at) : nullptr;
    return found == nullptr ? length : static_cast<std::size_t>(static_cast<const char*>(found) - text);
}

}  // namespace

void findNamedKeys(const char* text, std::size_t length, void (*named)(void* context, char key, std::size_t offset),
                   void* context) {
    // The next '[' and the next '(' are each looked for once, so that a line
    // full of one of them is not searched again for the other at every one.
    std::size_t square = nextBracket(text, length, 0, '[');
    std::size_t round = nextBracket(text, length, 0, '(');
    for (;;) {
        std::size_t at = std::min(square, round);
        if (at + 2 >= length) break;
        if (at == square) {
            square = nextBracket(text, length, at + 1, '[');
        } else {
            round = nextBracket(text, length, at + 1, '(');
        }
        char open = text[at];
        char close = open == '[' ? ']' : ')';
        unsigned char key = static_cast<unsigned char>(text[at + 1]);
        if (text[at + 2] != close || !isAsciiLetterOrDigit(key)) continue;
        if (open == '(' && ((at > 0 && isWordByte(static_cast<unsigned char>(text[at - 1]))) ||
                            isCopyrightSign(text, length, at))) {
            continue;
        }
        named(context, lowercaseByte(static_cast<char>(key)), at);
    }
}

char asciiLetterFor(char32_t character) {
    if (character < 0xC0 || character > 0x17F) return 0;
    char letter = LATIN_LETTERS[character - 0xC0];
    return letter == '-' ? 0 : letter;
}
