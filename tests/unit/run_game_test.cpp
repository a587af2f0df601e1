#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "child_process.h"
#include "console_text.h"
#include "map_loader.h"
#include "room_table.h"
#include "run_game.h"

namespace {

int runMap(const char* map) {
    MapLineReader reader;
    startMapLinesInMemory(&reader, map, std::strlen(map));
    MapDefect defect;
    int status = runGame(&reader, &defect);
    reportDefect(defect);
    return status;
}

TEST(RunGame, ClosingAGameWritesThePromptAndReadsOneLine) {
    ChildResult result = runInChild(
        [] {
            // "one" is the line closeGame reads: "two" must be the next one.
            char line[LINE_BUFFER_SIZE];
            bool closed = closeGame(PlayerQuit) == 0;
            std::exit(closed && readConsoleLine(line) && std::strcmp(line, "two") == 0 ? 0 : 1);
        },
        "one\ntwo\n");
    EXPECT_EQ(EXIT_PROMPT, result.output);
    EXPECT_EQ(0, result.status);
}

TEST(RunGame, AGameStoppedByADefectIsClosedWithoutPrompt) {
    ChildResult result = runInChild([] { std::exit(closeGame(GameStopped) == -1 ? 0 : 1); }, "one\n");
    EXPECT_EQ("", result.output);
    EXPECT_EQ(0, result.status);
}

// The browser engine keeps the table and plays it again for every line
// typed; each game must start from the same state.
TEST(RunGame, AKeptTablePlaysTheSameGameAgain) {
    const char* map = "#helyiseg 1\nstart\n#irany N 2 a\n#helyiseg 2\nend\n#gameover\n";
    std::string once = runInChild([map] { std::exit(runMap(map) == 0 ? 0 : 1); }, "a\n\n").output;
    ChildResult twice = runInChild(
        [map] {
            MapLineReader reader;
            startMapLinesInMemory(&reader, map, std::strlen(map));
            MapDefect defect;
            if (loadMapFrom(&reader, &defect) != 0) std::exit(2);
            endMapLines(&reader);
            for (int game = 0; game < 2; ++game) {
                useAsStandardInput("a\n\n");
                if (closeGame(playGame(&defect)) != 0) std::exit(3);
            }
            freeRooms();
        });
    EXPECT_EQ(0, twice.status);
    EXPECT_EQ(once + once, twice.output);
}

}  // namespace
