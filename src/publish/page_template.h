// The page template: a built kaland.html, whose embedded map, title, author
// and language publishing replaces. The places are marked in web/player/page.html.
#pragma once

#include <string>

/// The game as the published files show it: UTF-8 text, ready for markup
/// once escaped.
struct GameFacts {
    std::string title;     // never empty: #title, else the start room's first line, else the map's name
    std::string author;    // "" when the map names none
    std::string language;  // a language tag; "" when the map gives none
    std::string ifid;      // a UUID in capitals; "" when there is none
    std::string blurb;     // one line; "" when the map gives none
};

/// What the page shows of the game before its engine is ready: the first
/// room, as the engine will show it, so that the page need not wait.
struct PageFirstScreen {
    std::string output;      // the game's output up to the first line a room reads, bytes of the map; "" for none
    std::string encoding;    // how the page decodes them: "utf-8" or "windows-1250"
    bool headingHidden = false;  // the title only repeats the first line: the heading is for screen readers
    std::string exits;       // the first room's named exits: each key, its words and a newline, bytes of the map
    bool waitsForEnter = false;  // the first room is a scene that waits for Enter
};

/// The bytes in base64, whose alphabet holds no '<': embedded in the page,
/// no map can end the element that holds it.
std::string encodeBase64(const std::string& bytes);

/// Puts the map (its bytes, and its file name as releaseFileName makes it,
/// from which the page names its downloads) and the game's facts into `page`:
/// the title and heading, the author under it, the page's language, and the
/// IFID, author and blurb as meta data. Returns false, with the reason in
/// `error`, when the template lacks one of its marked places.
bool fillPageTemplate(std::string* page, const std::string& mapBytes, const std::string& mapName,
                      const GameFacts& facts, std::string* error);

/// Puts the first screen into `page`, when its template has a place for
/// one: its bytes in base64, the rest as attributes of plain words, so
/// that no text of the map becomes markup. Returns whether it had.
bool fillFirstScreen(std::string* page, const PageFirstScreen& screen);
