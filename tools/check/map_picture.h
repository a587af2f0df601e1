// The map as a Graphviz graph (kaland-check --dot).
#pragma once

#include <string>

#include "map_model.h"

/// Writes the analysed map as a Graphviz graph named `name` (the map's file
/// name): a node per described or reachable room, shaped and coloured by
/// kind and labelled with its first line, edges labelled with their keys,
/// the start room marked, unreachable rooms and exits to missing rooms
/// drawn apart.
std::string drawMap(const MapCheck& check, const std::string& name);
