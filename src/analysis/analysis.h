// One analysis of a map, behind every author tool: kaland-check,
// kaland-publish and the studio's engine (and an editor's language server
// the same way) ask it their questions and turn its answers into their own
// form (printed lines, JSON, an editor's protocol) at the edge. It holds the map's bytes and the
// checker's model of them, and owns the runner's process-wide room table
// while coverage, transcripts or play need it. No answer changes another:
// a route search adds no warning to the map, a coverage leaves the table
// loaded for the next transcript.
//
// A plain struct: hosts hand it to these functions (and those of
// map_questions.h, line_tokens.h and played_answers.h) and never reach into
// it. A new question is a new function in this library, answered in its
// own types.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "map_lines.h"
#include "map_model.h"
#include "map_outline.h"
#include "route_search.h"

struct MapAnalysis {
    std::string bytes;     // the map, when it was given whole
    bool hasBytes = false;
    MapCheck check;        // the checker's model of the map and its diagnostics
    // Where the lines of `bytes` start, and its directive lines as written:
    // what the questions about places in the text read (empty for a map
    // read line by line).
    std::vector<std::size_t> lineStarts;
    MapOutline outline;
    // The runner's table: whether this analysis has tried to load it, and
    // why the runner refuses the map (NoDefect: the table holds it).
    bool tableTried = false;
    MapDefect refusal{NoDefect, 0, 0};
};

/// Checks the map `bytes` as kaland-check does, into `analysis`, which
/// forgets the map before (and releases its table). A table larger than
/// `machineMemory` bytes is an error: the runner cannot have it.
void analyseMapBytes(MapAnalysis* analysis, std::string bytes, std::uint64_t machineMemory);

/// The same for a map read line by line as it goes from `reader`, which the
/// caller started (a file too large to keep whole): questions that play the
/// map on the runner's table need the bytes and are not asked of it.
void analyseMapLines(MapAnalysis* analysis, MapLineReader* reader, std::uint64_t machineMemory);

/// Releases the runner's table, if the analysis loaded it.
void endAnalysis(MapAnalysis* analysis);

/// Ends the analysis and hands its map's bytes back, for an editor to
/// change them and give them to analyseMapBytes again; until then the
/// analysis is asked nothing. Its model is kept meanwhile, to be replaced by
/// the next: memory given back and asked for again at every keystroke costs
/// more than the analysis of a large map.
std::string takeMapBytes(MapAnalysis* analysis);

/// The map's bytes, as the analysis was given them ("" for a map read line
/// by line).
const std::string& mapBytes(const MapAnalysis& analysis);

/// The map's directive lines as written (empty for a map read line by line).
const MapOutline& mapOutline(const MapAnalysis& analysis);

/// The diagnostics, in the order kaland-check prints them.
const std::vector<Diagnostic>& mapDiagnostics(const MapAnalysis& analysis);

/// How many diagnostics of `severity` the map has.
std::size_t countDiagnostics(const MapAnalysis& analysis, Severity severity);

/// Whether the runner loads the map: the checker found no error.
bool runnerLoadsMap(const MapAnalysis& analysis);

/// How the map's text is shown (decideMapEncoding).
MapEncoding mapEncoding(const MapAnalysis& analysis);

/// The runner's table, loaded from the map's bytes when first needed and
/// kept until the analysis ends or is given another map. Returns why the
/// runner refuses the map, NoDefect once the table holds it.
const MapDefect& loadRunnerTable(MapAnalysis* analysis);

// ---- routes ----

/// The map's endings, lowest number first: what routes lead to by default.
std::vector<std::uint32_t> mapEndings(const MapAnalysis& analysis);

/// The shortest routes to `targets` (see findRoutes), with the targets no
/// route reaches. The map must load.
RouteSearch findMapRoutes(const MapAnalysis& analysis, const std::vector<std::uint32_t>& targets);

/// The map's diagnostics with the warnings about targets no route reaches
/// ("no route to `noun` N") among them, in the order kaland-check prints them.
std::vector<Diagnostic> diagnosticsWithRoutes(const MapAnalysis& analysis, const RouteSearch& routes,
                                              const char* noun);
