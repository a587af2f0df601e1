// kaland-check's runs that test a map by playing it: --bless and --expect,
// which keep and compare what the game says along key scripts, and
// --random. They read and write the files and print the results; the
// playing and the comparing are the library's (script_transcript.h,
// transcript_diff.h, random_games.h), asked of the map's analysis.
#pragma once

#include <string>
#include <vector>

#include "played_answers.h"

/// Plays each script on the map (its `bytes`) and writes its transcript to
/// SCRIPT.expected, with a line on standard output for each. Returns the
/// exit status: 0, or 2 when a script cannot be read (nothing is played
/// then) or a file cannot be written.
int blessScripts(const char* mapName, MapAnalysis* analysis, const std::vector<std::string>& scripts);

/// Plays each script and compares with SCRIPT.expected: the first
/// difference of each on standard output, then "MAP: K of N scripts played
/// as expected". Returns 0 when all are, 1 when one differs or has no
/// expected transcript (an error that says how to make one), 2 when a file
/// cannot be read.
int expectScripts(const char* mapName, const std::string& mapPath, MapAnalysis* analysis,
                  const std::vector<std::string>& scripts);

/// Plays the random games and prints their report; writes the lines of the
/// first game a defect stopped beside the map. Returns 1 when a defect was
/// met, 2 when its file cannot be written, 0 otherwise.
int playRandomGames(const char* mapName, const std::string& mapPath, const MapAnalysis& analysis,
                    const RandomOptions& options);

/// Reads every script whole ("-" is standard input). Returns false, after a
/// message on standard error for each script that cannot be read.
bool readKeyScripts(const std::vector<std::string>& paths, std::vector<KeyScript>* scripts);
