#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "key_words.h"
#include "named_exits.h"
#include "room_table.h"
#include "saved_game.h"

namespace {

std::string wordsAt(const std::string& line, const std::string& mark, const std::string& exitKeys = "") {
    return keyWords(line.data(), line.size(), line.find(mark), exitKeys);
}

TEST(KeyWords, EachKeyTakesItsPartOfTheLine) {
    EXPECT_EQ("north to the market square", wordsAt("    [n] north to the market square", "[n]"));
    EXPECT_EQ("North", wordsAt("[N]orth, [S]outh", "[N]"));
    EXPECT_EQ("South", wordsAt("[N]orth, [S]outh", "[S]"));
    EXPECT_EQ("fight", wordsAt("[1] fight [2] flee", "[1]"));
    EXPECT_EQ("flee", wordsAt("[1] fight [2] flee", "[2]"));
    EXPECT_EQ("To the north", wordsAt("To the north [n], to the south [s]", "[n]"));
    EXPECT_EQ("to the south", wordsAt("To the north [n], to the south [s]", "[s]"));
    EXPECT_EQ("north", wordsAt("  [n] -> north  ", "[n]"));
    EXPECT_EQ("", wordsAt("[a][b]", "[a]"));  // nothing but keys
    EXPECT_EQ("", wordsAt("(c) 2026 [x]", "(c)"));  // not a key
    EXPECT_EQ("l\xE1mp\xE1s", wordsAt("[l] l\xE1mp\xE1s", "[l]"));  // bytes of the map pass through
    // A mark of another character names a key only where an exit takes it.
    EXPECT_EQ("back", wordsAt("[<] back [>] on", "[<]", "<>"));
    EXPECT_EQ("up (!) danger", wordsAt("[u]p (!) danger", "[u]", "u"));
}

Room roomWith(RoomKind kind, std::vector<const char*> lines, std::vector<Exit> exits) {
    Room room{};
    for (std::size_t slot = 0; slot < lines.size(); ++slot) room.lines[slot] = const_cast<char*>(lines[slot]);
    for (std::size_t slot = 0; slot < exits.size(); ++slot) room.exits[slot] = exits[slot];
    room.kind = kind;
    return room;
}

TEST(NamedExits, OnlyKeysTheTextNamesThatAnExitTakes) {
    Room room = roomWith(Navigate, {"A hall.\n", "  [n] north, [x] nowhere\n", "  [N]orth again, [s]outh\n"},
                         {{2, 'n'}, {3, 's'}, {4, 'h'}});
    std::vector<NamedExit> exits = namedExits(room);
    ASSERT_EQ(2u, exits.size());
    EXPECT_EQ('n', exits[0].key);
    EXPECT_EQ(0u, exits[0].slot);
    EXPECT_EQ("north", exits[0].words);
    EXPECT_EQ('s', exits[1].key);
    EXPECT_EQ(1u, exits[1].slot);
    EXPECT_EQ("south", exits[1].words);
    // The hidden exit h is never offered; a scene offers no key at all.
    EXPECT_TRUE(namedExits(roomWith(WaitForEnter, {"[n] on\n"}, {{2, 1}})).empty());
}

TEST(SavedGame, FingerprintIsThePagesKey) {
    const char map[] = "#helyiseg 1\nHall\n#gameover\n";
    EXPECT_EQ("27-52d38b188985fba9", mapFingerprint(map, std::strlen(map)));
    EXPECT_EQ("0-811c9dc52545f491", mapFingerprint("", 0));
}

TEST(SavedGame, ReadsLinesAsTheConsoleDoesAndItsDescription) {
    const char file[] = "n\r\n\nx\n#kaland-save 1 map=9-ab lines=3 rooms=1,2*2,p\nlast";
    SavedGame game = readSavedGame(file, std::strlen(file));
    EXPECT_EQ((std::vector<std::string>{"n", "", "x", "last"}), game.lines);
    EXPECT_TRUE(game.readers.empty()) << "3 lines described, 4 typed";
    const char described[] = "n\n\n#kaland-save 1 map=9-ab lines=2 rooms=1,2*2\n";
    game = readSavedGame(described, std::strlen(described));
    EXPECT_EQ("9-ab", game.map);
    EXPECT_EQ((std::vector<std::uint32_t>{1, 2, 2}), game.readers);
    for (const char* wrong : {"#kaland-save 2 map=9-ab lines=0 rooms=1\n", "#kaland-save 1 map=9-ab lines=0 rooms=1,2\n",
                              "#kaland-save 1 map=9-ab lines=0 rooms=1*0\n", "#kaland-save 1 lines=0 rooms=1\n",
                              "#kaland-save 1 map=9-ab lines=0 rooms=x\n", "#kaland-save 1 map=9-ab lines=0 rooms=1*99999999999\n"}) {
        game = readSavedGame(wrong, std::strlen(wrong));
        EXPECT_TRUE(game.lines.empty() && game.readers.empty()) << wrong;
    }
    EXPECT_TRUE(isSavedGame(described, std::strlen(described)));
    EXPECT_FALSE(isSavedGame("#helyiseg 1\n", 12));
}

// Rooms 1 and 2 wait for a key, 3 is a scene.
class SavedGameOnTable : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(createRooms(4));
        rooms[3].kind = WaitForEnter;
    }
    void TearDown() override { freeRooms(); }
};

TEST_F(SavedGameOnTable, TheDescriptionStandsWhereNothingTakesItAsALine) {
    SavedGame game{{"a", "b", ""}, "9-ab", {1, 2, 3, 1}};
    EXPECT_EQ("a\nb\n\n#kaland-save 1 map=9-ab lines=3 rooms=1,2,3,1\n", writeSavedGame(game));
    game.readers = {1, 2, 3, READ_AT_EXIT_PROMPT};
    EXPECT_EQ("a\nb\n\n#kaland-save 1 map=9-ab lines=3 rooms=1,2,3,p\n", writeSavedGame(game));
    // Waiting in a scene: before the last line a room waiting for a key read.
    game.readers = {1, 2, 3, 3};
    EXPECT_EQ("a\n#kaland-save 1 map=9-ab lines=3 rooms=1,2,3*2\nb\n\n", writeSavedGame(game));
    game = SavedGame{{"", ""}, "9-ab", {3, 3, 3}};
    EXPECT_EQ("\n\n", writeSavedGame(game));
    game = SavedGame{{"a", "", "a"}, "9-ab", {1, 3, READ_AT_EXIT_PROMPT, READ_BY_NOBODY}};
    std::string file = writeSavedGame(game);
    SavedGame read = readSavedGame(file.data(), file.size());
    EXPECT_EQ(game.lines, read.lines);
    EXPECT_EQ(game.readers, read.readers);
}

TEST(SavedGame, ReplayStopsAfterTheLastLineThatLeadsWhereItLed) {
    SavedGame saved{{"a", "b", "c"}, "9-ab", {1, 2, 2, 5}};
    ReplayCheck check = checkReplay(saved, {1, 2, 2, 5});
    EXPECT_EQ(ReplayWhole, check.outcome);
    EXPECT_EQ(3u, check.linesKept);
    check = checkReplay(saved, {1, 2, 4, 4});  // "b" leads to room 4 now
    EXPECT_EQ(ReplayLineLeadsElsewhere, check.outcome);
    EXPECT_EQ(1u, check.linesKept);
    EXPECT_EQ(2u, check.line);
    check = checkReplay(saved, {1, READ_AT_EXIT_PROMPT, READ_BY_NOBODY});  // "a" ends the game now
    EXPECT_EQ(0u, check.linesKept);
    EXPECT_EQ(1u, check.line);
    check = checkReplay(saved, {7, 7, 7, 7});
    EXPECT_EQ(ReplayStartsElsewhere, check.outcome);
    EXPECT_EQ(0u, check.linesKept);
    // Without a description: every line the game reads.
    saved.readers.clear();
    check = checkReplay(saved, {1, 2, 2, 5});
    EXPECT_EQ(ReplayUnchecked, check.outcome);
    EXPECT_EQ(3u, check.linesKept);
    check = checkReplay(saved, {1, READ_AT_EXIT_PROMPT, READ_BY_NOBODY});
    EXPECT_EQ(ReplayEndsSooner, check.outcome);
    EXPECT_EQ(2u, check.linesKept);
    EXPECT_EQ(3u, check.line);
}

}  // namespace
