// The studio engine's console binding. The studio both plays the map for the
// author (the page's console: typed lines in, the transcript kept) and plays
// key scripts for coverage and transcripts (the checker's console: a script
// in, the output dropped or kept). Both consoles are compiled in under other
// names (studio_page_console.cpp, studio_script_console.cpp) and this
// binding passes each call to the one in use: the checker's from
// startScriptConsole on, the page's from useWebConsole on.
#pragma once

/// Serves the page's console from now on.
void useWebConsole();
