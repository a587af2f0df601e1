// What follows a game: the exit prompt and its line (closeGame), and what
// the player is told of a defect (reportDefect), for the console program's
// run sequence and for hosts that keep the table from game to game (the
// browser engines, transcripts); and one whole run from a line reader
// (runGame: load, play, release, close), as the fuzz target plays a map.
#pragma once

#include "game_loop.h"
#include "map_defects.h"
#include "map_lines.h"

/// Written after a game that ended normally; one more line is read after it.
constexpr const char* EXIT_PROMPT = "Nyomj <Enter>-t a kilepeshez!";

/// Loads the map from `reader` (and ends the reader: the map is not needed
/// once the table is built), plays it, releases the table, writes the exit
/// prompt and reads one more line. Returns 0 after a normal run and -1 when
/// the map could not be loaded or the game met a defect; the reason is left
/// in `defect` for the caller to report.
int runGame(MapLineReader* reader, MapDefect* defect);

/// What follows a game once its table is released: the exit prompt and one
/// more line, unless a defect stopped the game. Returns 0, or -1 after a
/// defect. Hosts that keep the table between games call it after playGame.
int closeGame(GameEnd end);

/// Writes what the player is told about a defect: nothing, the bare message,
/// or the message as an "Error: " line.
void reportDefect(const MapDefect& defect);
