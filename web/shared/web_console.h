// The browser's console: standard input is the lines the player has typed so
// far, standard output is kept in memory for the page. The game depends only
// on the map and those lines, so the page plays every line again from the
// start; the console notes where the input ran out, which is where the
// program on a terminal would wait for the player.
#pragma once

#include <cstddef>

/// Serves `size` bytes of `input` as standard input and empties the output.
/// With `inputClosed`, the end of the input is the end of standard input, as
/// when a file is piped in; otherwise it is where the player has not typed
/// yet, and the first read there is noted.
void startWebConsole(const char* input, std::size_t size, bool inputClosed);

/// True once a read found no more typed input (never with a closed input).
bool webInputRanOut();

/// Drops what was written after the input ran out: the player has not seen
/// it yet, because the program waits there.
void cutWebOutputAtWait();

const char* webOutput();
std::size_t webOutputSize();
/// True when the output could not be kept whole for lack of memory.
bool webOutputFailed();

/// How many line reads began, and how much output had been written when
/// each began: the place of each typed line in the transcript, one
/// std::size_t per read, in order.
std::size_t webReadCount();
std::size_t webReadOutputSize(std::size_t read);
const std::size_t* webReadOutputSizes();
