#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "room_table.h"

namespace {

TEST(RoomTable, CreatesZeroFilledRooms) {
    ASSERT_TRUE(createRooms(6));
    EXPECT_EQ(6u, roomCount);
    for (std::uint32_t number = 0; number < roomCount; ++number) {
        const Room& room = rooms[number];
        EXPECT_EQ(Navigate, room.kind);
        EXPECT_FALSE(isDescribed(room));
        for (const char* line : room.lines) EXPECT_EQ(nullptr, line);
        for (const Exit& exit : room.exits) {
            EXPECT_EQ(0u, exit.target);
            EXPECT_EQ(0, exit.key);
        }
    }
    freeRooms();
}

TEST(RoomTable, RefusesCountsWithoutATable) {
    EXPECT_FALSE(createRooms(0));
    EXPECT_EQ(nullptr, rooms);
    EXPECT_TRUE(createRooms(1));  // room 0 alone is a table
    freeRooms();
    // 4294967295 rooms are far more memory than any machine hands out.
    EXPECT_FALSE(createRooms(UINT32_MAX));
    EXPECT_EQ(nullptr, rooms);
}

TEST(RoomTable, FreeReleasesLinesAndIsIdempotent) {
    ASSERT_TRUE(createRooms(3));
    ASSERT_TRUE(storeRoomLine(2, 0, "first\n", 6));
    ASSERT_TRUE(storeRoomLine(2, 1, "second\n", 7));
    freeRooms();
    EXPECT_EQ(nullptr, rooms);
    EXPECT_EQ(3u, roomCount);
    freeRooms();
    EXPECT_EQ(nullptr, rooms);
}

TEST(RoomTable, StoredLinesAreTerminatedCopies) {
    ASSERT_TRUE(createRooms(2));
    char text[] = "abc\nrest";
    ASSERT_TRUE(storeRoomLine(1, 0, text, 4));
    text[0] = 'X';
    EXPECT_STREQ("abc\n", rooms[1].lines[0]);
    EXPECT_EQ(1u, findFirstDescribedRoom());
    freeRooms();
}

TEST(RoomTable, LargeTablesFindTheirFirstDescribedRoomWithoutAScan) {
    const std::uint32_t count = 3000000;
    ASSERT_TRUE(createRooms(count));
    EXPECT_EQ(count, findFirstDescribedRoom());
    rooms[5].kind = GameOver;  // exits and kinds alone do not describe a room
    for (std::uint32_t number : {2999999u, 70000u, 64u, 63u}) {
        ASSERT_TRUE(storeRoomLine(number, 0, "x\n", 2));
        EXPECT_EQ(number, findFirstDescribedRoom());
    }
    for (int i = 0; i < 5000; ++i) ASSERT_TRUE(storeRoomLine(2999999, 1, "many lines\n", 11));
    freeRooms();
    EXPECT_EQ(nullptr, rooms);
}

// Virtual memory of this process in kB, from /proc (0 where there is none).
long virtualMemoryKb() {
    std::ifstream status("/proc/self/status");
    std::string field;
    while (status >> field) {
        if (field == "VmSize:") {
            long kb = 0;
            status >> kb;
            return kb;
        }
    }
    return 0;
}

TEST(RoomTable, FreeRoomsGivesBackTableAndLines) {
    // The table and its lines live in blocks mapped from the system, which
    // leak checkers do not follow: the process's size has to come back, game
    // after game.
    long before = virtualMemoryKb();
    std::string text(500, 'x');
    for (int game = 0; game < 6; ++game) {
        ASSERT_TRUE(createRooms(200000));
        for (std::uint32_t number = 1; number < 200000; number += 2) {
            ASSERT_TRUE(storeRoomLine(number, 0, text.data(), text.size()));
        }
        EXPECT_GT(virtualMemoryKb(), before + 40000);
        freeRooms();
        EXPECT_LE(virtualMemoryKb(), before + 1024) << "game " << game;
    }
}

// A table belongs to whoever loaded it: another can be made only once it
// is released.
TEST(RoomTable, ANewTableWaitsUntilTheOldOneIsReleased) {
    ASSERT_TRUE(createRooms(4));
    ASSERT_TRUE(storeRoomLine(3, 0, "old\n", 4));
    EXPECT_FALSE(createRooms(2));
    EXPECT_EQ(4u, roomCount);
    EXPECT_STREQ("old\n", rooms[3].lines[0]);
    freeRooms();
    ASSERT_TRUE(createRooms(2));
    EXPECT_EQ(2u, findFirstDescribedRoom());
    freeRooms();
}

}  // namespace
