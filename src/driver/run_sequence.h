// The run sequence of the program: load, play, release, exit prompt.
#pragma once

/// Map file used when the command line names none, relative to the current
/// directory.
constexpr const char* DEFAULT_MAP_PATH = "zelmor.map";

/// Runs the whole program for a command line and returns its exit status:
/// 0 after a normal run, -1 when the map cannot be loaded. A defect in the
/// map ends the process before this returns.
int runSequence(int argc, char** argv);
