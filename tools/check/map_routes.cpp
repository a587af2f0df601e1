// The route search: a breadth-first search by lines typed, over the rooms a
// player can be in when the game waits or ends.
#include "map_routes.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unordered_map>

namespace {

// How a player first got to a room: after `lines` lines, the last of them
// read in room `lineRoom` and answered through its exit `lineSlot`. The
// passages after that line take no input, so they need no record.
struct Visit {
    std::uint32_t lineRoom;
    std::uint32_t lines;
    std::uint8_t lineSlot;
};

struct Search {
    const MapCheck* check;
    std::unordered_map<std::uint32_t, Visit> visits;
    // Passages known to lead out of the table or round a circle, where the
    // runner stops; and, while one chain of passages is followed, the
    // passages on it.
    std::unordered_map<std::uint32_t, bool> stopsAhead;  // true: stops, false: on the chain
    std::vector<std::uint32_t> chain;
};

// Enters `room` with `visit` and follows the passages after it, adding each
// room to `layer`. Leaves it all out when the passages end where the runner
// stops: no route can go on from there, nor end there.
void enterRoom(Search* search, std::uint32_t room, const Visit& visit, std::vector<std::uint32_t>* layer) {
    if (search->visits.count(room)) return;
    const MapCheck& check = *search->check;
    std::vector<std::uint32_t>& chain = search->chain;
    chain.clear();
    bool stops = false;
    for (std::uint32_t current = room;;) {
        auto known = search->stopsAhead.find(current);
        if (known != search->stopsAhead.end()) {  // a circle, or a chain known to stop
            stops = true;
            break;
        }
        chain.push_back(current);
        const CheckedRoom& checked = roomAt(check, current);
        if (checked.kind != Automatic) break;
        search->stopsAhead[current] = false;
        std::uint32_t next = checked.exits[0].target;
        if (next >= check.roomCount) {
            stops = true;
            break;
        }
        if (search->visits.count(next)) break;
        current = next;
    }
    for (std::uint32_t passed : chain) {
        if (stops) {
            search->stopsAhead[passed] = true;
            continue;
        }
        if (roomAt(check, passed).kind == Automatic) search->stopsAhead.erase(passed);
        search->visits.emplace(passed, visit);
        layer->push_back(passed);
    }
}

// Rooms are searched layer by layer, a layer holding the rooms first reached
// after the same number of lines. Within a layer the rooms stay in the order
// of the routes that reach them, so the first route found to a room is the
// one that takes the earlier exit where routes part.
void searchRoutes(Search* search, std::size_t targetsLeft, const std::vector<std::uint32_t>& targets) {
    const MapCheck& check = *search->check;
    std::vector<std::uint32_t> layer;
    std::vector<std::uint32_t> next;
    enterRoom(search, check.startRoom, Visit{0, 0, 0}, &layer);
    auto countFound = [&](const std::vector<std::uint32_t>& rooms) {
        for (std::uint32_t room : rooms) {
            if (std::binary_search(targets.begin(), targets.end(), room)) --targetsLeft;
        }
    };
    for (std::uint32_t lines = 1; !layer.empty(); ++lines) {
        countFound(layer);
        if (targetsLeft == 0) return;
        next.clear();
        for (std::uint32_t room : layer) {
            const CheckedRoom& checked = roomAt(check, room);
            if (checked.kind != Navigate && checked.kind != WaitForEnter) continue;
            for (const CheckedExit* exit : takenExits(checked)) {
                if (exit->target >= check.roomCount) continue;
                auto slot = static_cast<std::uint8_t>(exit - checked.exits);
                enterRoom(search, exit->target, Visit{room, lines, slot}, &next);
            }
        }
        layer.swap(next);
    }
}

std::string routeScript(const Search& search, std::uint32_t room) {
    const MapCheck& check = *search.check;
    const Visit* visit = &search.visits.at(room);
    std::string reversed;
    while (visit->lines > 0) {
        const CheckedRoom& from = roomAt(check, visit->lineRoom);
        reversed += '\n';
        if (from.kind == Navigate) reversed += from.exits[visit->lineSlot].key;
        visit = &search.visits.at(visit->lineRoom);
    }
    return std::string(reversed.rbegin(), reversed.rend());
}

std::string missingRouteReason(const MapCheck& check, std::uint32_t room) {
    if (room >= check.roomCount) return "the highest room is " + std::to_string(check.highestRoom);
    if (!check.hasStart) return "no room has a description, so the game shows nothing";
    if (!check.reachedBy.count(room)) {
        return "no way leads there from the start room " + std::to_string(check.startRoom);
    }
    // Only a passage can be reached and still have no route: a room that
    // waits or ends is never reached through passages that stop the game.
    return "the passages after it lead out of the table or round a circle, where the runner stops";
}

std::string plural(std::uint32_t count, const char* noun) {
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

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

bool writeFile(const std::string& path, const std::string& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        std::fprintf(stderr, "%s: error: cannot write: %s\n", path.c_str(), std::strerror(errno));
        return false;
    }
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    int writeError = errno;
    if (std::fclose(file) != 0 && written) {
        written = false;
        writeError = errno;
    }
    if (!written) std::fprintf(stderr, "%s: error: cannot write: %s\n", path.c_str(), std::strerror(writeError));
    return written;
}

}  // namespace

std::vector<std::uint32_t> findEndings(const MapCheck& check) {
    std::vector<std::uint32_t> endings;
    for (const auto& entry : check.rooms) {
        if (entry.second.kind == GameOver) endings.push_back(entry.first);
    }
    std::sort(endings.begin(), endings.end());
    return endings;
}

std::vector<KeyRoute> findRoutes(MapCheck* check, const std::vector<std::uint32_t>& targets, const char* noun) {
    Search search{check, {}, {}, {}};
    std::vector<std::uint32_t> sortedTargets(targets);
    std::sort(sortedTargets.begin(), sortedTargets.end());
    sortedTargets.erase(std::unique(sortedTargets.begin(), sortedTargets.end()), sortedTargets.end());
    if (check->hasStart) searchRoutes(&search, sortedTargets.size(), sortedTargets);

    std::vector<KeyRoute> routes;
    for (std::size_t i = 0; i < targets.size(); ++i) {
        std::uint32_t room = targets[i];
        if (std::find(targets.begin(), targets.begin() + i, room) != targets.begin() + i) continue;
        auto visit = search.visits.find(room);
        if (visit == search.visits.end()) {
            check->report(room < check->roomCount ? roomLine(*check, room) : 0, Warning,
                          std::string("no route to ") + noun + " " + std::to_string(room) + ": " +
                              missingRouteReason(*check, room));
            continue;
        }
        routes.push_back(KeyRoute{room, roomLine(*check, room), visit->second.lines, routeScript(search, room)});
    }
    std::stable_sort(check->diagnostics.begin(), check->diagnostics.end(),
                     [](const Diagnostic& a, const Diagnostic& b) { return a.line < b.line; });
    return routes;
}

std::string describeRouteKeys(const std::string& script) {
    std::string keys;
    for (std::size_t i = 0; i < script.size(); ++i) {
        if (!keys.empty()) keys += ' ';
        if (script[i] == '\n') {
            keys += "Enter";
            continue;
        }
        keys += describeKey(script[i]);
        ++i;  // the key's newline
    }
    return keys;
}

bool writeRoutes(const char* mapPath, const char* directory, const char* noun, const std::vector<KeyRoute>& routes) {
    if (!makeFolder(directory)) return false;
    bool written = true;
    for (const KeyRoute& route : routes) {
        std::string path = std::string(directory) + "/" + noun + "-" + std::to_string(route.room) + ".keys";
        if (!writeFile(path, route.script)) {
            written = false;
            continue;
        }
        std::string summary = plural(route.lines, "line");
        if (route.lines > 0) summary += ": " + describeRouteKeys(route.script);
        std::printf("%s:%llu: %s %u: %s\n", mapPath, static_cast<unsigned long long>(route.line), noun, route.room,
                    summary.c_str());
    }
    return written;
}
