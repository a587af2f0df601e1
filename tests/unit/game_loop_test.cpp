#include <gtest/gtest.h>

#include <cstring>

#include "child_process.h"
#include "game_loop.h"
#include "room_table.h"

namespace {

// Builds a two-room table by hand; the loader never makes such kinds.
void makeTableWithKind(std::int32_t kind) {
    createRooms(2);
    storeRoomLine(1, 0, "strange\n", 8);
    rooms[1].kind = static_cast<RoomKind>(kind);
}

TEST(GameLoop, ImpossibleKindEndsTheGameAfterTheRoomIsShown) {
    for (std::int32_t kind : {3, -2, 1000}) {
        ChildResult result = runInChild([kind] {
            makeTableWithKind(kind);
            playGame();
        });
        EXPECT_EQ("\nstrange\n\nError: Program error: unknown Verekozas type\n", result.output);
        EXPECT_EQ(255, result.status);
    }
}

TEST(GameLoop, ReturnsWithoutOutputWhenNoRoomIsDescribed) {
    ChildResult result = runInChild([] {
        createRooms(5);
        rooms[0].kind = GameOver;
        playGame();
        freeRooms();
    });
    EXPECT_EQ("", result.output);
    EXPECT_EQ(0, result.status);
}

}  // namespace
