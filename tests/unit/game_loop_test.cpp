#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "child_process.h"
#include "game_loop.h"
#include "room_table.h"
#include "run_game.h"

namespace {

// Builds a two-room table by hand; the loader never makes such kinds.
void makeTableWithKind(std::int32_t kind) {
    createRooms(2);
    storeRoomLine(1, 0, "strange\n", 8);
    rooms[1].kind = static_cast<RoomKind>(kind);
}

TEST(GameLoop, ImpossibleKindStopsTheGameAfterTheRoomIsShown) {
    for (std::int32_t kind : {3, -2, 1000}) {
        ChildResult result = runInChild([kind] {
            makeTableWithKind(kind);
            MapDefect defect;
            GameEnd end = playGame(&defect);
            reportDefect(defect);
            std::exit(end == GameStopped && defect.kind == UnknownRoomKind ? 7 : 8);
        });
        EXPECT_EQ("\nstrange\n\nError: Program error: unknown Verekozas type\n", result.output);
        EXPECT_EQ(7, result.status);
    }
}

TEST(GameLoop, ReturnsWithoutOutputWhenNoRoomIsDescribed) {
    ChildResult result = runInChild([] {
        createRooms(5);
        rooms[0].kind = GameOver;
        MapDefect defect;
        GameEnd end = playGame(&defect);
        freeRooms();
        std::exit(end == NoStartRoom && defect.kind == NoDefect ? 0 : 1);
    });
    EXPECT_EQ("", result.output);
    EXPECT_EQ(0, result.status);
}

// A map of three rooms: 1 waits for a key (a to 2, b to 3), 2 moves on to 1
// by itself, 3 waits for Enter and then sends the player out of the table.
void makeThreeRooms() {
    createRooms(4);
    for (std::uint32_t number = 1; number <= 3; ++number) storeRoomLine(number, 0, "r\n", 2);
    rooms[1].exits[0] = Exit{2, 'a'};
    rooms[1].exits[1] = Exit{3, 'b'};
    rooms[2].kind = Automatic;
    rooms[2].exits[0] = Exit{1, 1};
    rooms[3].kind = WaitForEnter;
    rooms[3].exits[0] = Exit{99, 1};
}

struct Seen {
    std::vector<std::string> events;
};

void noteRoom(void* context, std::uint32_t room) {
    static_cast<Seen*>(context)->events.push_back("room " + std::to_string(room));
}

void noteExit(void* context, std::uint32_t room, std::uint32_t slot) {
    static_cast<Seen*>(context)->events.push_back("exit " + std::to_string(room) + "/" + std::to_string(slot));
}

// The exit that stops the game is told too, and no room follows it.
TEST(GameLoop, ObserverSeesRoomsAndExitsAndTheDefectEndsTheGame) {
    ChildResult result = runInChild(
        [] {
            makeThreeRooms();
            Seen seen;
            PlayObserver observer{noteRoom, noteExit, &seen};
            MapDefect defect;
            GameEnd end = playGame(&defect, &observer);
            std::string events;
            for (const std::string& event : seen.events) events += event + ";";
            bool expected = end == GameStopped && defect.kind == RoomMissing && defect.room == 99 &&
                            events == "room 1;exit 1/0;room 2;exit 2/0;room 1;exit 1/1;room 3;exit 3/0;";
            std::exit(expected ? 0 : 1);
        },
        "A\nb\nanything\n");
    EXPECT_EQ(0, result.status) << result.output;
}

TEST(GameLoop, QuitAndEndOfInputAreToldApart) {
    for (const char* input : {"exit\n", "EXIT\n", ""}) {
        ChildResult result = runInChild(
            [] {
                makeThreeRooms();
                MapDefect defect;
                GameEnd end = playGame(&defect);
                std::exit(end == PlayerQuit ? 1 : end == InputEnded ? 2 : 3);
            },
            input);
        EXPECT_EQ(*input == '\0' ? 2 : 1, result.status) << input;
    }
}

}  // namespace
