#include "random_options.h"

bool readDecimal(const char* value, std::uint64_t least, std::uint64_t most, std::uint64_t* number) {
    std::uint64_t read = 0;
    const char* digit = value;
    for (; *digit >= '0' && *digit <= '9'; ++digit) {
        std::uint64_t next = static_cast<std::uint64_t>(*digit - '0');
        if (read > (most - next) / 10) return false;
        read = read * 10 + next;
    }
    if (digit == value || *digit != '\0' || read < least) return false;
    *number = read;
    return true;
}

bool readRandomOption(RandomOption option, const char* value, RandomOptions* options, std::string* error) {
    switch (option) {
    case RandomGamesOption:
        if (readDecimal(value, 1, MOST_RANDOM_GAMES, &options->games)) return true;
        *error = "--random takes a number of games from 1 to 1000000000, not '" + std::string(value) + "'";
        return false;
    case RandomSeedOption:
        if (readDecimal(value, 0, UINT64_MAX, &options->seed)) return true;
        *error = "--seed takes a number from 0 to 18446744073709551615, not '" + std::string(value) + "'";
        return false;
    case RandomStepsOption:
        if (readDecimal(value, 1, MOST_RANDOM_GAMES, &options->steps)) return true;
        *error = "--steps takes a number of lines from 1 to 1000000000, not '" + std::string(value) + "'";
        return false;
    }
    return false;
}
