// What chooses random games: how many, the seed, the lines a game may
// type, as kaland-check's options --random, --seed and --steps name them and
// read them, for every host that asks for random games.
#pragma once

#include <cstdint>
#include <string>

constexpr std::uint64_t DEFAULT_RANDOM_SEED = 1;
constexpr std::uint64_t DEFAULT_RANDOM_STEPS = 1000;

/// How often a long run tells how far it is.
constexpr std::uint64_t PROGRESS_GAMES = 1000;

struct RandomOptions {
    std::uint64_t games = 0;
    std::uint64_t seed = DEFAULT_RANDOM_SEED;
    std::uint64_t steps = DEFAULT_RANDOM_STEPS;  // lines typed at most in one game
    // Told the number of games played after every PROGRESS_GAMES of them, for
    // a page to show while a long run goes on; may be null.
    void (*progress)(std::uint64_t played) = nullptr;
};

/// The most games, and lines in a game, a run may ask for.
constexpr std::uint64_t MOST_RANDOM_GAMES = 1000000000;

// The values that choose random games, as kaland-check's options name them.
enum RandomOption {
    RandomGamesOption,  // --random N
    RandomSeedOption,   // --seed S
    RandomStepsOption,  // --steps K
};

/// Reads the value of `option` into `options`, as kaland-check reads its
/// command line. Returns false, with the error in kaland-check's words,
/// for a value it refuses.
bool readRandomOption(RandomOption option, const char* value, RandomOptions* options, std::string* error);

/// A whole number from `least` to `most` in decimal digits, nothing else.
bool readDecimal(const char* value, std::uint64_t least, std::uint64_t most, std::uint64_t* number);
