// kaland-check: reads a map with exactly the runner's rules and reports, with
// line numbers, everything the runner would refuse (errors) and everything
// that would play wrong or surprise the author (warnings).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "map_loader.h"

enum Severity { Warning, Error };

struct Diagnostic {
    std::uint64_t line;  // 1-based physical line of the map; 0: the file as a whole
    Severity severity;
    std::string text;
};

struct CheckedExit {
    std::uint32_t target = 0;
    char key = 0;             // as the runner stores it: lowercased, 1 for A and E
    std::uint64_t line = 0;   // the #irany line that filled the slot; 0 when empty
};

// What the runner's table would hold for one room, and where it came from.
struct CheckedRoom {
    std::uint64_t headingLine = 0;      // first #helyiseg line naming the room
    std::uint64_t descriptionLine = 0;  // first description line; 0 when undescribed
    std::string firstLine;              // text of that line
    CheckedExit exits[MAX_EXITS];
    RoomKind kind = Navigate;
    std::uint64_t kindLine = 0;         // line that set the kind; 0 when never set
    std::uint32_t kindSlot = 0;         // exit slot filled by that line
};

struct MapCheck {
    std::vector<Diagnostic> diagnostics;
    // Only the rooms some line of the map touches; every other room below
    // roomCount is an empty Navigate room.
    std::unordered_map<std::uint32_t, CheckedRoom> rooms;
    std::uint32_t highestRoom = 0;
    std::uint64_t highestRoomLine = 0;
    std::uint32_t roomCount = 0;  // 0 when the runner would have no table
    // The model the analysis builds before it reports: the start room, and
    // the rooms a player can get to from it, each with the line of the exit
    // that first leads there (the heading line for the start room).
    bool hasStart = false;
    std::uint32_t startRoom = 0;
    std::unordered_map<std::uint32_t, std::uint64_t> reachedBy;
    // The rooms from which a GameOver room can be reached.
    std::unordered_set<std::uint32_t> finishing;

    std::size_t count(Severity severity) const;
    void report(std::uint64_t line, Severity severity, std::string text);
};

/// Reads the map from `reader` and fills `check` with its rooms and the
/// diagnostics of its lines (defects, ignored text, typos, odd bytes).
void readMapForCheck(MapLineReader* reader, MapCheck* check);

/// Adds the diagnostics that need the whole map: exits out of the table,
/// circles of automatic rooms, unreachable rooms, rooms without an ending,
/// rooms without exits, keys used twice and automatic rooms that move on
/// through another exit than their own. Sorts all diagnostics by line.
void analyseMap(MapCheck* check);

/// The room `number` as the runner's table would hold it.
const CheckedRoom& roomAt(const MapCheck& check, std::uint32_t number);

/// The line that stands for a room in messages: its first #helyiseg line,
/// else the exit line that first leads there, else the line that set its kind.
std::uint64_t roomLine(const MapCheck& check, std::uint32_t number);

/// The exits a player can actually take from a room, as the game loop moves:
/// every key of a Navigate room (the first exit of a key wins), exit slot 0
/// of an Automatic or WaitForEnter room, nothing from a GameOver room.
std::vector<const CheckedExit*> takenExits(const CheckedRoom& room);

/// Writes the map as a Graphviz graph named `name` (the map's file name).
std::string drawMap(const MapCheck& check, const std::string& name);

/// A short description of a key byte for messages and pictures: e, ^A, 0xE9.
std::string describeKey(char key);

/// Writes a diagnostic to standard error as MAP:LINE: error|warning: TEXT,
/// or MAP: ... for one that concerns the whole file (line 0).
void printDiagnostic(const std::string& name, const Diagnostic& diagnostic);

/// Map bytes quoted in a message: control characters made visible, at most
/// 40 bytes (never cut inside a UTF-8 character).
std::string shownText(const char* bytes, std::size_t length);

/// The runner's message for a defect, in double quotes, as the checker cites it.
std::string quotedMessage(const MapDefect& defect);

/// "room 12".
std::string roomName(std::uint32_t room);
