// kaland-check [OPTION]... MAP...
// kaland-check [OPTION]... --cover MAP SCRIPT...
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "check_options.h"
#include "console_binding.h"
#include "map_check.h"
#include "map_coverage.h"
#include "map_routes.h"

namespace {

std::string plural(std::size_t count, const char* noun) {
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

// Reads and checks one map from an open file, called `name` in messages.
// Returns false when it cannot be read.
bool checkOpenMap(std::FILE* file, const char* name, MapCheck* check) {
    MapLineReader reader;
    bool started = startMapLines(&reader, file);
    if (started) readMapForCheck(&reader, check);
    endMapLines(&reader);
    if (!started || std::ferror(file) != 0) {
        std::fprintf(stderr, "%s: error: cannot read: %s\n", name, std::strerror(started ? errno : ENOMEM));
        return false;
    }
    analyseMap(check);
    return true;
}

// Reads and checks the map `path` names; "-" is standard input.
bool checkMapFile(const std::string& path, MapCheck* check) {
    if (path == "-") return checkOpenMap(stdin, STANDARD_INPUT_NAME, check);
    struct stat status;
    if (stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode)) {
        std::fprintf(stderr, "%s: error: is a directory\n", path.c_str());
        return false;
    }
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        std::fprintf(stderr, "%s: error: cannot open: %s\n", path.c_str(), std::strerror(errno));
        return false;
    }
    bool read = checkOpenMap(file, path.c_str(), check);
    std::fclose(file);
    return read;
}

// Reads standard input whole and checks it: --cover loads the map again to
// play it, and standard input can be read only once.
bool checkKeptStandardInput(std::string* bytes, MapCheck* check) {
    MapLineReader reader;
    bool started = readWholeStream(stdin, bytes) && startMapLinesInMemory(&reader, bytes->data(), bytes->size());
    if (started) readMapForCheck(&reader, check);
    endMapLines(&reader);
    if (!started) {
        std::fprintf(stderr, "%s: error: cannot read: %s\n", STANDARD_INPUT_NAME, std::strerror(errno));
        return false;
    }
    analyseMap(check);
    return true;
}

// Routes are found before the diagnostics are printed: a target that no
// route reaches is a warning among them.
std::vector<KeyRoute> findAskedRoutes(MapCheck* check, const CheckOptions& options) {
    if (options.routesDirectory.empty() || check->count(Error) > 0) return {};
    if (options.routeTargets.empty()) return findRoutes(check, findEndings(*check), "ending");
    return findRoutes(check, options.routeTargets, "room");
}

// Writes the routes and measures the scripts' coverage of a map the runner
// loads. Returns the exit status they call for.
int testLoadingMap(const std::string& name, const MapSource& source, const MapCheck& check,
                   const std::vector<KeyRoute>& routes, const CheckOptions& options) {
    int status = 0;
    const char* noun = options.routeTargets.empty() ? "ending" : "room";
    if (!options.routesDirectory.empty() &&
        !writeRoutes(name.c_str(), options.routesDirectory.c_str(), noun, routes)) {
        status = 2;
    }
    if (!options.cover) return status;
    std::fflush(stdout);
    std::vector<KeyScript> scripts;
    if (!readKeyScripts(options.scripts, &scripts)) return 2;
    CoverageReport report = measureCoverage(name.c_str(), source, check, scripts);
    printCoverage(name.c_str(), report);
    bool failed = !report.played || !report.stops.empty() || (options.strict && leavesAnythingUncovered(report));
    return std::max(status, failed ? 1 : 0);
}

int checkOneMap(const std::string& path, const CheckOptions& options) {
    MapCheck check;
    std::string kept;  // standard input, when --cover must load it again
    bool keep = options.cover && path == "-";
    if (!(keep ? checkKeptStandardInput(&kept, &check) : checkMapFile(path, &check))) return 2;
    std::string name = path == "-" ? STANDARD_INPUT_NAME : path;
    std::vector<KeyRoute> routes = findAskedRoutes(&check, options);
    for (const Diagnostic& diagnostic : check.diagnostics) printDiagnostic(name, diagnostic);
    std::size_t errors = check.count(Error);
    std::size_t warnings = check.count(Warning);
    if (!options.quiet || errors + warnings > 0) {
        std::fprintf(stderr, "%s: %s, %s\n", name.c_str(), plural(errors, "error").c_str(),
                     plural(warnings, "warning").c_str());
    }
    if (options.dot) std::fputs(drawMap(check, name).c_str(), stdout);
    int status = errors > 0 || (options.strict && warnings > 0) ? 1 : 0;
    MapSource source{path.c_str(), keep ? &kept : nullptr};
    if (errors == 0) status = std::max(status, testLoadingMap(name, source, check, routes, options));
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    startConsole();
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
    int status = 0;
    for (const std::string& map : options.maps) {
        int mapStatus = checkOneMap(map, options);
        if (mapStatus > status) status = mapStatus;
    }
    return status;
}
