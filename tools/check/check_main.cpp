// kaland-check [--strict] [--dot] [--quiet] MAP...
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/stat.h>

#include "map_check.h"

namespace {

const char USAGE[] =
    "usage: kaland-check [--strict] [--dot] [--quiet] MAP...\n"
    "Checks kaland maps: reports what the runner would refuse (errors) and what\n"
    "would play wrong (warnings), each as MAP:LINE: error|warning: TEXT.\n"
    "  --strict   exit with status 1 on warnings too\n"
    "  --dot      write each map as a Graphviz graph to standard output\n"
    "  --quiet    print nothing for a map without errors or warnings\n"
    "  --help     show this help\n"
    "  --version  show the version\n"
    "Exit status: 0 when the runner would load every map, 1 when it would\n"
    "refuse one (or --strict and a warning), 2 for a usage error or a file\n"
    "that cannot be read.\n";

struct Options {
    bool strict = false;
    bool dot = false;
    bool quiet = false;
};

std::string plural(std::size_t count, const char* noun) {
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

// Reads and checks one map file. Returns false when it cannot be read.
bool checkMapFile(const char* path, MapCheck* check) {
    struct stat status;
    if (stat(path, &status) == 0 && S_ISDIR(status.st_mode)) {
        std::fprintf(stderr, "%s: error: is a directory\n", path);
        return false;
    }
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        std::fprintf(stderr, "%s: error: cannot open: %s\n", path, std::strerror(errno));
        return false;
    }
    MapLineReader reader;
    bool started = startMapLines(&reader, file);
    if (started) readMapForCheck(&reader, check);
    endMapLines(&reader);
    bool failed = !started || std::ferror(file) != 0;
    int readError = started ? errno : ENOMEM;
    std::fclose(file);
    if (failed) {
        std::fprintf(stderr, "%s: error: cannot read: %s\n", path, std::strerror(readError));
        return false;
    }
    analyseMap(check);
    return true;
}

int checkOneMap(const char* path, const Options& options) {
    MapCheck check;
    if (!checkMapFile(path, &check)) return 2;
    for (const Diagnostic& diagnostic : check.diagnostics) {
        std::fprintf(stderr, "%s:%llu: %s: %s\n", path, static_cast<unsigned long long>(diagnostic.line),
                     diagnostic.severity == Error ? "error" : "warning", diagnostic.text.c_str());
    }
    std::size_t errors = check.count(Error);
    std::size_t warnings = check.count(Warning);
    if (!options.quiet || errors + warnings > 0) {
        std::fprintf(stderr, "%s: %s, %s\n", path, plural(errors, "error").c_str(),
                     plural(warnings, "warning").c_str());
    }
    if (options.dot) std::fputs(drawMap(check).c_str(), stdout);
    return errors > 0 || (options.strict && warnings > 0) ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    int firstMap = argc;
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        if (argument == "--") {
            firstMap = i + 1;
            break;
        }
        if (argument.empty() || argument[0] != '-' || argument == "-") {
            firstMap = i;
            break;
        }
        if (argument == "--strict") {
            options.strict = true;
        } else if (argument == "--dot") {
            options.dot = true;
        } else if (argument == "--quiet") {
            options.quiet = true;
        } else if (argument == "--help") {
            std::fputs(USAGE, stdout);
            return 0;
        } else if (argument == "--version") {
            std::printf("kaland-check %s\n", KALAND_VERSION);
            return 0;
        } else {
            std::fprintf(stderr, "kaland-check: unknown option '%s'\n%s", argv[i], USAGE);
            return 2;
        }
    }
    if (firstMap >= argc) {
        std::fprintf(stderr, "kaland-check: no map given\n%s", USAGE);
        return 2;
    }
    int status = 0;
    for (int i = firstMap; i < argc; ++i) {
        int mapStatus = checkOneMap(argv[i], options);
        if (mapStatus > status) status = mapStatus;
    }
    return status;
}
