#include "fact_checks.h"

#include <cstdio>
#include <cstring>

#include "diagnostic_text.h"
#include "text_encoding.h"

namespace {

// What the fact is called in a message.
const char* factName(MapFact fact) {
    switch (fact) {
    case TitleFact: return "title";
    case AuthorFact: return "author";
    case LanguageFact: return "language";
    case IfidFact: return "IFID";
    default: return "blurb";
    }
}

std::string malformedValue(const MapFactLine& fact) {
    std::string quoted = "'" + shownText(fact.value, fact.valueLength) + "'";
    if (fact.fact == LanguageFact) {
        return "#lang " + quoted + " is not a language tag such as hu or en-GB: it is ignored";
    }
    return "#ifid " + quoted +
           " is not a UUID (8-4-4-4-12 hexadecimal digits): it is ignored; kaland-publish suggests one "
           "for a map without #ifid";
}

// A character as U+XXXX.
std::string codePoint(char32_t character) {
    char text[16];
    std::snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(character));
    return text;
}

}  // namespace

std::string factLineWarning(const MapFactLine& fact, const MapFacts& facts) {
    std::string word = mapFactWord(fact.fact);
    switch (fact.status) {
    case FactRepeated:
        return word + " is already given on line " + std::to_string(facts.lines[fact.fact]) +
               ": this one is ignored";
    case FactEmpty:
        return word + " has no " + factName(fact.fact) + " after it: it is ignored";
    case FactMalformed:
        return malformedValue(fact);
    case FactAfterFirstRoom:
        return word + " after the first #helyiseg is only a comment: the game's facts go before the first room";
    default:
        return "";
    }
}

bool checkFactLine(MapFacts* facts, MapCheck* check, const MapLine& line, MapLineKind kind) {
    MapFactLine fact = readMapFactLine(facts, line, kind);
    std::string warning = factLineWarning(fact, *facts);
    if (!warning.empty()) check->report(line.physicalLine, Warning, warning);
    bool unusable = fact.status == FactEmpty || fact.status == FactMalformed;
    if (unusable && fact.fact == IfidFact && check->unusableIfidLine == 0) check->unusableIfidLine = line.physicalLine;
    return fact.status != NotAFact;
}

void checkFactCharacters(const MapFacts& facts, MapEncoding encoding, MapCheck* check) {
    for (int index = 0; index < MAP_FACT_COUNT; ++index) {
        MapFact fact = static_cast<MapFact>(index);
        const char* value = mapFactValue(facts, fact);
        std::size_t length = std::strlen(value);
        std::size_t count = 0;
        char32_t first = 0;
        for (std::size_t at = 0; at < length;) {
            char32_t character = 0;
            at += readMapCharacter(value, length, at, encoding, &character);
            if (!isControlCharacter(character)) continue;
            if (count++ == 0) first = character;
        }
        if (count == 0) continue;
        std::string word = mapFactWord(fact);
        check->report(facts.lines[fact], Warning,
                      count == 1 ? word + " holds control character " + codePoint(first) +
                                       ": the published files show U+FFFD in its place"
                                 : word + " holds " + std::to_string(count) + " control characters (the first " +
                                       codePoint(first) + "): the published files show U+FFFD in their place");
    }
}
