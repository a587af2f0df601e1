// One game on the browser's console, as both browser engines play it (the
// player page's and the studio's): everything typed so far goes in, the
// transcript up to where the program would wait comes out, and the page
// learns where the game stands.
#pragma once

#include <cstddef>

#include "game_loop.h"
#include "map_defects.h"

// Where a game stands after the typed lines; the page's only view of it.
enum GameState {
    WaitingForLine = 0,   // the game waits for the player's next line
    WaitingForEnter = 1,  // the exit prompt waits for its line
    Finished = 2,         // the program would have ended
    Stopped = 3,          // a defect (or no memory) stopped it; its message is in the output
};

struct WebGame {
    GameState state;
    MapDefect defect;               // the refusal, or the defect that stopped the game
    std::size_t runnerOutputStart;  // where the runner's own words (exit prompt, defect messages) begin
};

/// Plays the room table's game from the start with `size` bytes of `input`
/// as everything typed, each line ending in a newline (see startWebConsole
/// for `inputClosed`), or, when the table is not `loaded`, tells the player
/// of the `refusal`. The output is the web console's, cut where the program
/// would wait for more input.
WebGame playWebGame(bool loaded, const MapDefect& refusal, const char* input, std::size_t size, bool inputClosed,
                    const PlayObserver* observer = nullptr);

/// True when lack of memory spoiled the game that `defect` ended (or the
/// map it refused): the runner says nothing then, so the page must.
bool webGameOutOfMemory(const MapDefect& defect);
