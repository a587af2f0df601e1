// Coverage: plays key scripts through the runner's own game loop and tells
// which rooms, exits and endings of the map they never reach.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "map_check.h"

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
};
constexpr std::uint32_t NO_ROOM = UINT32_MAX;

struct CoverageReport {
    bool played = false;            // false: the runner refused the map
    std::string refusal;            // why, when it did
    std::vector<ScriptStop> stops;
    std::vector<CoverageNote> notes;  // by map line
    std::uint32_t roomsShown = 0, rooms = 0;
    std::uint32_t exitsTaken = 0, exits = 0;
    std::uint32_t endingsReached = 0, endings = 0;
};

// Where the map to play is read from: the file at `path`, or `bytes` when
// they are given (standard input, read whole for the check).
struct MapSource {
    const char* path;
    const std::string* bytes;
};

/// Reads a stream to its end. False on a read error.
bool readWholeStream(std::FILE* stream, std::string* bytes);

/// Reads every script whole ("-" is standard input). Returns false, after a
/// message on standard error for each script that cannot be read.
bool readKeyScripts(const std::vector<std::string>& paths, std::vector<KeyScript>* scripts);

/// Loads the map from `source` into the runner's table, plays each script
/// from the start room as the runner would, and measures what the scripts
/// reached against `check`, the checker's model of the same map (which must
/// have no errors). Counts every room with a description, every room a
/// player can reach and every ending; every exit of those rooms that a
/// player can take (not one hidden by an earlier exit on the same key, nor a
/// passage's or scene's exit after its first).
/// `name` is the map's name in messages.
CoverageReport measureCoverage(const char* name, const MapSource& source, const MapCheck& check,
                               const std::vector<KeyScript>& scripts);

/// Prints the scripts' stops as errors on standard error, then the notes
/// and "MAP: rooms shown A/B, exits taken C/D, endings reached E/F" on
/// standard output.
void printCoverage(const char* mapPath, const CoverageReport& report);

/// True when some room, exit or ending was never reached.
bool leavesAnythingUncovered(const CoverageReport& report);
