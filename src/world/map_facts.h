// The game's facts, written in the map as lines the runner takes for
// comments: #title, #author, #lang, #ifid and #blurb, each once, before the
// first #helyiseg. A fact is the rest of its line after the word, trimmed of
// white space, kept as the map's bytes. Play never looks at them; the page,
// the release files and the checker read them through these functions, so
// they agree on what a fact is.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "map_directives.h"
#include "map_lines.h"

enum MapFact {
    TitleFact,     // #title: the game's name
    AuthorFact,    // #author: who wrote it
    LanguageFact,  // #lang: a language tag such as hu or en-GB
    IfidFact,      // #ifid: the UUID that identifies the game in archives
    BlurbFact,     // #blurb: one line that tells what the game is about
    MAP_FACT_COUNT
};

// What a line is as a fact. Each line that names a fact is exactly one of
// these, so the checker has one thing to say about it.
enum MapFactStatus {
    NotAFact,            // not one of the fact words (or not a # line at all)
    FactTaken,           // the first well-formed line of its fact: its value is kept
    FactRepeated,        // the fact was already taken from an earlier line
    FactEmpty,           // nothing after the word
    FactMalformed,       // a #lang that is no language tag, an #ifid that is no UUID
    FactAfterFirstRoom,  // after the first #helyiseg, where facts are not read
};

struct MapFactLine {
    MapFactStatus status;
    MapFact fact;        // which fact, unless the status is NotAFact
    const char* value;   // the trimmed value inside the line; valid as the line is
    std::size_t valueLength;
};

struct MapFacts {
    bool pastFirstRoom = false;  // a #helyiseg line has been read
    bool given[MAP_FACT_COUNT] = {};
    std::uint64_t lines[MAP_FACT_COUNT] = {};  // the line each was taken from
    // The values, terminated; a line holds at most 511 bytes.
    char values[MAP_FACT_COUNT][MAP_LINE_MAX + 1] = {};
};

/// The word of a fact, as written in maps: "#title".
const char* mapFactWord(MapFact fact);

/// Decides what `line` (of the kind classifyMapLine gives) is as a fact and
/// keeps the value of a fact taken. Every line of the map passes through, so
/// that the first #helyiseg ends the facts.
MapFactLine readMapFactLine(MapFacts* facts, const MapLine& line, MapLineKind kind);

/// Reads the facts of a whole map, stopping at its first #helyiseg line.
void readMapFacts(MapLineReader* reader, MapFacts* facts);

/// The value of a fact, or "" when the map does not give it.
inline const char* mapFactValue(const MapFacts& facts, MapFact fact) {
    return facts.given[fact] ? facts.values[fact] : "";
}

/// A fresh IFID: a version 4 (random) UUID in capitals, made of 16 random
/// bytes, as kaland-publish gives a map without #ifid and the checker
/// proposes it.
std::string makeIfid(const unsigned char random[16]);

/// A UUID: 8-4-4-4-12 hexadecimal digits, in small or capital letters.
bool isUuid(const char* text, std::size_t length);

/// A language tag of the usual shape: a language of 2 or 3 letters, then
/// subtags of 1 to 8 letters or digits, each after a hyphen ("hu", "en-GB",
/// "sr-Latn-RS").
bool isLanguageTag(const char* text, std::size_t length);

/// Whether the first subtag of a language tag is `language` (in small
/// letters), in any case: "hu-HU" names "hu".
bool tagNamesLanguage(const char* tag, const char* language);

/// Whether a language tag names Hungarian: its first subtag is "hu" in any case.
bool isHungarianTag(const char* tag);
