// Typos in directive words: a # word that the loader takes as a comment but
// the author most likely meant as a directive.
#pragma once

#include <cstdint>
#include <string>

#include "map_lines.h"

// What the lines below a misspelt #helyiseg did, up to the next #helyiseg:
// they went on with the room above.
struct MovedLines {
    std::uint32_t storedLines = 0;   // text added to that room's description
    std::uint32_t ignoredLines = 0;  // text after its exits, which nobody sees
    std::uint32_t exits = 0;
    bool gameOver = false;
};

/// Where those lines went, as a sentence for the typo's warning ("The 2
/// #irany lines below now belong to room 8 and the line of text below is
/// ignored"); "" when there were none.
std::string describeMovedLines(const MovedLines& moved, std::uint32_t room);

/// The directive the first word of `line` (a comment) was most likely meant
/// to be: a word within two edits of #helyiseg, #irany or #gameover (an
/// adjacent swap counts as one), or two words that are such a word joined
/// ("#game over"). Null when there is none; otherwise `written` holds the
/// word or words as written, lowercased.
const char* meantDirective(const MapLine& line, std::string* written);
