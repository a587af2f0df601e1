// kaland-publish MAP [-o OUT.html] [--zip GAME.zip] [--title TEXT] [--strict]
// Writes the browser page with MAP embedded: one file that plays the map
// from a double-click or any static web host; and, with --zip, the zip a
// game site takes, with the page as its index.html. The files are made in
// memory from the map's analysis (publishGame); this file reads and writes.
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <sys/stat.h>

#include "analysis.h"
#include "diagnostic_text.h"
#include "file_names.h"
#include "game_release.h"
#include "installed_files.h"
#include "machine_memory.h"
#include "map_files.h"
#include "output_files.h"
#include "publish_game.h"
#include "random_bytes.h"

namespace {

const char USAGE[] =
    "usage: kaland-publish MAP [-o OUT.html] [--zip GAME.zip] [--title TEXT] [--strict]\n"
    "Writes a web page that plays the kaland map MAP in a browser: one file,\n"
    "with nothing to install and nothing fetched from the network.\n"
    "  -o, --output OUT.html  the page to write (default: MAP's name with .html);\n"
    "                         - writes it to standard output\n"
    "  --zip GAME.zip         write the zip a game site takes instead: the page as\n"
    "                         index.html, the map, its .iFiction record and a\n"
    "                         README.txt (with -o, the page is written as well);\n"
    "                         - writes it to standard output\n"
    "  --title TEXT           the page's title (default: the map's #title, else the\n"
    "                         first line of the start room's text)\n"
    "  --strict               publish nothing when kaland-check warns about the map\n"
    "  --help                 show this help\n"
    "  --version              show the version\n"
    "kaland-check's warnings about the map go to standard error, and the map is\n"
    "published all the same, unless --strict is given.\n"
    "Exit status: 0 when everything was written, 1 when the runner would refuse\n"
    "the map, or --strict and a warning (nothing is written then), 2 for a usage\n"
    "error, a file that cannot be read or written, or a kaland built without its\n"
    "page template.\n";

struct Options {
    const char* map = nullptr;
    std::string output;
    std::string zip;
    bool hasTitle = false;
    std::string title;
    bool strict = false;
};

int usageError(const char* format, const char* argument) {
    std::fprintf(stderr, "kaland-publish: ");
    std::fprintf(stderr, format, argument);
    std::fprintf(stderr, "\n%s", USAGE);
    return 2;
}

// Parses the command line; returns -1 to go on, or the exit status.
int parseOptions(int argc, char** argv, Options* options) {
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        bool hasValue = i + 1 < argc;
        if (optionsEnded || argument.empty() || argument[0] != '-' || argument == "-") {
            if (options->map != nullptr) return usageError("more than one map given: '%s'", argv[i]);
            options->map = argv[i];
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "-o" || argument == "--output") {
            if (!hasValue) return usageError("%s needs a file name", argv[i]);
            options->output = argv[++i];
        } else if (argument == "--zip") {
            if (!hasValue) return usageError("%s needs a file name", argv[i]);
            options->zip = argv[++i];
        } else if (argument == "--title") {
            if (!hasValue) return usageError("%s needs a text", argv[i]);
            options->hasTitle = true;
            options->title = argv[++i];
        } else if (argument == "--strict") {
            options->strict = true;
        } else if (argument == "--help") {
            std::fputs(USAGE, stdout);
            return 0;
        } else if (argument == "--version") {
            std::printf("kaland-publish %s\n", KALAND_VERSION);
            return 0;
        } else {
            return usageError("unknown option '%s'", argv[i]);
        }
    }
    if (options->map == nullptr) return usageError("%s", "no map given");
    return -1;
}

// The template: installed beside the other files of kaland, or, in a build
// folder, beside this executable.
bool findTemplate(std::string* path) {
    char found[4200];
    if (!findInstalledFile("kaland.html", found, sizeof found) &&
        !findFileBesideExecutable("kaland.html", found, sizeof found)) {
        return false;
    }
    *path = found;
    return true;
}

// Prints what the checker says of the map: why the runner refuses it, or its
// warnings. Returns false when it refuses the map.
bool checkMap(const char* path, const MapAnalysis& analysis, PublishCheck* check) {
    *check = checkForPublishing(analysis, path);
    std::fputs(printedLines(check->refused ? check->errors : check->warnings).c_str(), stderr);
    return !check->refused;
}

// When the map was last changed, as the zip dates its files: the same map
// makes the same zip.
ZipTime modificationTime(const char* path) {
    ZipTime time;
    struct stat status;
    if (stat(path, &status) != 0) return time;
    std::time_t seconds = status.st_mtime;
    const std::tm* local = std::localtime(&seconds);
    if (local == nullptr) return time;
    time.year = local->tm_year + 1900;
    time.month = local->tm_mon + 1;
    time.day = local->tm_mday;
    time.hour = local->tm_hour;
    time.minute = local->tm_min;
    time.second = local->tm_sec;
    return time;
}

// A failed write leaves no half file behind, and an earlier page as it was.
// What was written is told on standard output, or on standard error when
// standard output carries a file ("-").
bool writeOutput(const std::string& path, const std::string& bytes, const Options& options) {
    std::string error;
    if (!replaceFile(path, bytes, &error)) {
        std::fprintf(stderr, "kaland-publish: cannot write %s: %s\n",
                     path == "-" ? "standard output" : path.c_str(), error.c_str());
        return false;
    }
    if (path != "-") {
        std::fprintf(options.output == "-" || options.zip == "-" ? stderr : stdout, "wrote %s\n", path.c_str());
    }
    return true;
}

// Whether two paths name the same file, however they are spelt.
bool isSameFile(const char* first, const char* second) {
    struct stat a;
    struct stat b;
    // Windows' stat has no file numbers (st_ino is 0): compare the paths there.
    if (stat(first, &a) != 0 || stat(second, &b) != 0 || a.st_ino == 0) {
        return std::strcmp(first, second) == 0;
    }
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Refuses outputs that would overwrite the map or each other.
bool checkOutputs(const Options& options, const std::string& page) {
    for (const std::string* output : {&page, &options.zip}) {
        if (!output->empty() && *output != "-" && isSameFile(output->c_str(), options.map)) {
            std::fprintf(stderr, "kaland-publish: %s would overwrite the map %s; name another file\n",
                         output->c_str(), options.map);
            return false;
        }
    }
    if (!page.empty() && !options.zip.empty() && isSameFile(page.c_str(), options.zip.c_str())) {
        std::fprintf(stderr, "kaland-publish: the page and the zip are both %s; name two files\n", page.c_str());
        return false;
    }
    return true;
}

bool readTemplate(std::string* templatePath, std::string* page) {
    if (!findTemplate(templatePath)) {
        std::fprintf(stderr,
                     "kaland-publish: the page template kaland.html is not installed: this kaland was\n"
                     "built without Emscripten. Build the page (see \"Play in a browser\" in the README)\n"
                     "and install it with kaland.\n");
        return false;
    }
    std::string error;
    if (!readWholeFile(templatePath->c_str(), false, page, &error)) {
        std::fprintf(stderr, "%s: error: %s\n", templatePath->c_str(), error.c_str());
        return false;
    }
    return true;
}

int publish(const Options& options) {
    std::string map;
    std::string error;
    // One byte past the limit tells a map too large for the page.
    if (!readWholeFile(options.map, false, &map, &error, MAX_PAGE_MAP_BYTES + 1)) {
        std::fprintf(stderr, "%s: error: %s\n", options.map, error.c_str());
        return 2;
    }
    if (map.size() > MAX_PAGE_MAP_BYTES) {
        std::fputs(printedLines({mapTooLargeError(options.map)}).c_str(), stderr);
        return 1;
    }
    MapAnalysis analysis;
    analyseMapBytes(&analysis, std::move(map), machineMemoryBytes());
    PublishCheck check;
    if (!checkMap(options.map, analysis, &check)) return 1;
    std::vector<ReportLine> strict = strictRefusal(check, options.map, options.strict);
    if (!strict.empty()) {
        std::fputs(printedLines(strict).c_str(), stderr);
        return 1;
    }
    PublishRequest request;
    request.name = options.map;
    request.fileName = pathFileName(options.map);
    request.title = options.hasTitle ? &options.title : nullptr;
    request.zip = !options.zip.empty();
    request.time = modificationTime(options.map);
    fillRandomBytes(request.random, sizeof request.random);
    std::string templatePath;
    if (!readTemplate(&templatePath, &request.pageTemplate)) return 2;
    // Without --zip the page is written by default; with it, only when named.
    std::string pagePath = options.output;
    if (pagePath.empty() && options.zip.empty()) pagePath = fileNamedAfter(options.map, ".html");
    if (!checkOutputs(options, pagePath)) return 2;

    PublishedGame game = publishGame(&analysis, request);
    std::fputs(printedLines(game.warnings).c_str(), stderr);
    if (game.failure == TemplateLacksPlace) {
        std::fprintf(stderr, "%s: error: not a kaland page template: %s is missing\n", templatePath.c_str(),
                     game.reason.c_str());
        return 2;
    }
    if (game.failure == ZipFailed) {
        std::fprintf(stderr, "kaland-publish: cannot make %s: %s\n", options.zip.c_str(), game.reason.c_str());
        return 2;
    }
    if (!pagePath.empty() && !writeOutput(pagePath, game.page, options)) return 2;
    if (!options.zip.empty() && !writeOutput(options.zip, game.zip, options)) return 2;
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    int status = parseOptions(argc, argv, &options);
    if (status < 0) status = publish(options);
    // What was written is told on standard output: a failure to tell it fails.
    if (!finishStandardOutput("kaland-publish") && status < 2) status = 2;
    return status;
}
