#include "fact_checks.h"

#include "diagnostic_text.h"

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
    return fact.status != NotAFact;
}
