// Coverage: plays key scripts through the runner's own game loop and tells
// which rooms, exits and endings of the map they never reach. The scripts
// are played through the checker's own console binding (script_console.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "diagnostic_text.h"
#include "game_loop.h"
#include "map_model.h"

struct KeyScript {
    std::string path;   // as given; "-" is standard input
    std::string bytes;
};

// A script whose game the map stopped (an exit out of the table, a circle of
// passages): where, and why, as the error line says it.
struct ScriptStop {
    std::string path;
    std::uint64_t line;   // the script line read last; 0 when none was read
    std::string message;  // the runner's message, quoted
    std::string cause;    // the exit that stopped the game; empty when not an exit
};

// A room never shown, or an exit never taken (a map can have millions).
struct CoverageNote {
    std::uint64_t line;
    std::uint32_t room;  // the room never shown; NO_ROOM for an exit
    // An exit: the kind of its room (what takes it), its key and its target.
    RoomKind kind = Navigate;
    char key = 0;
    std::uint32_t target = 0;
};
constexpr std::uint32_t NO_ROOM = UINT32_MAX;

// A script line that a room waiting for a key read and that took no exit
// there (neither a key of the room nor "exit").
struct IdleLine {
    std::string script;    // the script's name in messages
    std::uint64_t line;    // the script's line, from 1
    std::uint32_t room;
    std::string text;      // the line as the game read it
    std::string roomKeys;  // "its keys: e, w", or "it has no exit"
};

struct CoverageReport {
    const char* reachedBy = "these scripts";  // who never shows a room, in the notes
    bool played = false;            // false: the runner refused the map
    std::string refusal;            // why, when it did
    std::vector<ScriptStop> stops;
    std::vector<IdleLine> idleLines;  // in the order played
    std::vector<CoverageNote> notes;  // by map line
    std::uint32_t roomsShown = 0, rooms = 0;
    std::uint32_t exitsTaken = 0, exits = 0;
    std::uint32_t endingsReached = 0, endings = 0;
};

/// Plays each script from the start room on the runner's table, which must
/// hold the map, as the runner would, and measures what the scripts reached
/// against `check`, the checker's model of the same map (which must have no
/// errors). Counts every room with a description, every room a player can
/// reach and every ending; every exit of those rooms that a player can take
/// (not one hidden by an earlier exit on the same key, nor a passage's or
/// scene's exit after its first). `name` is the map's name in messages.
CoverageReport measureCoverage(const char* name, const MapCheck& check, const std::vector<KeyScript>& scripts);

/// What a refused map's coverage says: why the runner refuses it.
CoverageReport refusedCoverage(const MapDefect& refusal);

/// Marks of what games reached, one per room of the table: ROOM_SHOWN_MARK
/// once the room was shown, and bit S once its exit slot S was taken.
constexpr std::uint16_t ROOM_SHOWN_MARK = 1u << 15;

/// The marks games leave as they are played (by scripts or at random). The
/// exit taken last is held until the room it leads to is shown: an exit
/// whose move stops the game is never counted as taken, and tells why the
/// game stopped.
struct ReachMarks {
    std::uint16_t* rooms = nullptr;  // one per room of the table
    HeldExit exit;
};

/// The game takes exit `slot` of `room`: it is pending until a room is shown.
void markExitTaken(ReachMarks* marks, std::uint32_t room, std::uint32_t slot);

/// The game shows `room`: it is marked, and the exit pending is taken.
void markRoomShown(ReachMarks* marks, std::uint32_t room);

/// Counts the marks against `check` as measureCoverage counts what scripts
/// reach, into `report` (its notes, and the numbers shown and counted).
void tallyReached(const MapCheck& check, const std::uint16_t* marks, CoverageReport* report);

/// What kaland-check writes on standard error for a coverage: the runner's
/// refusal of the map, or an error line for each script the map stopped.
std::vector<ReportLine> coverageErrors(const std::string& mapName, const CoverageReport& report);

/// What it writes on standard output: a note for each script line that took
/// no exit ("SCRIPT:LINE: note: key x matches no exit of room 1 (its keys:
/// e, w)"), a note for each room never shown and each exit never taken
/// ("MAP:LINE: note: this exit is never taken: key e to room 2"), then "MAP:
/// rooms shown A/B, exits taken C/D, endings reached E/F". Nothing when the
/// runner refused the map.
std::vector<ReportLine> coverageNotes(const std::string& mapName, const CoverageReport& report);

/// True when some room, exit or ending was never reached.
bool leavesAnythingUncovered(const CoverageReport& report);
