#include "route_files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/stat.h>

#include "output_files.h"

namespace {

// Windows's mkdir takes no permission bits.
int makeDirectory(const char* directory) {
#if defined(_WIN32)
    return mkdir(directory);
#else
    return mkdir(directory, 0777);
#endif
}

bool makeFolder(const char* directory) {
    struct stat status;
    if (stat(directory, &status) == 0) {
        if (S_ISDIR(status.st_mode)) return true;
        std::fprintf(stderr, "%s: error: not a folder\n", directory);
        return false;
    }
    if (makeDirectory(directory) == 0) return true;
    std::fprintf(stderr, "%s: error: cannot make the folder: %s\n", directory, std::strerror(errno));
    return false;
}

}  // namespace

bool writeRoutes(const char* mapPath, const char* directory, const char* noun, const std::vector<KeyRoute>& routes) {
    if (!makeFolder(directory)) return false;
    bool written = true;
    for (const KeyRoute& route : routes) {
        std::string path = std::string(directory) + "/" + noun + "-" + std::to_string(route.room) + ".keys";
        if (!writeCheckerFile(path, route.script)) {
            written = false;
            continue;
        }
        std::fputs(printedLines({routeSummary(mapPath, noun, route)}).c_str(), stdout);
    }
    return written;
}
