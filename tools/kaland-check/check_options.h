// kaland-check's command line, read the way GNU tools read theirs: options
// may come before, between or after the maps, "--" ends the options, and "-"
// names standard input. Each option is one row of a table in
// check_options.cpp, which also gives the help its lines.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "random_options.h"

struct CheckOptions {
    bool strict = false;
    bool dot = false;
    bool quiet = false;
    bool fixes = false;  // --fixes: each proposed mending under its diagnostic
    bool help = false;
    bool version = false;
    bool lsp = false;  // --lsp: serve editors instead of checking maps
    std::vector<std::string> maps;  // in the order given; "-" is standard input
    std::string routesDirectory;              // --routes; empty without it
    std::vector<std::uint32_t> routeTargets;  // --route-to; empty: every ending
    bool cover = false;
    bool bless = false;
    bool expect = false;
    std::vector<std::string> scripts;  // with --cover, --bless or --expect: the arguments after the map
    RandomOptions random;              // --random N: random.games is N; 0 without it
    bool seedGiven = false;
    bool stepsGiven = false;
};

/// Reads the arguments after the program name. Stops at --help or
/// --version (leaving the rest unread). With --cover, --bless or --expect
/// the first map is the map and the others are its key scripts. Returns false with `error` set,
/// as one line without a newline, on a usage error.
bool parseCheckOptions(int argc, const char* const* argv, CheckOptions* options, std::string* error);

/// The text of --help, ending in a newline.
std::string checkUsage();
