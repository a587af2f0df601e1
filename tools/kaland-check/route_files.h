// Writing routes to a folder of key scripts (kaland-check --routes DIR).
#pragma once

#include <vector>

#include "route_search.h"

/// Writes each route to `directory`/`noun`-N.keys (making the folder if it is
/// missing) and prints its summary line (routeSummary) on standard output.
/// Returns false, after a message on standard error, when a file cannot be
/// written.
bool writeRoutes(const char* mapPath, const char* directory, const char* noun,
                 const std::vector<KeyRoute>& routes);
