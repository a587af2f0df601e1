#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

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
    // 4294967295 rooms are far more memory than any machine hands out.
    EXPECT_FALSE(createRooms(UINT32_MAX));
    EXPECT_EQ(nullptr, rooms);
}

TEST(RoomTable, FreeReleasesLinesAndIsIdempotent) {
    ASSERT_TRUE(createRooms(3));
    rooms[2].lines[0] = strdup("first\n");
    rooms[2].lines[1] = strdup("second\n");
    freeRooms();
    EXPECT_EQ(nullptr, rooms);
    EXPECT_EQ(3u, roomCount);
    freeRooms();
    EXPECT_EQ(nullptr, rooms);
}

}  // namespace
