// The studio engine's console binding. The studio both plays the map for the
// author (the page's console: typed lines in, the transcript kept) and
// measures coverage (the checker's console: key scripts in, output dropped).
// Both consoles are compiled in under other names (see studio/CMakeLists.txt)
// and this binding passes each call to the one in use: the checker's while
// coverage plays its scripts, the page's otherwise.
#pragma once

#include <cstdint>
#include <vector>

/// Serves the page's console from now on (startScriptConsole switches to
/// the checker's).
void useWebConsole();

/// The room on show: the game's observer keeps it current, so that each line
/// read can be placed in its room.
void setRoomOnShow(std::uint32_t room);

/// The room on show when each line read of the page's console began.
const std::vector<std::uint32_t>& roomsOfReads();
