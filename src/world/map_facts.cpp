#include "map_facts.h"

#include <cstring>

#include "text_bytes.h"

namespace {

const char* const FACT_WORDS[MAP_FACT_COUNT] = {"#title", "#author", "#lang", "#ifid", "#blurb"};

bool isAsciiLetter(char byte) {
    return (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z');
}

bool isHexDigit(char byte) {
    return isDigitByte(byte) || (byte >= 'a' && byte <= 'f') || (byte >= 'A' && byte <= 'F');
}

// The fact a line's first word names, or MAP_FACT_COUNT for none; the
// word's end goes to `wordEnd`.
MapFact findFactWord(const MapLine& line, std::size_t* wordEnd) {
    std::size_t begin = 0;
    std::size_t length = 0;
    if (!findFirstWord(line.bytes, line.textLength, &begin, &length)) return MAP_FACT_COUNT;
    *wordEnd = begin + length;
    for (int fact = 0; fact < MAP_FACT_COUNT; ++fact) {
        if (matchesKeyword(line.bytes + begin, length, FACT_WORDS[fact])) return static_cast<MapFact>(fact);
    }
    return MAP_FACT_COUNT;
}

bool isWellFormed(MapFact fact, const char* value, std::size_t length) {
    switch (fact) {
    case LanguageFact: return isLanguageTag(value, length);
    case IfidFact: return isUuid(value, length);
    default: return true;
    }
}

}  // namespace

const char* mapFactWord(MapFact fact) {
    return fact < MAP_FACT_COUNT ? FACT_WORDS[fact] : "";
}

MapFactLine readMapFactLine(MapFacts* facts, const MapLine& line, MapLineKind kind) {
    MapFactLine result{NotAFact, TitleFact, nullptr, 0};
    if (kind == RoomDirective) facts->pastFirstRoom = true;
    if (kind != OtherDirective) return result;
    std::size_t wordEnd = 0;
    MapFact fact = findFactWord(line, &wordEnd);
    if (fact == MAP_FACT_COUNT) return result;
    std::size_t begin = 0;
    result.fact = fact;
    result.valueLength = trimWhitespace(line.bytes + wordEnd, line.textLength - wordEnd, &begin);
    result.value = line.bytes + wordEnd + begin;
    if (facts->pastFirstRoom) {
        result.status = FactAfterFirstRoom;
    } else if (result.valueLength == 0) {
        result.status = FactEmpty;
    } else if (!isWellFormed(fact, result.value, result.valueLength)) {
        result.status = FactMalformed;
    } else if (facts->given[fact]) {
        result.status = FactRepeated;
    } else {
        result.status = FactTaken;
        facts->given[fact] = true;
        facts->lines[fact] = line.physicalLine;
        std::memcpy(facts->values[fact], result.value, result.valueLength);
        facts->values[fact][result.valueLength] = '\0';
    }
    return result;
}

void readMapFacts(MapLineReader* reader, MapFacts* facts) {
    MapLine line;
    while (!facts->pastFirstRoom && readMapLine(reader, &line)) {
        readMapFactLine(facts, line, classifyMapLine(line));
    }
}

bool isUuid(const char* text, std::size_t length) {
    static const char SHAPE[] = "xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx";
    if (length != sizeof SHAPE - 1) return false;
    for (std::size_t i = 0; i < length; ++i) {
        if (SHAPE[i] == '-' ? text[i] != '-' : !isHexDigit(text[i])) return false;
    }
    return true;
}

bool isLanguageTag(const char* text, std::size_t length) {
    std::size_t begin = 0;
    for (bool first = true;; first = false) {
        std::size_t end = begin;
        while (end < length && (isAsciiLetter(text[end]) || (!first && isDigitByte(text[end])))) ++end;
        // The language itself has 2 or 3 letters (ISO 639): "magyar" or
        // "english" is a name, not a tag. Subtags have 1 to 8.
        std::size_t size = end - begin;
        if (first ? size < 2 || size > 3 : size < 1 || size > 8) return false;
        if (end == length) return true;
        if (text[end] != '-') return false;
        begin = end + 1;
    }
}

bool tagNamesLanguage(const char* tag, const char* language) {
    std::size_t length = std::strlen(language);
    for (std::size_t i = 0; i < length; ++i) {
        if (tag[i] == '\0' || lowercaseByte(tag[i]) != language[i]) return false;
    }
    return tag[length] == '\0' || tag[length] == '-';
}

bool isHungarianTag(const char* tag) {
    return tagNamesLanguage(tag, "hu");
}

std::string makeIfid(const unsigned char random[16]) {
    static const char HEX[] = "0123456789ABCDEF";
    unsigned char bytes[16];
    for (int i = 0; i < 16; ++i) bytes[i] = random[i];
    bytes[6] = static_cast<unsigned char>((bytes[6] & 0x0F) | 0x40);  // version 4
    bytes[8] = static_cast<unsigned char>((bytes[8] & 0x3F) | 0x80);  // the RFC 4122 variant
    std::string ifid;
    for (int i = 0; i < 16; ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10) ifid += '-';
        ifid += HEX[bytes[i] >> 4];
        ifid += HEX[bytes[i] & 0x0F];
    }
    return ifid;
}
