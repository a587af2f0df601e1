// The route search: a breadth-first search by lines typed, over the rooms a
// player can be in when the game waits or ends.
#include "route_search.h"

#include <algorithm>
#include <unordered_map>

#include "diagnostic_text.h"
#include "move_rules.h"

namespace {

// How a player first got to a room: after `lines` lines, the last of them
// read in room `lineRoom` and answered through its exit `lineSlot`. The
// passages after that line take no input, so they need no record.
struct Visit {
    std::uint32_t lineRoom;
    std::uint32_t lines;
    std::uint8_t lineSlot;
};

struct Search : CheckedRooms {
    std::unordered_map<std::uint32_t, Visit> visits;
    // Passages known to lead out of the table or round a circle, where the
    // runner stops; and, while one chain of passages is followed, the
    // passages on it.
    std::unordered_map<std::uint32_t, bool> stopsAhead;  // true: stops, false: on the chain
    std::vector<std::uint32_t> chain;

    // A chain of passages ends where the runner stops (a circle, or a chain
    // known to stop) and where it joins rooms already reached.
    bool enteredSinceLine(std::uint32_t room) const { return stopsAhead.count(room) || visits.count(room); }
    void enter(std::uint32_t room) {
        chain.push_back(room);
        stopsAhead[room] = false;
    }
};

// Enters `room` with `visit` and follows the passages after it, adding each
// room to `layer`. Leaves it all out when the passages end where the runner
// stops: no route can go on from there, nor end there.
void enterRoom(Search* search, std::uint32_t room, const Visit& visit, std::vector<std::uint32_t>* layer) {
    if (search->visits.count(room)) return;
    search->chain.clear();
    bool stops = search->stopsAhead.count(room) != 0;
    if (!stops) {
        PassageChain passages = enterAndFollowPassages(*search, room);
        stops = passages.end == ChainLeavesTable ||
                (passages.end == ChainGoesRound && !search->visits.count(passages.target));
    }
    for (std::uint32_t passed : search->chain) {
        if (stops) {
            search->stopsAhead[passed] = true;
            continue;
        }
        search->stopsAhead.erase(passed);
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
            for (std::uint32_t slot : takenExits(checked)) {
                std::uint32_t target = checked.exits[slot].target;
                if (target >= check.roomCount) continue;
                enterRoom(search, target, Visit{room, lines, static_cast<std::uint8_t>(slot)}, &next);
            }
        }
        layer.swap(next);
    }
}

std::string routeScript(const Search& search, std::uint32_t room) {
    const MapCheck& check = *search.check;
    const Visit* visit = &search.visits.at(room);
    std::string reversed;
    char line[2];
    while (visit->lines > 0) {
        const CheckedRoom& from = roomAt(check, visit->lineRoom);
        lineTakingExit(from.kind, from.exits, visit->lineSlot, line);
        reversed += '\n';
        if (line[0] != '\0') reversed += line[0];
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

}  // namespace

RouteSearch findRoutes(const MapCheck& check, const std::vector<std::uint32_t>& targets) {
    Search search{{&check}, {}, {}, {}};
    std::vector<std::uint32_t> sortedTargets(targets);
    std::sort(sortedTargets.begin(), sortedTargets.end());
    sortedTargets.erase(std::unique(sortedTargets.begin(), sortedTargets.end()), sortedTargets.end());
    if (check.hasStart) searchRoutes(&search, sortedTargets.size(), sortedTargets);

    RouteSearch found;
    for (std::size_t i = 0; i < targets.size(); ++i) {
        std::uint32_t room = targets[i];
        if (std::find(targets.begin(), targets.begin() + i, room) != targets.begin() + i) continue;
        auto visit = search.visits.find(room);
        if (visit == search.visits.end()) {
            found.unreached.push_back(UnreachedTarget{room, room < check.roomCount ? roomLine(check, room) : 0,
                                                      missingRouteReason(check, room)});
            continue;
        }
        found.routes.push_back(KeyRoute{room, roomLine(check, room), visit->second.lines, routeScript(search, room)});
    }
    return found;
}

Diagnostic unreachedWarning(const UnreachedTarget& target, const char* noun) {
    return Diagnostic{target.line, Warning,
                      std::string("no route to ") + noun + " " + std::to_string(target.room) + ": " + target.reason};
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


ReportLine routeSummary(const std::string& mapName, const char* noun, const KeyRoute& route) {
    std::string summary = plural(route.lines, "line");
    if (route.lines > 0) summary += ": " + describeRouteKeys(route.script);
    return mapReportLine(mapName, route.line, std::string(noun) + " " + std::to_string(route.room) + ": " + summary);
}
