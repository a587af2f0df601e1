// kaland-check [OPTION]... MAP...
// kaland-check [OPTION]... --routes DIR [--route-to N]... MAP
// kaland-check [OPTION]... --cover MAP SCRIPT...
// kaland-check [OPTION]... --bless|--expect MAP SCRIPT...
// kaland-check [OPTION]... --random N [--seed S] [--steps K] MAP
// kaland-check --lsp
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "analysis.h"
#include "check_options.h"
#include "console_system.h"
#include "diagnostic_text.h"
#include "lsp_server.h"
#include "machine_memory.h"
#include "map_files.h"
#include "map_questions.h"
#include "output_files.h"
#include "played_answers.h"
#include "random_bytes.h"
#include "route_files.h"
#include "transcript_runs.h"

namespace {

// Reads the map `path` names ("-" is standard input) and analyses it; with
// `keep`, the map is read whole first, for --cover, --bless and --expect to
// play. Returns false, after a message, when it cannot be read.
bool analyseMapFile(const std::string& path, const char* name, bool keep, MapAnalysis* analysis) {
    std::string error;
    if (keep) {
        std::string bytes;
        bool read = readWholeFile(path.c_str(), true, &bytes, &error);
        if (read) analyseMapBytes(analysis, std::move(bytes), machineMemoryBytes());
        if (!read) std::fprintf(stderr, "%s: error: %s\n", name, error.c_str());
        return read;
    }
    std::FILE* file = openInputFile(path.c_str(), true, &error);
    if (file == nullptr) {
        std::fprintf(stderr, "%s: error: %s\n", name, error.c_str());
        return false;
    }
    MapLineReader reader;
    bool started = startMapLines(&reader, file);
    if (started) analyseMapLines(analysis, &reader, machineMemoryBytes());
    endMapLines(&reader);
    bool failed = !started || std::ferror(file) != 0;
    int reason = started ? errno : ENOMEM;
    closeInputFile(file);
    if (failed) std::fprintf(stderr, "%s: error: cannot read: %s\n", name, std::strerror(reason));
    return !failed;
}

// What the routes lead to: every ending, or the rooms --route-to names.
const char* routeNoun(const CheckOptions& options) {
    return options.routeTargets.empty() ? "ending" : "room";
}

// Routes are found before the diagnostics are printed: a target that no
// route reaches is a warning among them.
RouteSearch findAskedRoutes(const MapAnalysis& analysis, const CheckOptions& options) {
    if (options.routesDirectory.empty() || !runnerLoadsMap(analysis)) return {};
    return findMapRoutes(analysis, options.routeTargets.empty() ? mapEndings(analysis) : options.routeTargets);
}

// Writes the routes, plays the random games and measures the scripts'
// coverage of a map the runner loads. Returns the exit status they call for.
int testLoadingMap(const char* name, const std::string& path, MapAnalysis* analysis, const RouteSearch& routes,
                   const CheckOptions& options) {
    int status = 0;
    if (!options.routesDirectory.empty() &&
        !writeRoutes(name, options.routesDirectory.c_str(), routeNoun(options), routes.routes)) {
        status = 2;
    }
    if (options.random.games > 0) {
        std::fflush(stdout);
        status = std::max(status, playRandomGames(name, path, *analysis, options.random));
    }
    if (!options.cover) return status;
    std::fflush(stdout);
    std::vector<KeyScript> scripts;
    if (!readKeyScripts(options.scripts, &scripts)) return 2;
    CoverageReport report = coverScripts(analysis, name, scripts);
    std::fputs(printedLines(coverageErrors(name, report)).c_str(), stderr);
    std::fflush(stderr);
    std::fputs(printedLines(coverageNotes(name, report)).c_str(), stdout);
    bool failed = !report.played || !report.stops.empty() || (options.strict && leavesAnythingUncovered(report));
    return std::max(status, failed ? 1 : 0);
}

int checkOneMap(const std::string& path, const CheckOptions& options) {
    const char* name = path == "-" ? STANDARD_INPUT_NAME : path.c_str();
    MapAnalysis analysis;
    // --cover, --bless and --expect play the very bytes the checker read.
    bool keep = options.cover || options.bless || options.expect;
    if (!analyseMapFile(path, name, keep, &analysis)) return 2;
    RouteSearch routes = findAskedRoutes(analysis, options);
    std::vector<Diagnostic> diagnostics = diagnosticsWithRoutes(analysis, routes, routeNoun(options));
    std::size_t errors = countDiagnostics(diagnostics, Error);
    std::size_t warnings = countDiagnostics(diagnostics, Warning);
    // Notes are not counted: --quiet leaves out a map that has only notes.
    if (!options.quiet || errors + warnings > 0) {
        std::vector<ReportLine> lines;
        for (const Diagnostic& diagnostic : diagnostics) {
            lines.push_back(diagnosticLine(name, diagnostic));
            if (options.fixes && !diagnostic.mending.edits.empty()) lines.push_back(fixLine(name, diagnostic.mending));
        }
        if (options.fixes) {
            // No diagnostic stands for a missing #ifid (kaland-publish
            // warns of it): its line comes after the others.
            unsigned char random[16];
            fillRandomBytes(random, sizeof random);
            Mending ifid = freshIfidMending(analysis, random);
            if (!ifid.edits.empty()) lines.push_back(fixLine(name, ifid));
        }
        lines.push_back(diagnosticSummary(name, errors, warnings));
        std::fputs(printedLines(lines).c_str(), stderr);
    }
    if (options.dot) std::fputs(drawMapPicture(analysis, name).dot.c_str(), stdout);
    int status = errors > 0 || (options.strict && warnings > 0) ? 1 : 0;
    if (errors == 0) status = std::max(status, testLoadingMap(name, path, &analysis, routes, options));
    // A transcript of a map the runner refuses is its refusal. Scripts that
    // --cover could not read have been reported already.
    if (!options.cover || status != 2) {
        std::fflush(stdout);
        if (options.bless) status = std::max(status, blessScripts(name, &analysis, options.scripts));
        if (options.expect) status = std::max(status, expectScripts(name, path, &analysis, options.scripts));
    }
    endAnalysis(&analysis);
    return status;
}

int checkMaps(int argc, char** argv) {
    // Maps, scripts and pictures are bytes: no line-end translation.
    systemStartStreams();
    CheckOptions options;
    std::string error;
    if (!parseCheckOptions(argc - 1, argv + 1, &options, &error)) {
        std::fprintf(stderr, "kaland-check: %s\n%s", error.c_str(), checkUsage().c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(checkUsage().c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("kaland-check %s\n", KALAND_VERSION);
        return 0;
    }
    if (options.lsp) return serveLanguageProtocol(standardStreams(), machineMemoryBytes(), KALAND_VERSION);
    int status = 0;
    for (const std::string& map : options.maps) {
        int mapStatus = checkOneMap(map, options);
        if (mapStatus > status) status = mapStatus;
    }
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    int status = checkMaps(argc, argv);
    // Help, pictures, routes and reports that did not reach standard output
    // are a failure, like a file that cannot be written.
    if (!finishStandardOutput("kaland-check") && status < 2) status = 2;
    return status;
}
