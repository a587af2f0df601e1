#include "map_directives.h"

bool matchesKeyword(const char* word, std::size_t length, const char* keyword) {
    for (std::size_t i = 0; i < length; ++i) {
        if (keyword[i] == '\0' || lowercaseByte(word[i]) != keyword[i]) return false;
    }
    return keyword[length] == '\0';
}

namespace {

ExitLineFault findExitLineFault(const ExitFields& fields, int count) {
    if (count == 0) return MissingKindLetter;
    char letter = fields.kindLetter;
    if (letter == 'n' || letter == 'a' || letter == 'e') return SmallKindLetter;
    if (letter != 'N' && letter != 'A' && letter != 'E') return UnknownKindLetter;
    if (count == 1) return MissingTarget;
    if (letter != 'N') return count == 2 ? ExitLineValid : KeyAfterPassage;
    return count == 3 ? ExitLineValid : MissingKey;
}

// An N line whose key is a digit written straight after the target has that
// digit read as part of the number. Returns the digit when the target has two
// or more digits (a lone digit is just the target).
char findGluedDigit(const char* text, std::size_t fieldsEnd) {
    std::size_t digits = 0;
    while (digits < fieldsEnd && isDigitByte(text[fieldsEnd - 1 - digits])) ++digits;
    return digits >= 2 ? text[fieldsEnd - 1] : '\0';
}

}  // namespace

MapLineKind classifyMapLine(const MapLine& line) {
    const char* text = line.bytes;
    std::size_t length = line.textLength;
    std::size_t wordBegin = 0;
    while (wordBegin < length && isWhitespaceByte(text[wordBegin])) ++wordBegin;
    if (wordBegin == length) return BlankLine;
    if (text[wordBegin] != '#') return DescriptionLine;  // most lines stop here
    std::size_t wordEnd = wordBegin;
    while (wordEnd < length && !isWhitespaceByte(text[wordEnd])) ++wordEnd;
    const char* word = text + wordBegin;
    std::size_t wordLength = wordEnd - wordBegin;
    if (matchesKeyword(word, wordLength, "#helyiseg")) return RoomDirective;
    if (matchesKeyword(word, wordLength, "#irany")) return ExitDirective;
    if (matchesKeyword(word, wordLength, "#gameover")) return GameOverDirective;
    return OtherDirective;
}

bool findFirstWord(const char* text, std::size_t length, std::size_t* wordBegin,
                   std::size_t* wordLength) {
    std::size_t position = 0;
    while (position < length && isWhitespaceByte(text[position])) ++position;
    if (position == length) return false;
    std::size_t wordEnd = position;
    while (wordEnd < length && !isWhitespaceByte(text[wordEnd])) ++wordEnd;
    *wordBegin = position;
    *wordLength = wordEnd - position;
    return true;
}

bool readHeadingNumber(const MapLine& line, std::uint32_t* room) {
    return scanRoomNumber(line.bytes, line.textLength, room) == 1;
}

ExitLine readExitLine(const MapLine& line) {
    ExitLine exitLine{};
    exitLine.fieldCount = scanExitFields(line.bytes, line.textLength, &exitLine.fields,
                                         &exitLine.fieldsEnd);
    exitLine.fault = findExitLineFault(exitLine.fields, exitLine.fieldCount);
    exitLine.exit.target = exitLine.fields.target;
    switch (exitLine.fields.kindLetter) {
    case 'N':
        exitLine.kind = Navigate;
        exitLine.exit.key = lowercaseByte(exitLine.fields.key);
        break;
    case 'A':
        exitLine.kind = Automatic;
        exitLine.exit.key = 1;  // A and E exits are taken without a key
        break;
    default:
        exitLine.kind = WaitForEnter;
        exitLine.exit.key = 1;
        break;
    }
    if (exitLine.fault == MissingKey) exitLine.gluedDigit = findGluedDigit(line.bytes, exitLine.fieldsEnd);
    return exitLine;
}
