// Typos in directive words: a # word that the loader takes as a comment but
// the author most likely meant as a directive.
#pragma once

#include <string>

#include "map_lines.h"

/// The directive the first word of `line` (a comment) was most likely meant
/// to be: a word within two edits of #helyiseg, #irany or #gameover (an
/// adjacent swap counts as one), or two words that are such a word joined
/// ("#game over"). Null when there is none; otherwise `written` holds the
/// word or words as written, lowercased.
const char* meantDirective(const MapLine& line, std::string* written);
