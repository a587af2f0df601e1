// The checker's view of the whole map: where a player can go from each
// room, and what in that can go wrong.
#pragma once

#include "map_model.h"

/// Completes the model (start room, rooms reachable from it, rooms from
/// which an ending can be reached) and adds the diagnostics that need the
/// whole map: exits out of the table, circles of automatic rooms,
/// unreachable rooms, rooms without an ending, rooms without exits, keys
/// used twice and automatic rooms that move on through another exit than
/// their own. They are given only for a map the runner loads. Sorts all
/// diagnostics by line.
void analyseMap(MapCheck* check);
