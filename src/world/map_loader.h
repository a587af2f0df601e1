// The map loader: reads a map file in two passes and fills the room table.
// The first pass finds the highest room number so that the table is created
// at its final size; the second files every description line, exit and kind
// under its room, by the steps of loader_steps.h.
#pragma once

#include "loader_steps.h"
#include "map_defects.h"
#include "map_lines.h"
#include "room_table.h"

/// Loads the map at `path` into the room table. Returns 0 when the table is
/// built. Otherwise returns 1 with the reason in `defect`: the file cannot be
/// opened, no room number above 0, no memory (or a table still loaded), or a
/// defect of the map with the line it was found on; no table is left behind
/// then. Prints nothing. With `encoding`, it also decides how the map's text
/// is shown (decideMapEncoding), in a pass of its own before the loader's.
int loadMap(const char* path, MapDefect* defect, MapEncoding* encoding = nullptr);

/// The same, reading the map from `reader` (a file or memory).
int loadMapFrom(MapLineReader* reader, MapDefect* defect);
