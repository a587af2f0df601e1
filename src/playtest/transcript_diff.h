// Where a transcript first differs from the one expected, told in the terms
// of the script and the map: the script line the game had read last, the
// map line the differing text comes from (a line of a room's text, or the
// #irany line of the exit that led to the room), and a few lines of
// unified-diff context.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "diagnostic_text.h"

#include "map_model.h"
#include "script_transcript.h"

struct TranscriptNames {
    std::string script;    // as given
    std::string expected;  // the expected transcript's file
    std::string map;       // the map's name in messages
};

/// Compares `transcript` with the expected output and exit status. Returns
/// nothing when they are the same; otherwise the report of the first
/// difference, its line about the map naming the map line. The transcript's
/// map must still be loaded (its text is read from the table); `check` is
/// the checker's model of the same map and `mapBytes` its bytes.
std::vector<ReportLine> describeDifference(const Transcript& transcript, const std::string& expectedOutput,
                                           int expectedStatus, const MapCheck& check, const std::string& mapBytes,
                                           const TranscriptNames& names);

/// Lines of unified-diff context (headers, one hunk) around `offset`, the
/// first byte where `expected` and `actual` differ: up to three lines before
/// it, the lines that differ up to where the two agree again for three
/// lines (within 20 lines of each), and those three. Overlong lines are cut
/// and say so.
std::string unifiedContext(const std::string& expected, const std::string& actual, std::size_t offset,
                           const std::string& expectedName, const std::string& actualName);
