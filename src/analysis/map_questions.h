// Questions about a map's text that editors ask of its analysis: where a
// line belongs, what a room is, the map in figures and as a picture. Each
// answer is in the analysis's own terms (map lines counted from 1, rooms by
// number); a host turns it into its own form.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "analysis.h"
#include "map_picture.h"

/// The room whose text line `line` belongs to: the room of the nearest
/// #helyiseg line at or above it (a room may have several), as the loader
/// keeps it: a #helyiseg without a number goes on with the room above it.
/// False above the first, and for a map read line by line.
bool roomAtLine(const MapAnalysis& analysis, std::uint64_t line, std::uint32_t* room);

/// "Add room" at the cursor's line `line`: a new room with the next free
/// number at the end of the map and an exit to it from the room of that
/// line (see addRoomMending). No edits above the first #helyiseg line, or
/// where the room cannot have another exit.
Mending addRoomAtLine(const MapAnalysis& analysis, std::uint64_t line);

/// The line that gives a map without a usable #ifid the fresh IFID made of
/// `random` (16 bytes), where the facts go; no edits for a map that has one.
Mending freshIfidMending(const MapAnalysis& analysis, const unsigned char random[16]);

/// Whether `room` is in the runner's table and has a description.
bool isRoomDescribed(const MapAnalysis& analysis, std::uint32_t room);

// An exit of a room: where it leads and the #irany line that made it.
struct MapExit {
    std::uint32_t target;
    std::uint64_t line;  // 0: no line filled the slot
};

/// Exit `slot` of room `room`.
MapExit mapExit(const MapAnalysis& analysis, std::uint32_t room, std::uint32_t slot);

/// The first line of the start room's text, trimmed; "" when no room has
/// a description.
std::string startRoomText(const MapAnalysis& analysis);

/// How the map's lines are separated, for an editor that keeps them so:
/// "\r\n" when every LF follows a CR and no CR stands alone, else "\n".
const char* mapLineSeparator(const MapAnalysis& analysis);

// The map in figures.
struct MapFigures {
    std::uint32_t describedRooms = 0;
    std::uint32_t endings = 0;
    bool wordsCounted = false;  // false: the runner's table cannot hold the map
    std::uint64_t words = 0;    // words of room text, as the runner shows it
    bool hasRoute = false;      // some ending can be reached
    std::uint32_t longestRoute = 0;  // lines of the longest of the shortest routes to the endings
    std::uint32_t longestRouteTo = 0;
};

MapFigures mapFigures(MapAnalysis* analysis);

// A room drawn in the picture: its node's name and the line that stands
// for it.
struct PictureNode {
    std::uint32_t room;
    std::string name;
    std::uint64_t line;
};

// kaland-check --dot, with what leads from the drawing back to the map.
struct MapPicture {
    std::string dot;
    std::vector<std::uint64_t> edgeLines;  // the #irany line of each edge, in the order of the graph
    std::vector<PictureNode> nodes;        // every room drawn, lowest first
};

/// How large the map's graph is (see measureMapPicture).
PictureSize mapPictureSize(const MapAnalysis& analysis);

/// The map as a Graphviz graph named `name` (see drawMap).
MapPicture drawMapPicture(const MapAnalysis& analysis, const std::string& name);
