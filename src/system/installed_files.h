// The files installed with the program (the bundled adventure, the page
// template), found relative to the running executable: BINDIR/../DATADIR/
// kaland/. A package in /usr, an install in /usr/local and any other prefix
// thus find their own files, and a build folder, which is no installed bin
// folder, finds none. On Windows the files sit beside the programs.
#pragma once

#include <cstddef>

/// Writes the path of the installed file `name` into `path` (`size` bytes)
/// and returns true when the running executable sits in an installed bin
/// folder and the file can be opened there.
bool findInstalledFile(const char* name, char* path, std::size_t size);

/// Writes the path of `name` in the running executable's own folder into
/// `path` and returns true when the file can be opened there: a build folder
/// keeps its files beside the programs.
bool findFileBesideExecutable(const char* name, char* path, std::size_t size);
