#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "check_options.h"

namespace {

struct Parsed {
    bool ok;
    CheckOptions options;
    std::string error;
};

Parsed parse(std::vector<const char*> arguments) {
    Parsed parsed{false, CheckOptions{}, ""};
    parsed.ok = parseCheckOptions(static_cast<int>(arguments.size()), arguments.data(), &parsed.options,
                                  &parsed.error);
    return parsed;
}

using Maps = std::vector<std::string>;

TEST(CheckOptions, OptionsAnywhereBeforeDoubleDash) {
    Parsed parsed = parse({"castle.map", "--strict", "tower.map", "--dot"});
    ASSERT_TRUE(parsed.ok) << parsed.error;
    EXPECT_TRUE(parsed.options.strict);
    EXPECT_TRUE(parsed.options.dot);
    EXPECT_FALSE(parsed.options.quiet);
    EXPECT_EQ((Maps{"castle.map", "tower.map"}), parsed.options.maps);

    parsed = parse({"--quiet", "--", "--strict", "-", "--"});
    ASSERT_TRUE(parsed.ok) << parsed.error;
    EXPECT_FALSE(parsed.options.strict);
    EXPECT_EQ((Maps{"--strict", "-", "--"}), parsed.options.maps);
}

TEST(CheckOptions, DashIsStandardInputOnce) {
    Parsed parsed = parse({"-", "--strict"});
    ASSERT_TRUE(parsed.ok) << parsed.error;
    EXPECT_EQ((Maps{"-"}), parsed.options.maps);

    parsed = parse({"-", "castle.map", "-"});
    EXPECT_FALSE(parsed.ok);
    EXPECT_EQ("standard input (-) can be read only once", parsed.error);
}

TEST(CheckOptions, UsageErrors) {
    EXPECT_EQ("no map given", parse({"--strict"}).error);
    EXPECT_EQ("no map given", parse({}).error);
    EXPECT_EQ("unknown option '--fast'", parse({"castle.map", "--fast"}).error);
    EXPECT_EQ("unknown option '-s'", parse({"-s", "castle.map"}).error);
    EXPECT_EQ("option '--dot' takes no value", parse({"--dot=yes", "castle.map"}).error);
}

TEST(CheckOptions, HelpAndVersionStopReading) {
    Parsed parsed = parse({"--help", "--fast"});
    EXPECT_TRUE(parsed.ok);
    EXPECT_TRUE(parsed.options.help);

    parsed = parse({"castle.map", "--version"});
    EXPECT_TRUE(parsed.ok);
    EXPECT_TRUE(parsed.options.version);
}

TEST(CheckOptions, TheLanguageServerTakesNoMapAndNoOtherOption) {
    Parsed parsed = parse({"--lsp"});
    EXPECT_TRUE(parsed.ok);
    EXPECT_TRUE(parsed.options.lsp);
    EXPECT_EQ("--lsp takes no map: the editor sends the maps it opens", parse({"--lsp", "castle.map"}).error);
    EXPECT_EQ("--lsp cannot be combined with other options", parse({"--strict", "--lsp"}).error);
}

TEST(CheckOptions, UsageListsEveryOptionAligned) {
    std::string usage = checkUsage();
    EXPECT_NE(std::string::npos, usage.find("\n  --strict      exit with status 1 on warnings too\n"));
    EXPECT_NE(std::string::npos, usage.find("\n  --routes DIR  write a shortest key script to each ending into DIR\n"));
    EXPECT_NE(std::string::npos, usage.find("\n  --version     show the version\n"));
    EXPECT_EQ('\n', usage.back());
}

using Rooms = std::vector<std::uint32_t>;

TEST(CheckOptions, RoutesTakeAFolderAndRoomNumbers) {
    Parsed parsed = parse({"--route-to=7", "castle.map", "--routes", "out", "--route-to", "4294967295"});
    ASSERT_TRUE(parsed.ok) << parsed.error;
    EXPECT_EQ("out", parsed.options.routesDirectory);
    EXPECT_EQ((Rooms{7, 4294967295u}), parsed.options.routeTargets);
    EXPECT_EQ((Maps{"castle.map"}), parsed.options.maps);

    for (const char* number : {"4294967296", "-1", "+1", "7a", "", "99999999999999999999"}) {
        parsed = parse({"--routes", "out", "--route-to", number, "castle.map"});
        EXPECT_FALSE(parsed.ok) << number;
        EXPECT_EQ("--route-to takes a room number, not '" + std::string(number) + "'", parsed.error);
    }
    EXPECT_EQ("--routes needs a folder", parse({"--routes=", "castle.map"}).error);
    EXPECT_EQ("--route-to needs --routes DIR, the folder for the route file",
              parse({"--route-to", "3", "castle.map"}).error);
    EXPECT_EQ("--routes takes one map", parse({"--routes", "out", "castle.map", "tower.map"}).error);
    EXPECT_EQ("--dot cannot be combined with --routes or --cover", parse({"--dot", "--routes", "out", "m"}).error);
}

TEST(CheckOptions, CoverTakesTheArgumentsAfterTheMapAsScripts) {
    Parsed parsed = parse({"castle.map", "--cover", "win.keys", "--strict", "-", "--", "--odd.keys"});
    ASSERT_TRUE(parsed.ok) << parsed.error;
    EXPECT_TRUE(parsed.options.cover);
    EXPECT_EQ((Maps{"castle.map"}), parsed.options.maps);
    EXPECT_EQ((Maps{"win.keys", "-", "--odd.keys"}), parsed.options.scripts);

    EXPECT_EQ("--cover needs a map and at least one key script", parse({"--cover", "castle.map"}).error);
    EXPECT_EQ("standard input (-) can be read only once", parse({"--cover", "-", "-"}).error);
    EXPECT_EQ("--dot cannot be combined with --routes or --cover", parse({"--cover", "--dot", "m", "s"}).error);
}

TEST(CheckOptions, TranscriptsAndRandomGames) {
    Parsed parsed = parse({"--expect", "castle.map", "--cover", "win.keys", "lose.keys"});
    ASSERT_TRUE(parsed.ok) << parsed.error;
    EXPECT_TRUE(parsed.options.expect && parsed.options.cover);
    EXPECT_EQ((Maps{"win.keys", "lose.keys"}), parsed.options.scripts);
    EXPECT_EQ("--bless needs a map and at least one key script", parse({"--bless", "castle.map"}).error);
    EXPECT_EQ("--bless and --expect cannot be combined: --bless writes what --expect compares with",
              parse({"--bless", "--expect", "m", "s"}).error);
    EXPECT_EQ("--expect needs its key scripts in files, not standard input: SCRIPT.expected goes beside each",
              parse({"--expect", "m", "-"}).error);

    parsed = parse({"--random=10", "--seed", "18446744073709551615", "castle.map", "--steps=1"});
    ASSERT_TRUE(parsed.ok) << parsed.error;
    EXPECT_EQ(10u, parsed.options.random.games);
    EXPECT_EQ(UINT64_MAX, parsed.options.random.seed);
    EXPECT_EQ(1u, parsed.options.random.steps);
    parsed = parse({"--random", "1000000000", "castle.map"});
    ASSERT_TRUE(parsed.ok) << parsed.error;
    EXPECT_EQ(DEFAULT_RANDOM_SEED, parsed.options.random.seed);
    EXPECT_EQ(DEFAULT_RANDOM_STEPS, parsed.options.random.steps);
    for (const char* games : {"0", "1000000001", "-1", "1e3", ""}) {
        EXPECT_EQ("--random takes a number of games from 1 to 1000000000, not '" + std::string(games) + "'",
                  parse({"--random", games, "m"}).error);
    }
    EXPECT_EQ("--seed takes a number from 0 to 18446744073709551615, not '18446744073709551616'",
              parse({"--random", "5", "--seed", "18446744073709551616", "m"}).error);
    EXPECT_EQ("--steps needs --random N, the number of games", parse({"--steps", "5", "m"}).error);
    EXPECT_EQ("--random takes one map", parse({"--random", "5", "m", "n"}).error);
    EXPECT_EQ("--dot cannot be combined with --bless, --expect or --random", parse({"--dot", "--random=2", "m"}).error);
}

}  // namespace
