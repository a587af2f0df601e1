// The exits a room's text offers the player: the keys its lines name (the
// rule the checker holds the text to) that an exit of the room takes. An
// exit whose key the text never names stays hidden, as its author meant.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "room_table.h"

struct NamedExit {
    char key;            // as a typed line holds it: the exit's lowercased key
    std::uint32_t slot;  // the exit the key takes
    std::string words;   // the words of the line that names it (keyWords), bytes of the map
};

/// The exits of `room` whose keys its text names, in the order the text
/// names them, each key once. Empty for a room that does not wait for a key.
std::vector<NamedExit> namedExits(const Room& room);
