// The analysis's answers that play the map: coverage and transcripts on the
// runner's table, which the analysis keeps, and random games on its model.
// A host that asks them brings the script console the games read their
// keys from (script_console.h).
#pragma once

#include <string>
#include <vector>

#include "analysis.h"
#include "map_coverage.h"
#include "random_games.h"
#include "script_transcript.h"
#include "transcript_diff.h"

/// The coverage of `scripts` (see measureCoverage), played on the runner's
/// table. `name` is the map's name in messages.
CoverageReport coverScripts(MapAnalysis* analysis, const std::string& name, const std::vector<KeyScript>& scripts);

/// `script` played as `kaland MAP < SCRIPT` plays it, on the runner's table.
Transcript playScript(MapAnalysis* analysis, const std::string& script);

/// What the game shows before anything is typed (see firstScreen), played
/// on the runner's table, which stays loaded for questions about that room.
FirstScreen playFirstScreen(MapAnalysis* analysis);

/// The first difference of `transcript` (played by playScript) from the
/// expected output and exit status, as --expect reports it; nothing when
/// they are the same.
std::vector<ReportLine> transcriptDifference(MapAnalysis* analysis, const Transcript& transcript,
                                             const std::string& expectedOutput, int expectedStatus,
                                             const TranscriptNames& names);

/// Random games on the model of a map the runner loads (see playRandomGames).
RandomReport playRandom(const MapAnalysis& analysis, const RandomOptions& options);

/// What --random prints on standard output for `report`, and on standard
/// error for the first game a defect stopped, whose lines go to `keysPath`.
std::vector<ReportLine> randomReport(const MapAnalysis& analysis, const std::string& name, const RandomReport& report,
                                     const RandomOptions& options, const std::string& keysPath);
std::vector<ReportLine> randomStop(const MapAnalysis& analysis, const std::string& name, const RandomReport& report,
                                   const std::string& keysPath);
