// The game as its published files show it: its facts (#title, #author,
// #lang, #ifid, #blurb) read in the map's encoding and given as UTF-8, and
// the one rule for its title, which the player page's engine follows too.
#pragma once

#include <string>

#include "map_facts.h"
#include "text_encoding.h"

/// The game as the published files show it: UTF-8 text, ready for markup
/// once escaped.
struct GameFacts {
    std::string title;     // never empty: see gameTitle
    std::string author;    // "" when the map names none
    std::string language;  // a language tag; "" when the map gives none
    std::string ifid;      // a UUID in capitals; "" when there is none
    std::string blurb;     // one line; "" when the map gives none
};

/// The game's title, as UTF-8: the map's #title, else `startText` (the
/// first line of the start room's text, trimmed; map bytes), else the map's
/// file name `mapName`, else "kaland". `encoding` is the map's.
std::string gameTitle(const MapFacts& facts, MapEncoding encoding, const std::string& startText,
                      const std::string& mapName);

/// Which of the player page's two languages its own words show in for a
/// reader or a map whose language is the tag `tag`: "hu" for Hungarian,
/// "en" for English, "" for any other language.
const char* pageWordsLanguage(const char* tag);

/// The facts the published files show for the map `bytes` named `mapName`,
/// shown as `encoding`, whose start room's first line is `startText`. The
/// title is `title` when given (text of the command line), else gameTitle.
/// Control characters of the title, author and blurb are made U+FFFD
/// (withoutControlCharacters). The IFID is in capitals, "" when the map has
/// none: the caller makes one.
/// The fact lines that are not taken are the checker's to report.
GameFacts readGameFacts(const std::string& bytes, const std::string& mapName, MapEncoding encoding,
                        const std::string& startText, const std::string* title);
