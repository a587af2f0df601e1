// The random player's dice, written out here rather than taken from the
// standard library, whose engines' seeding and distributions differ from
// one library to the next: a seed must give the same games on every system
// and with every compiler (the Windows build included).
//
// The generator is PCG32 (the XSH RR output of a 64-bit linear
// congruential state): state' = state * 6364136223846793005 + increment,
// where the odd increment, (stream << 1) | 1, picks one of 2^63 independent
// sequences; the output of a step is the old state's bits 27 to 58 after
// (state ^ state >> 18), rotated right by its top five bits. It is seeded
// as its authors seed it: state 0, one step, the seed added, one step more.
// A number below a bound is drawn without bias by rejection: outputs below
// 2^32 mod bound are drawn again, and the rest taken modulo the bound.
#pragma once

#include <cstdint>

struct RandomDraw {
    std::uint64_t state;
    std::uint64_t increment;
};

inline std::uint32_t nextRandom(RandomDraw* draw) {
    std::uint64_t old = draw->state;
    draw->state = old * 6364136223846793005ull + draw->increment;
    std::uint32_t shifted = static_cast<std::uint32_t>(((old >> 18) ^ old) >> 27);
    std::uint32_t rotation = static_cast<std::uint32_t>(old >> 59);
    return (shifted >> rotation) | (shifted << ((32 - rotation) & 31));
}

/// The sequence `stream` (below 2^63) of the seed `seed`.
inline RandomDraw startRandomDraw(std::uint64_t seed, std::uint64_t stream) {
    RandomDraw draw{0, (stream << 1) | 1};
    nextRandom(&draw);
    draw.state += seed;
    nextRandom(&draw);
    return draw;
}

/// A number from 0 to bound - 1, each as likely; `bound` is at least 1.
inline std::uint32_t randomBelow(RandomDraw* draw, std::uint32_t bound) {
    std::uint32_t threshold = static_cast<std::uint32_t>(0u - bound) % bound;  // 2^32 mod bound
    for (;;) {
        std::uint32_t number = nextRandom(draw);
        if (number >= threshold) return number % bound;
    }
}
