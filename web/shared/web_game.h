// One game on the browser's console, as both browser engines play it (the
// player page's and the studio's): everything typed so far goes in, the
// transcript up to where the program would wait comes out, and the page
// learns where the game stands and what each typed line did.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "game_loop.h"
#include "map_defects.h"

// Where a game stands after the typed lines; the page's only view of it.
enum GameState {
    WaitingForLine = 0,   // the game waits for the player's next line
    WaitingForEnter = 1,  // the exit prompt waits for its line
    Finished = 2,         // the program would have ended
    Stopped = 3,          // a defect (or no memory) stopped it; its message is in the output
};

// What a line read did: a room's LineEffect, or no room's (the exit
// prompt's line, or the read where the game waits for more).
enum ReadEffect {
    ReadIgnored = LineIgnored,    // no exit of the room took it
    ReadTookExit = LineTakesExit,
    ReadQuit = LineQuits,
    ReadByNoRoom = 3,
};

// A line read of the last game: the room on show when it was read, and what
// the line did there.
struct WebRead {
    std::uint32_t room;
    ReadEffect effect;
    std::uint32_t slot;  // the exit a line took
};

struct WebGame {
    GameState state;
    MapDefect defect;               // the refusal, or the defect that stopped the game
    std::size_t runnerOutputStart;  // where the runner's own words (exit prompt, defect messages) begin
};

/// Plays the room table's game from the start with `size` bytes of `input`
/// as everything typed, each line ending in a newline (see startWebConsole
/// for `inputClosed`), or, when the table is not loaded (`refusal` is not
/// NoDefect), tells the player why. The output is the web console's, cut
/// where the program would wait for more input. `observer`, when given,
/// watches the game too.
WebGame playWebGame(const MapDefect& refusal, const char* input, std::size_t size, bool inputClosed,
                    const PlayObserver* observer = nullptr);

/// The reads of the last game, one per read the console began.
const std::vector<WebRead>& webReads();

/// The effect of each read of the last game, in one block of 32-bit numbers.
const std::uint32_t* webReadEffects();

/// True when lack of memory spoiled the game that `defect` ended (or the
/// map it refused): the runner says nothing then, so the page must.
bool webGameOutOfMemory(const MapDefect& defect);

/// What the engines tell their pages once, as JSON: the game states, what a
/// line read did, and the largest map a page opens.
std::string pageConstantsJson();
