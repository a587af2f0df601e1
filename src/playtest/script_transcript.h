// Transcripts: what `kaland MAP < SCRIPT` writes on standard output and the
// status it exits with, made in-process by the runner's own code (the
// loader, the game loop, the exit prompt and the defect report of
// run_game.h) through the checker's console binding, which keeps the
// output. A PlayObserver records where each room's text starts and the exit
// that led there, so that a difference from an expected transcript can be
// traced back to the map line it comes from (transcript_diff.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "game_loop.h"
#include "map_defects.h"
#include "script_console.h"

/// "No room" where a room number is optional.
constexpr std::uint32_t NO_SHOWN_ROOM = UINT32_MAX;

// A room shown in a game: its block (a blank line, its text, a blank line)
// starts at `offset` in the output.
struct ShownRoom {
    std::size_t offset;
    std::uint32_t room;
    std::uint32_t fromRoom;  // the room whose exit led here; NO_SHOWN_ROOM for the start room
    std::uint32_t fromSlot;
};

struct Transcript {
    ScriptOutput output;
    int status = 0;               // 0, or 255 (the runner's -1) after a refusal or a defect
    bool played = false;          // false: the runner refused the map and played nothing
    GameEnd end = NoStartRoom;
    MapDefect defect{NoDefect, 0, 0};  // the refusal, or the defect that stopped the game
    std::vector<ShownRoom> shown;
    std::size_t gameEnd = 0;      // the output's size when the game ended: the exit prompt or a message follow
    // The last exit taken, when no room was shown after it: the exit that
    // stopped the game.
    bool exitPending = false;
    std::uint32_t exitRoom = 0;
    std::uint32_t exitSlot = 0;
};

// The runner's table, loaded once for every script of a map, or why the
// runner refuses the map.
struct TranscriptMap {
    bool loaded = false;
    MapDefect refusal{NoDefect, 0, 0};
};

/// Loads the map (`size` bytes) into the runner's table as `kaland MAP`
/// loads it. The table stays until releaseTranscriptMap.
TranscriptMap loadTranscriptMap(const char* bytes, std::size_t size);

/// Plays `script` from the start room as `kaland MAP < SCRIPT` plays it:
/// the game, then the exit prompt and one more line read, or the message
/// of the refusal or the defect, and the exit status.
Transcript playTranscript(const TranscriptMap& map, const std::string& script);

// What a game shows before the player has typed anything.
struct FirstScreen {
    std::string output;                 // the output up to the first line a room reads
    std::uint32_t room = NO_SHOWN_ROOM;  // that room
};

/// The first screen of the map's game: empty (and no room) when the game
/// ends or stops before any room reads a line.
FirstScreen firstScreen(const TranscriptMap& map);

/// Releases the table, if there is one.
void releaseTranscriptMap(TranscriptMap* map);
