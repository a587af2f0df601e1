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

#include "check_options.h"
#include "console_system.h"
#include "diagnostic_text.h"
#include "lsp_server.h"
#include "machine_memory.h"
#include "map_analysis.h"
#include "map_coverage.h"
#include "map_files.h"
#include "map_picture.h"
#include "map_reading.h"
#include "output_files.h"
#include "route_files.h"
#include "route_search.h"
#include "transcript_runs.h"

namespace {

// Reads the map `path` names ("-" is standard input) and checks it into
// `check`; with `keep`, the map is read whole into `bytes` first, for
// --cover, --bless and --expect to play. Returns false, after a message, when it cannot be read.
bool checkMapFile(const std::string& path, const char* name, bool keep, std::string* bytes, MapCheck* check) {
    std::string error;
    std::FILE* file = keep ? nullptr : openInputFile(path.c_str(), true, &error);
    bool opened = keep ? readWholeFile(path.c_str(), true, bytes, &error) : file != nullptr;
    if (!opened) {
        std::fprintf(stderr, "%s: error: %s\n", name, error.c_str());
        return false;
    }
    MapLineReader reader;
    bool started = file != nullptr ? startMapLines(&reader, file)
                                   : startMapLinesInMemory(&reader, bytes->data(), bytes->size());
    if (started) readMapForCheck(&reader, machineMemoryBytes(), check);
    endMapLines(&reader);
    bool failed = !started || (file != nullptr && std::ferror(file) != 0);
    int reason = started ? errno : ENOMEM;
    if (file != nullptr) closeInputFile(file);
    if (failed) {
        std::fprintf(stderr, "%s: error: cannot read: %s\n", name, std::strerror(reason));
        return false;
    }
    analyseMap(check);
    return true;
}

// What the routes lead to: every ending, or the rooms --route-to names.
const char* routeNoun(const CheckOptions& options) {
    return options.routeTargets.empty() ? "ending" : "room";
}

// Routes are found before the diagnostics are printed: a target that no
// route reaches is a warning among them.
std::vector<KeyRoute> findAskedRoutes(MapCheck* check, const CheckOptions& options) {
    if (options.routesDirectory.empty() || check->count(Error) > 0) return {};
    if (options.routeTargets.empty()) return findRoutes(check, findEndings(*check), routeNoun(options));
    return findRoutes(check, options.routeTargets, routeNoun(options));
}

// Writes the routes, plays the random games and measures the scripts'
// coverage of a map the runner loads. Returns the exit status they call for.
int testLoadingMap(const char* name, const std::string& path, const std::string& bytes, const MapCheck& check,
                   const std::vector<KeyRoute>& routes, const CheckOptions& options) {
    int status = 0;
    if (!options.routesDirectory.empty() &&
        !writeRoutes(name, options.routesDirectory.c_str(), routeNoun(options), routes)) {
        status = 2;
    }
    if (options.random.games > 0) {
        std::fflush(stdout);
        status = std::max(status, playRandom(name, path, check, options.random));
    }
    if (!options.cover) return status;
    std::fflush(stdout);
    std::vector<KeyScript> scripts;
    if (!readKeyScripts(options.scripts, &scripts)) return 2;
    CoverageReport report = measureCoverage(name, bytes.data(), bytes.size(), check, scripts);
    std::fputs(coverageErrors(name, report).c_str(), stderr);
    std::fflush(stderr);
    std::fputs(coverageNotes(name, report).c_str(), stdout);
    bool failed = !report.played || !report.stops.empty() || (options.strict && leavesAnythingUncovered(report));
    return std::max(status, failed ? 1 : 0);
}

int checkOneMap(const std::string& path, const CheckOptions& options) {
    const char* name = path == "-" ? STANDARD_INPUT_NAME : path.c_str();
    MapCheck check;
    std::string bytes;  // kept for --cover, --bless and --expect, which play the same bytes
    bool keep = options.cover || options.bless || options.expect;
    if (!checkMapFile(path, name, keep, &bytes, &check)) return 2;
    std::vector<KeyRoute> routes = findAskedRoutes(&check, options);
    std::size_t errors = check.count(Error);
    std::size_t warnings = check.count(Warning);
    // Notes are not counted: --quiet leaves out a map that has only notes.
    if (!options.quiet || errors + warnings > 0) {
        for (const Diagnostic& diagnostic : check.diagnostics) {
            std::fputs(diagnosticLine(name, diagnostic).c_str(), stderr);
        }
        std::fputs(diagnosticSummary(name, errors, warnings).c_str(), stderr);
    }
    if (options.dot) std::fputs(drawMap(check, name).c_str(), stdout);
    int status = errors > 0 || (options.strict && warnings > 0) ? 1 : 0;
    if (errors == 0) status = std::max(status, testLoadingMap(name, path, bytes, check, routes, options));
    // A transcript of a map the runner refuses is its refusal. Scripts that
    // --cover could not read have been reported already.
    if (options.cover && status == 2) return status;
    std::fflush(stdout);
    if (options.bless) status = std::max(status, blessScripts(name, bytes, options.scripts));
    if (options.expect) status = std::max(status, expectScripts(name, path, bytes, check, options.scripts));
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
