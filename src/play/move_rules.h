// The rules of a move: what a typed line does in the room that reads it, and
// where a chain of passages ends. The game loop plays by these rules, and
// kaland-check's analysis, routes and coverage reason with the same ones on
// their own model of a map, so that what the checker says is what the runner
// does. Pure functions: they read rooms and lines, and change nothing.
#pragma once

#include <cstdint>

#include "room_table.h"

/// The exit a passage (an Automatic room) and a scene (a WaitForEnter room)
/// move on through: their first.
constexpr std::uint32_t FIRST_EXIT = 0;

// What a typed line does in the room that read it.
enum LineEffect {
    LineIgnored,    // nothing: the room reads the next line
    LineTakesExit,  // the player moves on through exit `slot`
    LineQuits,      // the player typed "exit": the game ends
};

struct LineMove {
    LineEffect effect;
    std::uint32_t slot;  // for LineTakesExit; FIRST_EXIT otherwise
};

/// What `line` does in a room of `kind` with `exits` (MAX_EXITS of them).
/// The line is a terminated string, as readConsoleLine gives it, so a NUL
/// ends its text. A room that waits for a key takes the first exit whose key
/// is the line's only byte, lowercased, and quits on "exit" in any case
/// ("exit" is never a key); any other line is ignored. A scene that waits
/// for Enter takes its first exit, whatever the line holds. Rooms of other
/// kinds read no line: LineIgnored.
LineMove moveForLine(RoomKind kind, const Exit* exits, const char* line);

/// The reverse of moveForLine: the line that takes exit `slot` of a room of
/// `kind` with `exits`, written terminated to `line` (two bytes): the exit's
/// key alone in a room that waits for a key, an empty line in a scene.
/// False when no line takes that slot: a passage or an ending, an empty
/// slot, a scene's exit after its first, a key an earlier exit of the room
/// answers, or a key no line can hold.
bool lineTakingExit(RoomKind kind, const Exit* exits, std::uint32_t slot, char* line);

// How a key byte can be typed as a line of its own.
enum KeyTyping {
    KeyTypable,      // printable ASCII
    KeyControl,      // a control character: a key script can hold it, a player hardly types it
    KeyBeyondAscii,  // 0x80 to 0xFF: a UTF-8 terminal sends such a letter as two bytes or more
    KeyEndsLine,     // LF or CR: no line holds it alone
};

/// How `key` can be typed: the one rule for the checker's warnings about
/// keys, for which keys random games type and which keys a room's text needs
/// to name.
KeyTyping keyTyping(char key);

// How a chain of passages ends.
enum ChainEnd {
    ChainStops,        // at `room`, which waits for a line or ends the game
    ChainLeavesTable,  // the passage `room` leads to `target`, past the table
    ChainGoesRound,    // the passage `room` leads to `target`, entered since the last line read
};

struct PassageChain {
    ChainEnd end;
    std::uint32_t room;
    std::uint32_t target;  // for ChainLeavesTable and ChainGoesRound
};

/// Enters `room` and follows the passages from it, as the game loop moves:
/// each Automatic room moves on through its first exit, until a room of
/// another kind, an exit past the table, or a move into a room already
/// entered since the last line was read (the game would go round for ever
/// without asking the player anything). `world` holds the map, whatever its
/// form, and hears of each move:
///   RoomKind kindOf(std::uint32_t room)
///   const Exit* exitsOf(std::uint32_t room)
///   std::uint32_t roomCount()
///   bool enteredSinceLine(std::uint32_t room)
///   void enter(std::uint32_t room)                          // the player is in the room
///   void takeExit(std::uint32_t room, std::uint32_t slot)  // told before the move is checked
template <typename World>
PassageChain enterAndFollowPassages(World& world, std::uint32_t room) {
    for (;;) {
        world.enter(room);
        if (world.kindOf(room) != Automatic) return PassageChain{ChainStops, room, 0};
        world.takeExit(room, FIRST_EXIT);
        std::uint32_t target = world.exitsOf(room)[FIRST_EXIT].target;
        if (target >= world.roomCount()) return PassageChain{ChainLeavesTable, room, target};
        if (world.enteredSinceLine(target)) return PassageChain{ChainGoesRound, room, target};
        room = target;
    }
}
