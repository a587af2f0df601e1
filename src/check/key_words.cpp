#include "key_words.h"

#include <algorithm>
#include <cstring>
#include <vector>

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

// Each mark ("[h]", "(h)") is three bytes.
constexpr std::size_t MARK_SIZE = 3;

bool isPartSeparator(char byte) {
    return byte == ',' || byte == ';' || byte == '|' || byte == '/';
}

// Trimmed off the ends of a key's words, with white space.
bool isEdgePunctuation(char byte) {
    return isPartSeparator(byte) || byte == '-' || byte == ':' || byte == '=' || byte == '>' || byte == '<';
}

// Where the words of one key end and those of the next begin, between the
// end of one mark (`from`) and the start of the next (`to`).
struct PartCut {
    std::size_t end;
    std::size_t begin;
};

PartCut cutBetweenKeys(const char* text, std::size_t from, std::size_t to) {
    for (std::size_t at = to; at > from; --at) {
        if (isPartSeparator(text[at - 1])) return PartCut{at - 1, at};
    }
    std::size_t runEnd = to;
    while (runEnd > from && !isWhitespaceByte(text[runEnd - 1])) --runEnd;
    std::size_t runStart = runEnd;
    while (runStart > from && isWhitespaceByte(text[runStart - 1])) --runStart;
    return runEnd > from ? PartCut{runStart, runEnd} : PartCut{to, to};
}

struct MarkList {
    const std::string* exitKeys;
    std::vector<std::size_t> offsets;
};

void collectMark(void* context, char key, std::size_t offset) {
    auto* marks = static_cast<MarkList*>(context);
    if (markNamesKey(key, marks->exitKeys->find(key) != std::string::npos)) marks->offsets.push_back(offset);
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
        if (text[at + 2] != close || key <= ' ' || key >= 0x7F) continue;
        if (open == '(' && ((at > 0 && isWordByte(static_cast<unsigned char>(text[at - 1]))) ||
                            isCopyrightSign(text, length, at))) {
            continue;
        }
        named(context, lowercaseByte(static_cast<char>(key)), at);
    }
}

bool markNamesKey(char key, bool hasExit) {
    return hasExit || isAsciiLetterOrDigit(static_cast<unsigned char>(key));
}

char asciiLetterFor(char32_t character) {
    if (character < 0xC0 || character > 0x17F) return 0;
    char letter = LATIN_LETTERS[character - 0xC0];
    return letter == '-' ? 0 : letter;
}

std::string keyWords(const char* text, std::size_t length, std::size_t at, const std::string& exitKeys) {
    MarkList list{&exitKeys, {}};
    findNamedKeys(text, length, collectMark, &list);
    const std::vector<std::size_t>& marks = list.offsets;
    std::size_t index = static_cast<std::size_t>(std::lower_bound(marks.begin(), marks.end(), at) - marks.begin());
    if (index == marks.size() || marks[index] != at) return "";
    std::size_t begin = index == 0 ? 0 : cutBetweenKeys(text, marks[index - 1] + MARK_SIZE, at).begin;
    std::size_t end = index + 1 == marks.size() ? length : cutBetweenKeys(text, at + MARK_SIZE, marks[index + 1]).end;

    std::string words;
    bool spaceDue = false;
    auto mark = std::lower_bound(marks.begin(), marks.end(), begin);
    for (std::size_t offset = begin; offset < end;) {
        char byte = text[offset];
        if (mark != marks.end() && *mark == offset) {
            ++mark;
            bool insideWord = offset + MARK_SIZE < length && isWordByte(static_cast<unsigned char>(text[offset + MARK_SIZE]));
            byte = text[offset + 1];
            offset += MARK_SIZE;
            if (!insideWord) continue;
        } else {
            ++offset;
        }
        if (isWhitespaceByte(byte)) {
            spaceDue = !words.empty();
            continue;
        }
        if (spaceDue) words += ' ';
        spaceDue = false;
        words += byte;
    }
    std::size_t first = 0;
    while (first < words.size() && (isEdgePunctuation(words[first]) || words[first] == ' ')) ++first;
    std::size_t last = words.size();
    while (last > first && (isEdgePunctuation(words[last - 1]) || words[last - 1] == ' ')) --last;
    return words.substr(first, last - first);
}
