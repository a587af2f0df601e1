#include "directive_typos.h"

#include <algorithm>
#include <vector>

#include "diagnostic_text.h"
#include "map_directives.h"

namespace {

// Damerau-Levenshtein distance (adjacent swaps count once).
std::size_t editDistance(const std::string& a, const std::string& b) {
    std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
    for (std::size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
    for (std::size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        for (std::size_t j = 1; j <= b.size(); ++j) {
            std::size_t cost = a[i - 1] == b[j - 1] ? 0 : 1;
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + cost});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) {
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
            }
        }
    }
    return d[a.size()][b.size()];
}

std::string lowercased(const char* bytes, std::size_t length) {
    std::string word(bytes, length);
    for (char& byte : word) byte = lowercaseByte(byte);
    return word;
}

const char* closeDirective(const std::string& word) {
    for (const char* directive : {"#helyiseg", "#irany", "#gameover"}) {
        if (editDistance(word, directive) <= 2) return directive;
    }
    return nullptr;
}

// "the #irany line below", "the 2 lines of text below".
std::string linesBelow(std::uint32_t count, bool text) {
    std::string number = count == 1 ? "" : std::to_string(count) + " ";
    if (text) return "the " + number + (count == 1 ? "line" : "lines") + " of text below";
    return "the " + number + "#irany " + (count == 1 ? "line" : "lines") + " below";
}

}  // namespace

std::string describeMovedLines(const MovedLines& moved, std::uint32_t room) {
    std::string name = roomName(room);
    std::vector<std::string> parts;
    if (moved.storedLines != 0) {
        parts.push_back(linesBelow(moved.storedLines, true) + (moved.storedLines == 1 ? " is" : " are") +
                        " now part of " + name + "'s description");
    }
    if (moved.exits != 0) {
        parts.push_back(linesBelow(moved.exits, false) + (moved.exits == 1 ? " now belongs to " : " now belong to ") +
                        name);
    }
    if (moved.gameOver) parts.push_back("the #gameover below now ends the game in " + name);
    if (moved.ignoredLines != 0) {
        parts.push_back(linesBelow(moved.ignoredLines, true) + (moved.ignoredLines == 1 ? " is" : " are") +
                        " ignored");
    }
    std::string text;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        text += i == 0 ? "" : i + 1 == parts.size() ? " and " : ", ";
        text += parts[i];
    }
    return text;
}

const char* meantDirective(const MapLine& line, std::string* written) {
    std::size_t begin = 0;
    std::size_t length = 0;
    findFirstWord(line.bytes, line.textLength, &begin, &length);
    if (length > 24) return nullptr;  // far from any directive
    std::string word = lowercased(line.bytes + begin, length);
    const char* directive = closeDirective(word);
    std::size_t nextBegin = 0;
    std::size_t nextLength = 0;
    std::size_t rest = begin + length;
    if (directive == nullptr && length >= 2 &&
        findFirstWord(line.bytes + rest, line.textLength - rest, &nextBegin, &nextLength) &&
        length + nextLength <= 24) {
        std::string next = lowercased(line.bytes + rest + nextBegin, nextLength);
        directive = closeDirective(word + next);
        word += " " + next;
    }
    *written = word;
    return directive;
}
