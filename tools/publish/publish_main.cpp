// kaland-publish MAP [-o OUT.html] [--title TEXT]
// Writes the browser page with MAP embedded: one file that plays the map
// from a double-click or any static web host.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/stat.h>

#include "installed_files.h"
#include "map_check.h"
#include "page_template.h"
#include "page_text.h"

namespace {

const char USAGE[] =
    "usage: kaland-publish MAP [-o OUT.html] [--title TEXT]\n"
    "Writes a web page that plays the kaland map MAP in a browser: one file,\n"
    "with nothing to install and nothing fetched from the network.\n"
    "  -o, --output OUT.html  the page to write (default: MAP's name with .html)\n"
    "  --title TEXT           the page's title (default: the first line of the\n"
    "                         start room's text)\n"
    "  --help                 show this help\n"
    "  --version              show the version\n"
    "Exit status: 0 when the page was written, 1 when the runner would refuse\n"
    "the map (nothing is written then), 2 for a usage error, a file that cannot\n"
    "be read or written, or a kaland built without its page template.\n";

// The largest map the page opens; a larger one would only be refused there.
constexpr std::size_t MAX_MAP_BYTES = std::size_t{64} << 20;

struct Options {
    const char* map = nullptr;
    std::string output;
    bool hasTitle = false;
    std::string title;
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
        } else if (argument == "--title") {
            if (!hasValue) return usageError("%s needs a text", argv[i]);
            options->hasTitle = true;
            options->title = argv[++i];
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

bool readWholeFile(const char* path, std::string* bytes, std::string* error) {
    struct stat status;
    if (stat(path, &status) == 0 && S_ISDIR(status.st_mode)) {
        *error = "is a directory";
        return false;
    }
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        *error = std::string("cannot open: ") + std::strerror(errno);
        return false;
    }
    char chunk[1 << 16];
    std::size_t count;
    while ((count = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        bytes->append(chunk, count);
        if (bytes->size() > MAX_MAP_BYTES) break;
    }
    bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) *error = "cannot read";
    return !failed;
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

std::string baseName(const std::string& path) {
    std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// MAP's path with its extension (if any) replaced by .html.
std::string defaultOutput(const std::string& map) {
    std::size_t dot = map.rfind('.');
    std::size_t slash = map.rfind('/');
    bool hasExtension = dot != std::string::npos && dot > 0 && (slash == std::string::npos || dot > slash + 1);
    return (hasExtension ? map.substr(0, dot) : map) + ".html";
}

// Checks the map as the runner loads it. Prints the refusal, as kaland-check
// words it, and returns false when the runner would not load it.
bool checkMap(const char* path, const std::string& bytes, MapCheck* check) {
    MapLineReader reader;
    bool started = startMapLinesInMemory(&reader, bytes.data(), bytes.size());
    if (started) readMapForCheck(&reader, check);
    endMapLines(&reader);
    if (!started) {
        std::fprintf(stderr, "%s: error: not enough memory to read it\n", path);
        return false;
    }
    analyseMap(check);
    for (const Diagnostic& diagnostic : check->diagnostics) {
        if (diagnostic.severity == Error) printDiagnostic(path, diagnostic);
    }
    return check->count(Error) == 0;
}

std::string defaultTitle(const MapCheck& check, const std::string& mapName) {
    std::string title = check.hasStart ? trimmed(roomAt(check, check.startRoom).firstLine) : "";
    return title.empty() ? mapName : title;
}

// Writes the page through a temporary file, so that a failed write leaves
// no half page behind.
bool writePage(const std::string& path, const std::string& page) {
    std::string temporary = path + ".tmp";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (file == nullptr) return false;
    bool written = std::fwrite(page.data(), 1, page.size(), file) == page.size();
    written = std::fclose(file) == 0 && written;
    if (written && std::rename(temporary.c_str(), path.c_str()) == 0) return true;
    int reason = errno;  // what went wrong, not what the clean-up meets
    std::remove(temporary.c_str());
    errno = reason;
    return false;
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

int publish(const Options& options) {
    std::string map;
    std::string error;
    if (!readWholeFile(options.map, &map, &error)) {
        std::fprintf(stderr, "%s: error: %s\n", options.map, error.c_str());
        return 2;
    }
    if (map.size() > MAX_MAP_BYTES) {
        std::fprintf(stderr, "%s: error: larger than %zu MB, the most the page opens\n", options.map,
                     MAX_MAP_BYTES >> 20);
        return 1;
    }
    MapCheck check;
    if (!checkMap(options.map, map, &check)) {
        std::fprintf(stderr, "kaland-publish: %s: kaland refuses this map; nothing written\n", options.map);
        return 1;
    }
    std::string templatePath;
    if (!findTemplate(&templatePath)) {
        std::fprintf(stderr,
                     "kaland-publish: the page template kaland.html is not installed: this kaland was\n"
                     "built without Emscripten. Build the page (see \"Play in a browser\" in the README)\n"
                     "and install it with kaland.\n");
        return 2;
    }
    std::string page;
    if (!readWholeFile(templatePath.c_str(), &page, &error)) {
        std::fprintf(stderr, "%s: error: %s\n", templatePath.c_str(), error.c_str());
        return 2;
    }
    std::string mapName = baseName(options.map);
    std::string title = toUtf8(options.hasTitle ? options.title : defaultTitle(check, mapName));
    if (!fillPageTemplate(&page, map, mapName, title, &error)) {
        std::fprintf(stderr, "%s: error: not a kaland page template: %s is missing\n", templatePath.c_str(),
                     error.c_str());
        return 2;
    }
    std::string output = options.output.empty() ? defaultOutput(options.map) : options.output;
    if (isSameFile(output.c_str(), options.map)) {
        std::fprintf(stderr, "kaland-publish: the page would overwrite the map %s; name another with -o\n",
                     options.map);
        return 2;
    }
    if (!writePage(output, page)) {
        std::fprintf(stderr, "kaland-publish: cannot write %s: %s\n", output.c_str(), std::strerror(errno));
        return 2;
    }
    std::printf("wrote %s\n", output.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    int status = parseOptions(argc, argv, &options);
    if (status >= 0) return status;
    return publish(options);
}
