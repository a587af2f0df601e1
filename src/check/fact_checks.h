// The checker's words for the game's facts (#title, #author, #lang, #ifid,
// #blurb): one warning for each fact line that is not taken, and why, and
// for a fact taken with control characters in it.
#pragma once

#include <string>

#include "map_model.h"
#include "map_facts.h"

/// What is wrong with a fact line, as a warning; "" for a line taken as a
/// fact or one that names no fact. `facts` is what was read up to the line.
std::string factLineWarning(const MapFactLine& fact, const MapFacts& facts);

/// Reads `line` as a fact into `facts` and reports a fact line that is not
/// taken. Returns whether the line names a fact, so that its word is not
/// taken for a misspelt directive.
bool checkFactLine(MapFacts* facts, MapCheck* check, const MapLine& line, MapLineKind kind);

/// Reports each fact taken (`facts`, read to the map's end) that holds
/// control characters (isControlCharacter) as the map's `encoding` reads it:
/// the release files show U+FFFD in their place.
void checkFactCharacters(const MapFacts& facts, MapEncoding encoding, MapCheck* check);
