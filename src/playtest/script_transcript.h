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

// A room shown in a game: its block (a blank line, its text, a blank line)
// starts at `offset` in the output.
struct ShownRoom {
    std::size_t offset;
    std::uint32_t room;
    HeldExit wayIn;  // the exit that led here; not held for the start room
};

struct Transcript {
    ScriptOutput output;
    int status = 0;               // 0, or 255 (the runner's -1) after a refusal or a defect
    bool played = false;          // false: the runner refused the map and played nothing
    GameEnd end = NoStartRoom;
    MapDefect defect{NoDefect, 0, 0};  // the refusal, or the defect that stopped the game
    std::vector<ShownRoom> shown;
    std::size_t gameEnd = 0;      // the output's size when the game ended: the exit prompt or a message follow
    // The last exit taken, still held when no room was shown after it: the
    // exit that stopped the game.
    HeldExit lastExit;
};

/// Plays `script` from the start room as `kaland MAP < SCRIPT` plays it:
/// the game, then the exit prompt and one more line read, or the message
/// of the refusal or the defect, and the exit status. `refusal` is NoDefect
/// when the runner's table holds the map (as `kaland MAP` loads it), and
/// otherwise why the runner refuses it.
Transcript playTranscript(const MapDefect& refusal, const std::string& script);

// What a game shows before the player has typed anything.
struct FirstScreen {
    std::string output;                 // the output up to the first line a room reads
    std::uint32_t room = UINT32_MAX;     // that room; UINT32_MAX for none
};

/// The first screen of the map's game (`refusal` as for playTranscript):
/// empty (and no room) when the game ends or stops before any room reads a
/// line.
FirstScreen firstScreen(const MapDefect& refusal);
