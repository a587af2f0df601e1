#include "check_options.h"

#include <algorithm>
#include <cstring>

#include "diagnostic_text.h"

namespace {

// One option. A flag (`valueName` null) sets its `flag`; an option with a
// value, named `valueName` in the help and given as --name VALUE or
// --name=VALUE, goes to `apply`, which returns false with `error` set when
// the value is unusable.
struct OptionSpec {
    const char* name;
    const char* valueName;
    const char* help;
    bool CheckOptions::*flag;
    bool (*apply)(CheckOptions* options, const char* value, std::string* error);
};

bool setRoutesDirectory(CheckOptions* options, const char* value, std::string* error) {
    if (*value == '\0') {
        *error = "--routes needs a folder";
        return false;
    }
    options->routesDirectory = value;
    return true;
}

// A room number: decimal digits only, below 2^32.
bool addRouteTarget(CheckOptions* options, const char* value, std::string* error) {
    std::uint64_t number = 0;
    if (!readDecimal(value, 0, UINT32_MAX, &number)) {
        *error = "--route-to takes a room number, not '" + std::string(value) + "'";
        return false;
    }
    options->routeTargets.push_back(static_cast<std::uint32_t>(number));
    return true;
}

bool setRandomGames(CheckOptions* options, const char* value, std::string* error) {
    return readRandomOption(RandomGamesOption, value, &options->random, error);
}

bool setSeed(CheckOptions* options, const char* value, std::string* error) {
    options->seedGiven = true;
    return readRandomOption(RandomSeedOption, value, &options->random, error);
}

bool setSteps(CheckOptions* options, const char* value, std::string* error) {
    options->stepsGiven = true;
    return readRandomOption(RandomStepsOption, value, &options->random, error);
}

const OptionSpec OPTIONS[] = {
    {"--strict", nullptr, "exit with status 1 on warnings too", &CheckOptions::strict, nullptr},
    {"--dot", nullptr, "write each map as a Graphviz graph to standard output", &CheckOptions::dot, nullptr},
    {"--quiet", nullptr, "print nothing for a map without errors or warnings", &CheckOptions::quiet, nullptr},
    {"--fixes", nullptr, "print under a diagnostic the mending proposed for it",
     &CheckOptions::fixes, nullptr},
    {"--routes", "DIR", "write a shortest key script to each ending into DIR", nullptr, setRoutesDirectory},
    {"--route-to", "N", "with --routes: a route to room N instead of the endings", nullptr, addRouteTarget},
    {"--cover", nullptr, "play the key scripts after MAP; report what they never reach", &CheckOptions::cover,
     nullptr},
    {"--bless", nullptr, "play the scripts after MAP; keep their output as SCRIPT.expected",
     &CheckOptions::bless, nullptr},
    {"--expect", nullptr, "play the scripts after MAP; compare with SCRIPT.expected",
     &CheckOptions::expect, nullptr},
    {"--random", "N", "play N random games; report endings, dead ends and defects", nullptr,
     setRandomGames},
    {"--seed", "S", "with --random: the games of seed S (default 1)", nullptr, setSeed},
    {"--steps", "K", "with --random: at most K lines typed in a game (default 1000)", nullptr, setSteps},
    {"--lsp", nullptr, "serve editors: a language server on standard input and output", &CheckOptions::lsp,
     nullptr},
    {"--help", nullptr, "show this help", &CheckOptions::help, nullptr},
    {"--version", nullptr, "show the version", &CheckOptions::version, nullptr},
};

const OptionSpec* findOption(const std::string& name) {
    for (const OptionSpec& option : OPTIONS) {
        if (name == option.name) return &option;
    }
    return nullptr;
}

// Reads the option at argv[*index], and its value from the next argument
// when it takes one and has no "=VALUE"; *index ends on the last one used.
bool readOption(int argc, const char* const* argv, int* index, CheckOptions* options, std::string* error) {
    std::string argument = argv[*index];
    std::size_t equals = argument.find('=');
    std::string name = argument.substr(0, equals);
    const OptionSpec* option = findOption(name);
    if (option == nullptr) {
        *error = "unknown option '" + argument + "'";
        return false;
    }
    const char* value = nullptr;
    if (equals != std::string::npos) {
        value = argv[*index] + equals + 1;
        if (option->valueName == nullptr) {
            *error = "option '" + name + "' takes no value";
            return false;
        }
    } else if (option->valueName != nullptr) {
        if (*index + 1 >= argc) {
            *error = "option '" + name + "' needs a value: " + name + " " + option->valueName;
            return false;
        }
        value = argv[++*index];
    }
    if (option->valueName == nullptr) {
        options->*option->flag = true;
        return true;
    }
    return option->apply(options, value, error);
}

bool addMap(const char* name, CheckOptions* options, std::string* error) {
    if (std::strcmp(name, "-") == 0 &&
        std::find(options->maps.begin(), options->maps.end(), "-") != options->maps.end()) {
        *error = "standard input (-) can be read only once";
        return false;
    }
    options->maps.push_back(name);
    return true;
}

// The option that takes key scripts after the map, if any.
const char* scriptOption(const CheckOptions& options) {
    if (options.cover) return "--cover";
    if (options.bless) return "--bless";
    if (options.expect) return "--expect";
    return nullptr;
}

// Routes, coverage, transcripts and random games are made for one map, and
// --cover, --bless and --expect take the arguments after it as its key
// scripts.
bool settleTestOptions(CheckOptions* options, std::string* error) {
    const char* scripts = scriptOption(*options);
    bool random = options->random.games > 0;
    bool testing = !options->routesDirectory.empty() || scripts != nullptr || random;
    if (!options->routeTargets.empty() && options->routesDirectory.empty()) {
        *error = "--route-to needs --routes DIR, the folder for the route file";
    } else if ((options->seedGiven || options->stepsGiven) && !random) {
        *error = std::string(options->seedGiven ? "--seed" : "--steps") + " needs --random N, the number of games";
    } else if (testing && options->dot) {
        *error = !options->routesDirectory.empty() || options->cover
                     ? "--dot cannot be combined with --routes or --cover"
                     : "--dot cannot be combined with --bless, --expect or --random";
    } else if (options->bless && options->expect) {
        *error = "--bless and --expect cannot be combined: --bless writes what --expect compares with";
    } else if (scripts != nullptr && options->maps.size() < 2) {
        *error = std::string(scripts) + " needs a map and at least one key script";
    } else if (scripts == nullptr && testing && options->maps.size() > 1) {
        *error = random ? "--random takes one map" : "--routes takes one map";
    } else if ((options->bless || options->expect) &&
               std::find(options->maps.begin() + 1, options->maps.end(), "-") != options->maps.end()) {
        *error = std::string(options->bless ? "--bless" : "--expect") +
                 " needs its key scripts in files, not standard input: SCRIPT.expected goes beside each";
    } else {
        if (scripts != nullptr) {
            options->scripts.assign(options->maps.begin() + 1, options->maps.end());
            options->maps.resize(1);
        }
        return true;
    }
    return false;
}

// The language server takes its maps from the editor, and checks them as
// kaland-check does without options.
bool settleServerOptions(const CheckOptions& options, std::string* error) {
    bool others = options.strict || options.dot || options.quiet || !options.routesDirectory.empty() ||
                  !options.routeTargets.empty() || options.cover || options.bless || options.expect ||
                  options.random.games > 0 || options.seedGiven || options.stepsGiven;
    if (!options.maps.empty()) {
        *error = "--lsp takes no map: the editor sends the maps it opens";
    } else if (others) {
        *error = "--lsp cannot be combined with other options";
    } else {
        return true;
    }
    return false;
}

}  // namespace

bool parseCheckOptions(int argc, const char* const* argv, CheckOptions* options, std::string* error) {
    bool optionsEnded = false;
    for (int i = 0; i < argc; ++i) {
        const char* argument = argv[i];
        if (!optionsEnded && std::strcmp(argument, "--") == 0) {
            optionsEnded = true;
        } else if (optionsEnded || argument[0] != '-' || argument[1] == '\0') {
            if (!addMap(argument, options, error)) return false;
        } else {
            if (!readOption(argc, argv, &i, options, error)) return false;
            if (options->help || options->version) return true;
        }
    }
    if (options->lsp) return settleServerOptions(*options, error);
    if (options->maps.empty()) {
        *error = "no map given";
        return false;
    }
    return settleTestOptions(options, error);
}

std::string checkUsage() {
    std::string usage =
        "usage: kaland-check [OPTION]... MAP...\n"
        "       kaland-check [OPTION]... --routes DIR [--route-to N]... MAP\n"
        "       kaland-check [OPTION]... --cover MAP SCRIPT...\n"
        "       kaland-check [OPTION]... --bless|--expect MAP SCRIPT...\n"
        "       kaland-check [OPTION]... --random N [--seed S] [--steps K] MAP\n"
        "       kaland-check --lsp\n"
        "Checks kaland maps: reports what the runner would refuse (errors) and what\n"
        "would play wrong (warnings), each as MAP:LINE: error|warning: TEXT.\n"
        "A MAP of - is read from standard input and called " + std::string(STANDARD_INPUT_NAME) +
        " in messages.\n"
        "Options may stand before, between or after the maps; -- ends them.\n";
    std::size_t width = 0;
    std::vector<std::string> names;
    for (const OptionSpec& option : OPTIONS) {
        names.push_back(std::string(option.name) + (option.valueName ? std::string(" ") + option.valueName : ""));
        width = std::max(width, names.back().size());
    }
    for (std::size_t i = 0; i < names.size(); ++i) {
        usage += "  " + names[i] + std::string(width + 2 - names[i].size(), ' ') + OPTIONS[i].help + "\n";
    }
    return usage +
           "Exit status: 0 when the runner would load every map, 1 when it would\n"
           "refuse one or a key script stops the game (or --strict and a warning,\n"
           "or something the scripts never reach), a script's output differs from\n"
           "SCRIPT.expected or it has none, or a random game meets a defect; 2 for\n"
           "a usage error or a file that cannot be read or written.\n";
}
