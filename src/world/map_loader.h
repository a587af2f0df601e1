// The map loader: reads a map file in two passes and fills the room table.
// The first pass finds the highest room number so that the table is created
// at its final size; the second files every description line, exit and kind
// under its room.
#pragma once

#include "map_fields.h"
#include "map_lines.h"
#include "room_table.h"

enum LoaderState {
    Outside = 0,        // description lines are ignored
    InDescription = 1,  // description lines are stored in the current room
};

/// Loads the map at `path` into the room table. Returns 0 when the table is
/// built, 1 on a load failure: the file cannot be opened (no message), no room
/// number above 0 ("Nincs helyiseg", no newline), or no memory for the table
/// (no message). A defect in the map ends the process with its message and
/// status -1 instead of returning.
int loadMap(const char* path);

/// The same, reading the map from `reader` (a file or memory).
int loadMapFrom(MapLineReader* reader);
