// What the console program tells its console binding (console_stdio.cpp)
// beyond console_binding.h: how the map's text is to be shown, for a
// terminal that shows text in a code page of its own.
#pragma once

#include "text_encoding.h"

/// True when standard output is such a terminal (a Windows console): only
/// then is the map's encoding worth a pass over the map.
bool consoleNeedsMapEncoding();

/// Tells the console how the map's text is shown (decideMapEncoding),
/// before the game writes any of it. A Windows console is switched to UTF-8
/// for a UTF-8 map when the first text that is not ASCII reaches it.
void consoleShowMapTextAs(MapEncoding encoding);
