#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "move_rules.h"

namespace {

// Exits as the loader stores them: keys lowercased, 1 for an A or E exit.
const Exit EXITS[MAX_EXITS] = {{2, 'a'}, {99, 'b'}, {3, 'a'}, {4, '?'}, {5, 1}};

struct LineCase {
    RoomKind kind;
    const char* line;
    LineEffect effect;
    std::uint32_t slot;
};

TEST(MoveRules, WhatALineDoes) {
    const LineCase cases[] = {
        {Navigate, "a", LineTakesExit, 0},
        {Navigate, "A", LineTakesExit, 0},      // keys are not case-sensitive
        {Navigate, "b", LineTakesExit, 1},
        {Navigate, "b\0\n", LineTakesExit, 1},  // a NUL ends the line's text
        {Navigate, "\0b", LineIgnored, 0},
        {Navigate, "?", LineTakesExit, 3},
        {Navigate, "\x01", LineTakesExit, 4},   // the key the loader gives an A or E exit
        {Navigate, "", LineIgnored, 0},
        {Navigate, "c", LineIgnored, 0},
        {Navigate, "ab", LineIgnored, 0},       // only a one-byte line is a key
        {Navigate, "a ", LineIgnored, 0},
        {Navigate, "exit", LineQuits, 0},
        {Navigate, "eXIt", LineQuits, 0},
        {Navigate, "exit ", LineIgnored, 0},
        {Navigate, "exi", LineIgnored, 0},
        {WaitForEnter, "", LineTakesExit, 0},
        {WaitForEnter, "b", LineTakesExit, 0},  // whatever the line holds
        {WaitForEnter, "exit", LineTakesExit, 0},
        {Automatic, "a", LineIgnored, 0},
        {GameOver, "exit", LineIgnored, 0},
    };
    for (const LineCase& c : cases) {
        LineMove move = moveForLine(c.kind, EXITS, c.line);
        EXPECT_EQ(c.effect, move.effect) << c.kind << " '" << c.line << "'";
        EXPECT_EQ(c.slot, move.slot) << c.kind << " '" << c.line << "'";
    }
}

// A map held in a std::map, as a checker might hold one; rooms not in it
// are empty Navigate rooms.
struct TestWorld {
    std::map<std::uint32_t, std::pair<RoomKind, std::uint32_t>> passages;  // kind, target of the first exit
    std::uint32_t count = 10;
    std::set<std::uint32_t> entered;
    std::string heard;
    Exit exits[MAX_EXITS] = {};

    RoomKind kindOf(std::uint32_t room) const {
        auto found = passages.find(room);
        return found == passages.end() ? Navigate : found->second.first;
    }
    const Exit* exitsOf(std::uint32_t room) {
        exits[FIRST_EXIT] = Exit{passages.count(room) ? passages[room].second : 0, 1};
        return exits;
    }
    std::uint32_t roomCount() const { return count; }
    bool enteredSinceLine(std::uint32_t room) const { return entered.count(room) != 0; }
    void enter(std::uint32_t room) {
        entered.insert(room);
        heard += "in " + std::to_string(room) + ";";
    }
    void takeExit(std::uint32_t room, std::uint32_t slot) {
        heard += "exit " + std::to_string(room) + "/" + std::to_string(slot) + ";";
    }
};

TEST(MoveRules, WhereAChainOfPassagesEnds) {
    struct ChainCase {
        std::map<std::uint32_t, std::pair<RoomKind, std::uint32_t>> passages;
        std::set<std::uint32_t> enteredBefore;  // since the last line, before the chain
        ChainEnd end;
        std::uint32_t room;
        std::uint32_t target;
        const char* heard;
    };
    const ChainCase cases[] = {
        {{}, {}, ChainStops, 1, 0, "in 1;"},
        {{{1, {Automatic, 2}}, {2, {Automatic, 3}}, {3, {WaitForEnter, 1}}}, {}, ChainStops, 3, 0,
         "in 1;exit 1/0;in 2;exit 2/0;in 3;"},
        {{{1, {Automatic, 2}}, {2, {GameOver, 0}}}, {}, ChainStops, 2, 0, "in 1;exit 1/0;in 2;"},
        {{{1, {Automatic, 10}}}, {}, ChainLeavesTable, 1, 10, "in 1;exit 1/0;"},
        {{{1, {Automatic, 2}}, {2, {Automatic, 1}}}, {}, ChainGoesRound, 2, 1, "in 1;exit 1/0;in 2;exit 2/0;"},
        {{{1, {Automatic, 1}}}, {}, ChainGoesRound, 1, 1, "in 1;exit 1/0;"},
        // The room where the last line was read is not entered since: no circle.
        {{{1, {Automatic, 7}}}, {}, ChainStops, 7, 0, "in 1;exit 1/0;in 7;"},
        {{{1, {Automatic, 7}}}, {7}, ChainGoesRound, 1, 7, "in 1;exit 1/0;"},
    };
    for (const ChainCase& c : cases) {
        TestWorld world;
        world.passages = c.passages;
        world.entered = c.enteredBefore;
        PassageChain chain = enterAndFollowPassages(world, 1);
        EXPECT_EQ(c.end, chain.end) << c.heard;
        EXPECT_EQ(c.room, chain.room) << c.heard;
        EXPECT_EQ(c.target, chain.target) << c.heard;
        EXPECT_EQ(c.heard, world.heard);
    }
}

}  // namespace
