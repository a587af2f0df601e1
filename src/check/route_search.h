// Routes: the shortest key script that takes a player from the start room to
// a room, found with the runner's own rules on the checker's model.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "diagnostic_text.h"
#include "map_model.h"

struct KeyRoute {
    std::uint32_t room = 0;
    std::uint64_t line = 0;   // the room's #helyiseg line, or the exit line leading there
    std::uint32_t lines = 0;  // lines typed
    std::string script;       // exactly the lines to type, each ending with a newline
};

// A target no route reaches, and why.
struct UnreachedTarget {
    std::uint32_t room;
    std::uint64_t line;  // the room's line (roomLine); 0 for a room past the table
    std::string reason;
};

struct RouteSearch {
    std::vector<KeyRoute> routes;           // in target order
    std::vector<UnreachedTarget> unreached;  // in target order
};

/// Finds the route with the fewest lines to each room of `targets` (each
/// once), as the runner plays: a key costs a line, a room that waits for
/// Enter an empty line, a passage nothing; of two equally short routes the
/// one that, where they part, takes the exit listed first wins; no route goes
/// through an exit out of the table or into a circle of passages. The map
/// must load (no errors in `check`).
RouteSearch findRoutes(const MapCheck& check, const std::vector<std::uint32_t>& targets);

/// The warning about a target no route reaches, calling it "`noun` N":
/// "no route to ending 4: REASON".
Diagnostic unreachedWarning(const UnreachedTarget& target, const char* noun);

/// The keys of a route as the summary line shows them: separated by spaces,
/// an empty line as "Enter", a byte that is not printable ASCII as ^A or 0xE9.
std::string describeRouteKeys(const std::string& script);

/// The line kaland-check prints for a route: "MAP:LINE: `noun` N: K lines: keys".
ReportLine routeSummary(const std::string& mapName, const char* noun, const KeyRoute& route);
