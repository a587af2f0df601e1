// The map as a Graphviz graph (kaland-check --dot).
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "map_model.h"

/// Writes the analysed map as a Graphviz graph named `name` (the map's file
/// name): a node per described or reachable room, shaped and coloured by
/// kind and labelled with its first line, and one for each room without a
/// description that an exit leads to; edges labelled with their keys, the
/// start room marked, unreachable rooms and exits to missing rooms drawn
/// apart. Every edge ends at a node of the graph. When `edgeLines` is given, it receives the #irany line of
/// each edge in the order the graph lists them (0 for the arrow into the
/// start room), so that a drawing's edges can be traced back to the map.
std::string drawMap(const MapCheck& check, const std::string& name, std::vector<std::uint64_t>* edgeLines = nullptr);

/// The rooms the graph draws: every room with a description, every room a
/// player can reach, and every room of the table an exit of a drawn room
/// leads to, so that each edge ends at a node of its own.
std::set<std::uint32_t> roomsDrawn(const MapCheck& check);

// How large the graph is: its rooms' nodes and its edges (the arrow into
// the start room among them).
struct PictureSize {
    std::size_t rooms = 0;
    std::size_t edges = 0;
};

/// The size of the graph drawMap draws, without drawing it: a host that
/// only draws graphs up to a size asks this first.
PictureSize measureMapPicture(const MapCheck& check);

/// The name of a room's node in the graph: r12.
std::string roomNodeName(std::uint32_t room);
