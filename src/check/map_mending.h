// The checker's proposals: the one obvious mending of a diagnostic, where
// there is one, and what an editor offers to add (a new room, a fresh
// IFID). Each is a Mending: whole-line edits of the map with a short title.
// Only what is unambiguous is proposed; everything else is left to the
// author.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "map_lines.h"
#include "map_model.h"

struct Finding;

// The proposals the reading and the analysis ask for as they report.
struct MendingProposer {
    Mending (*directiveTypo)(const MapLine& line, std::size_t begin, std::size_t end, const char* directive);
    Mending (*keyLetter)(const MapLine& line, std::size_t begin, std::size_t end, char ascii);
    Mending (*finding)(const MapCheck& check, const Finding& finding);
};

/// The checker's proposals, as kaland-check --fixes and the studio show them.
extern const MendingProposer CHECKER_MENDING;

/// A misspelt directive: the whole `line`, whose bytes from `begin` to `end`
/// hold the word or words as written, with `directive` in their place.
Mending directiveTypoMending(const MapLine& line, std::size_t begin, std::size_t end, const char* directive);

/// An accented key: the whole `line`, whose bytes from `begin` to `end` hold
/// the key's character, with the ASCII letter `ascii` in their place.
Mending keyLetterMending(const MapLine& line, std::size_t begin, std::size_t end, char ascii);

/// An exit leads into `room`, which no line of the map names: the room
/// added at the end of the map. None when some line already touches it.
Mending undescribedRoomMending(const MapCheck& check, std::uint32_t room);

/// The text of Navigate room `room` names `key`, which no exit has: an exit
/// with that key to a new room at the end of the map. None when the room
/// has all its exits or no room number is free.
Mending namedKeyMending(const MapCheck& check, std::uint32_t room, char key);

/// "Add room": a new room at the end of the map and an exit to it from
/// `room`, which waits for a key, with the first key that suits (see the
/// .cpp). None when the room does not wait for a key, has all its exits,
/// or no key or room number is free.
Mending addRoomMending(const MapCheck& check, std::uint32_t room);

/// The map has no usable #ifid: a line that gives it `ifid`, where the
/// facts go (in place of an #ifid line that is not taken, else after the
/// last fact, else before the first #helyiseg). None when it has one.
Mending ifidMending(const MapCheck& check, const std::string& ifid);
