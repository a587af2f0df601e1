// Random play: games in which a player types, at each read, one of the lines
// that do something in the room, drawn with the dice of random_draw.h. They
// are played on the checker's model by the rules of a move (move_rules.h),
// like the route search, and report how the games ended, what they never
// reached and the first game a defect of the map stopped, with the lines it
// typed, which `kaland MAP` replays to the same defect.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "map_coverage.h"
#include "map_defects.h"
#include "map_model.h"

constexpr std::uint64_t DEFAULT_RANDOM_SEED = 1;
constexpr std::uint64_t DEFAULT_RANDOM_STEPS = 1000;
/// In a room that waits for a key, "exit" is typed at one read in this many.
constexpr std::uint32_t EXIT_CHANCE = 100;

/// How often a long run tells how far it is.
constexpr std::uint64_t PROGRESS_GAMES = 1000;

struct RandomOptions {
    std::uint64_t games = 0;
    std::uint64_t seed = DEFAULT_RANDOM_SEED;
    std::uint64_t steps = DEFAULT_RANDOM_STEPS;  // lines typed at most in one game
    // Told the number of games played after every PROGRESS_GAMES of them, for
    // a page to show while a long run goes on; may be null.
    void (*progress)(std::uint64_t played) = nullptr;
};

struct RoomCount {
    std::uint32_t room;
    std::uint64_t games;
};

struct RandomReport {
    bool played = false;           // false: no memory for the marks
    std::vector<RoomCount> endings;  // every ending of the map, lowest first
    std::vector<RoomCount> stuck;    // the rooms where games got stuck, lowest first
    std::uint64_t stuckGames = 0;    // in a room no line leaves
    std::uint64_t quitGames = 0;     // typed exit
    std::uint64_t longGames = 0;     // ran out of lines
    std::uint64_t stoppedGames = 0;  // stopped by a defect of the map
    // The first game a defect stopped (numbered from 1; 0: none), the lines
    // it typed, the defect, and the exit that led to it.
    std::uint64_t firstStopped = 0;
    std::string stoppedKeys;
    std::uint64_t stoppedLines = 0;
    MapDefect defect{NoDefect, 0, 0};
    std::uint32_t stopRoom = 0;
    std::uint32_t stopSlot = 0;
    CoverageReport reached;  // what the games never reached, counted as coverage counts it
};

/// Plays `options.games` games on the model of a map the runner loads (no
/// errors in `check`). Game G draws from sequence G of the seed, so a game
/// plays the same whatever the number of games. At each read a room that
/// waits for a key types "exit" with the chance 1 in EXIT_CHANCE, else one
/// of its keys that take an exit, each as likely (a key that an earlier exit
/// of the room shadows counts once); a scene takes Enter. A game ends in an
/// ending, in a room no line leaves (stuck), on "exit", after
/// `options.steps` lines, or where the runner stops it on a defect.
RandomReport playRandomGames(const MapCheck& check, const RandomOptions& options);

/// Where the lines of the first game stopped by a defect are written:
/// beside the map, named after it without ".map", with the seed, as
/// releaseFileName makes it: cave.map gives cave.random-1.keys ("-" gives
/// stdin.random-1.keys in the current folder).
std::string randomKeysPath(const std::string& mapPath, std::uint64_t seed);

/// The report on standard output: the games, each ending with its count and
/// share, the games stuck (and where), quit, out of lines and stopped by a
/// defect, the notes of what no game reached, and the coverage summary.
std::string randomReportText(const char* mapName, const RandomReport& report, const RandomOptions& options,
                             const MapCheck& check, const std::string& keysPath);

/// The error on standard error for the first game stopped by a defect, as
/// --cover reports that script: "KEYS:LINE: error: MESSAGE: CAUSE".
std::string randomStopError(const char* mapName, const RandomReport& report, const MapCheck& check,
                            const std::string& keysPath);
