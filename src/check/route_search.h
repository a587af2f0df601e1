// Routes: the shortest key script that takes a player from the start room to
// a room, found with the runner's own rules on the checker's model.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "map_model.h"

struct KeyRoute {
    std::uint32_t room = 0;
    std::uint64_t line = 0;   // the room's #helyiseg line, or the exit line leading there
    std::uint32_t lines = 0;  // lines typed
    std::string script;       // exactly the lines to type, each ending with a newline
};

/// Finds the route with the fewest lines to each room of `targets`, as the
/// runner plays: a key costs a line, a room that waits for Enter an empty
/// line, a passage nothing; of two equally short routes the one that, where
/// they part, takes the exit listed first wins; no route goes through an exit
/// out of the table or into a circle of passages. The map must load (no
/// errors in `check`). Adds a warning to `check` for each target no route
/// reaches, calling it "`noun` N"; returns the routes found, in target order.
std::vector<KeyRoute> findRoutes(MapCheck* check, const std::vector<std::uint32_t>& targets,
                                 const char* noun);

/// The keys of a route as the summary line shows them: separated by spaces,
/// an empty line as "Enter", a byte that is not printable ASCII as ^A or 0xE9.
std::string describeRouteKeys(const std::string& script);

/// The line kaland-check prints for a route, newline included:
/// "MAP:LINE: `noun` N: K lines: keys".
std::string routeSummary(const char* mapPath, const char* noun, const KeyRoute& route);
