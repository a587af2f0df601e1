// What the program's console binding (console_stdio.cpp) asks of the
// operating system. One file per system implements it: console_posix.cpp and
// console_windows.cpp; CMake links the one for the target.
#pragma once

#include <cstddef>

#include "text_encoding.h"

/// Sets the standard streams up to carry bytes unchanged in both directions.
void systemStartStreams();

/// Next byte of standard input, or -1 at its end or on a read error.
int systemReadByte();

/// True when standard output is a terminal (on Windows, a character device).
bool systemOutputIsTerminal();

/// Writes every byte to standard output; false when the system refuses.
bool systemWriteOutput(const char* bytes, std::size_t length);

/// True when standard output shows text in a code page of its own (a
/// Windows console), which the map's encoding decides.
bool systemTerminalHasCodePage();

/// Tells the terminal how the map's text is shown, before any of it is written.
void systemShowMapTextAs(MapEncoding encoding);

/// Told of bytes about to reach the terminal, so that the terminal can be set
/// up to show them. The bytes themselves are written unchanged.
void systemPrepareTerminal(const char* bytes, std::size_t length);

/// Undoes what systemPrepareTerminal changed; runs when the process ends.
void systemRestoreTerminal();
