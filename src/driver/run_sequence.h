// The run sequence of the console program: choose the map, play it, report.
#pragma once

/// Map file used when the command line names none, relative to the current
/// directory.
constexpr const char* DEFAULT_MAP_PATH = "zelmor.map";

/// Runs the whole program for a command line and returns its exit status:
/// 0 after a normal run, -1 when the map cannot be loaded, when it has a
/// defect (after its message) or when standard output failed.
int runSequence(int argc, char** argv);
