// The game loop: shows rooms and moves the player through the room table.
#pragma once

#include <cstdint>

#include "map_defects.h"
#include "move_rules.h"

// How a game ended.
enum GameEnd {
    ReachedGameOver,  // a GameOver room was shown
    PlayerQuit,       // the player typed "exit"
    InputEnded,       // the input ended where a line was needed: the same as "exit"
    NoStartRoom,      // no room is described: nothing was shown
    GameStopped,      // a defect of the map stopped the game
};

// Told of every room shown and every exit taken, for tools that measure what
// a game reached. An exit is told as soon as a line or a passage takes it,
// before the move is checked: when the move stops the game (an exit out of
// the table, a circle of passages), no room is shown after it. `lineRead`,
// when given, is told of every line a room read and what the line did there
// (before the exit it takes, if any). The program itself plays without one.
struct PlayObserver {
    void (*roomShown)(void* context, std::uint32_t room);
    void (*exitTaken)(void* context, std::uint32_t room, std::uint32_t slot);
    void* context;
    void (*lineRead)(void* context, std::uint32_t room, const char* line, LineMove move) = nullptr;
};

/// Which exit led to the room shown, as an observer learns it: an exit is
/// held when it is told, and led to the next room shown. An exit still held
/// when the game ends is the one whose move stopped it.
struct HeldExit {
    bool held = false;
    std::uint32_t room = 0;
    std::uint32_t slot = 0;
};

/// An exit was taken: it is held until a room is shown.
inline void holdExit(HeldExit* exit, std::uint32_t room, std::uint32_t slot) {
    *exit = HeldExit{true, room, slot};
}

/// A room was shown: returns the exit that led there (not `held` for the
/// start room), which is held no longer.
inline HeldExit releaseHeldExit(HeldExit* exit) {
    HeldExit led = *exit;
    exit->held = false;
    return led;
}

/// Plays the loaded map from its start room (the lowest-numbered described
/// room) until a GameOver room, the word "exit" or the end of the input.
/// Reads the table, never changes it. A map that sends the player out of the
/// table, round a circle of Automatic rooms for ever, or into a room of an
/// unknown kind stops the game: GameStopped, with the reason in `defect`
/// (NoMemory when the game's own bookkeeping cannot be had).
GameEnd playGame(MapDefect* defect, const PlayObserver* observer = nullptr);
