#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

#include "child_process.h"
#include "console_binding.h"
#include "map_loader.h"

namespace {

MapDefect lastDefect;

// Loads a map from memory into the process-wide table.
int loadFromText(const std::string& map) {
    MapLineReader reader;
    startMapLinesInMemory(&reader, map.data(), map.size());
    int result = loadMapFrom(&reader, &lastDefect);
    endMapLines(&reader);
    return result;
}

std::string messageOf(const MapDefect& defect) {
    char message[96];
    std::memset(message, '#', sizeof message);  // nothing may be left of this
    formatDefectMessage(defect, message, sizeof message);
    return message;
}

class MapLoader : public ::testing::Test {
protected:
    void TearDown() override { freeRooms(); }
};

TEST_F(MapLoader, FilesLinesExitsAndKinds) {
    ASSERT_EQ(0, loadFromText("#helyiseg 1\n"
                              "A dark corridor.\n"
                              "  indented\n"
                              "\n"
                              "#irany N 2 E\n"
                              "#irany N 3 w\n"
                              "#helyiseg 2\n"
                              "A door.\n"
                              "#irany E 1\n"
                              "#helyiseg 3\n"
                              "A pit.\n"
                              "#gameover\n"));
    ASSERT_EQ(4u, roomCount);
    EXPECT_FALSE(isDescribed(rooms[0]));
    EXPECT_STREQ("A dark corridor.\n", rooms[1].lines[0]);
    EXPECT_STREQ("  indented\n", rooms[1].lines[1]);
    EXPECT_EQ(nullptr, rooms[1].lines[2]);
    EXPECT_EQ(Navigate, rooms[1].kind);
    EXPECT_EQ(2u, rooms[1].exits[0].target);
    EXPECT_EQ('e', rooms[1].exits[0].key);
    EXPECT_EQ('w', rooms[1].exits[1].key);
    EXPECT_EQ(WaitForEnter, rooms[2].kind);
    EXPECT_EQ(1u, rooms[2].exits[0].target);
    EXPECT_EQ(1, rooms[2].exits[0].key);
    EXPECT_EQ(GameOver, rooms[3].kind);
}

TEST_F(MapLoader, IgnoresLinesOutsideADescription) {
    ASSERT_EQ(0, loadFromText("before any room\n"
                              "#irany A 2\n"
                              "#helyiseg 2\n"
                              "kept\n"
                              "# a comment neither ends nor joins it\n"
                              "kept too\n"
                              "#gameover\n"
                              "ignored\n"));
    EXPECT_EQ(Automatic, rooms[0].kind);  // directives before any #helyiseg act on room 0
    EXPECT_EQ(2u, rooms[0].exits[0].target);
    EXPECT_FALSE(isDescribed(rooms[0]));
    EXPECT_STREQ("kept\n", rooms[2].lines[0]);
    EXPECT_STREQ("kept too\n", rooms[2].lines[1]);
    EXPECT_EQ(nullptr, rooms[2].lines[2]);
}

TEST_F(MapLoader, LastExitLineSetsTheKindAndExitsStayInFileOrder) {
    ASSERT_EQ(0, loadFromText("#helyiseg 1\nx\n#irany A 5\n#irany N 6 k\n#irany E 7\n"));
    EXPECT_EQ(WaitForEnter, rooms[1].kind);
    EXPECT_EQ(5u, rooms[1].exits[0].target);
    EXPECT_EQ(1, rooms[1].exits[0].key);
    EXPECT_EQ('k', rooms[1].exits[1].key);
    EXPECT_EQ(7u, rooms[1].exits[2].target);
}

TEST_F(MapLoader, UndescribedRoomMayBeNamedAgain) {
    ASSERT_EQ(0, loadFromText("#helyiseg 3\n#irany N 1 a\n#irany N 2 b\n#gameover\n"
                              "#helyiseg 3\n#irany N 9 c\nnot stored\n"));
    EXPECT_EQ(Navigate, rooms[3].kind);
    EXPECT_EQ(9u, rooms[3].exits[0].target);  // slot 0 overwritten
    EXPECT_EQ('b', rooms[3].exits[1].key);    // slot 1 kept
    EXPECT_FALSE(isDescribed(rooms[3]));
}

TEST_F(MapLoader, HeadingWithoutNumberKeepsTheRoom) {
    ASSERT_EQ(0, loadFromText("#helyiseg\nroom zero\n#helyiseg 1\none\n"));
    EXPECT_STREQ("room zero\n", rooms[0].lines[0]);
    EXPECT_STREQ("one\n", rooms[1].lines[0]);
}

TEST_F(MapLoader, StoresExitTargetsOutsideTheTable) {
    ASSERT_EQ(0, loadFromText("#helyiseg 1\nx\n#irany N 4000000000 q\n"));
    EXPECT_EQ(4000000000u, rooms[1].exits[0].target);
}

TEST_F(MapLoader, KeepsLongLinePiecesAndNulCutText) {
    std::string map = "#helyiseg 1\n" + std::string(600, 'x') + "\n" + std::string("ab\0cd\n", 6);
    ASSERT_EQ(0, loadFromText(map));
    EXPECT_EQ(std::string(511, 'x'), rooms[1].lines[0]);
    EXPECT_EQ(std::string(89, 'x') + "\n", rooms[1].lines[1]);
    EXPECT_STREQ("ab", rooms[1].lines[2]);
}

TEST(MapLoaderPipes, MapFromAPipeIsReadOnceAndLoadsWhole) {
    // Larger than a pipe holds at once, so a writer has to feed it.
    std::string map = "#helyiseg 2\nFrom a pipe.\n#gameover\n";
    for (int i = 0; i < 20000; ++i) map += "# filler comment line\n";
    map += "#helyiseg 7\nLast room.\n";
    ChildResult result = runInChild([&map] {
        int channel[2];
        if (pipe(channel) != 0) std::exit(3);
        if (fork() == 0) {
            close(channel[0]);
            if (write(channel[1], map.data(), map.size()) != static_cast<ssize_t>(map.size())) _exit(4);
            _exit(0);
        }
        close(channel[1]);
        std::string path = "/dev/fd/" + std::to_string(channel[0]);
        MapDefect defect;
        if (loadMap(path.c_str(), &defect) != 0) std::exit(5);
        std::string found = std::to_string(roomCount) + " rooms, room 2: " + rooms[2].lines[0] +
                            ", room 7: " + rooms[7].lines[0];
        writeText(found.c_str());
        freeRooms();
    });
    EXPECT_EQ("8 rooms, room 2: From a pipe.\n, room 7: Last room.\n", result.output);
    EXPECT_EQ(0, result.status);
}

TEST(MapLoaderFailures, NoRoomAboveZero) {
    for (const char* map : {"", "no rooms here\n", "#helyiseg 0\nx\n", "#helyiseg\n"}) {
        EXPECT_EQ(1, loadFromText(map)) << map;
        EXPECT_EQ(NoRoomAboveZero, lastDefect.kind) << map;
        EXPECT_EQ("Nincs helyiseg", messageOf(lastDefect));
        EXPECT_EQ(BareMessage, defectReport(lastDefect.kind));
        EXPECT_EQ(nullptr, rooms);
    }
}

TEST(MapLoaderFailures, HighestRoomWithoutATable) {
    EXPECT_EQ(1, loadFromText("#helyiseg 4294967295\n"));
    EXPECT_EQ(NoMemory, lastDefect.kind);
    EXPECT_EQ(SilentDefect, defectReport(lastDefect.kind));
    EXPECT_EQ(nullptr, rooms);
}

TEST(MapLoaderFailures, MissingFileFailsQuietly) {
    MapDefect defect;
    EXPECT_EQ(1, loadMap("/nonexistent/kaland.map", &defect));
    EXPECT_EQ(MapNotOpened, defect.kind);
    EXPECT_EQ(SilentDefect, defectReport(defect.kind));
    EXPECT_EQ("", messageOf(defect));
    EXPECT_EQ("", messageOf(MapDefect{NoDefect, 0, 0}));
}

struct DefectCase {
    const char* map;
    DefectKind kind;
    std::uint64_t line;
    const char* message;
};

TEST(MapLoaderFailures, DefectsComeBackWithTheirLineAndNoTable) {
    const DefectCase cases[] = {
        {"#helyiseg 1\na\n#helyiseg 1\n", DescribedTwice, 3, "Hibas terkep: 1 helysegnek tobb leirasa is van"},
        {"#helyiseg 1\na\n\n#helyiseg\n", DescribedTwice, 4, "Hibas terkep: 1 helysegnek tobb leirasa is van"},
        {"#helyiseg 1\n#irany n 2 e\n", MalformedExit, 2, "#irany: hibas parameterezes"},
        {"#helyiseg 1\n#irany N 2\n", MalformedExit, 2, "#irany: hibas parameterezes"},
        {"#helyiseg 1\n#irany A 2 x\n", MalformedExit, 2, "#irany: hibas parameterezes"},
        {"#helyiseg 1\n#irany E 2 x\n", MalformedExit, 2, "#irany: hibas parameterezes"},
        {"#helyiseg 1\n#irany X 2\n", MalformedExit, 2, "#irany: hibas parameterezes"},
        {"#helyiseg 1\n#irany\n", MalformedExit, 2, "#irany: hibas parameterezes"},
        {"#helyiseg 1\n#irany N 21\n", MalformedExit, 2, "#irany: hibas parameterezes"},
    };
    for (const DefectCase& expected : cases) {
        std::string map = expected.map;
        EXPECT_EQ(1, loadFromText(map)) << map;
        EXPECT_EQ(expected.kind, lastDefect.kind) << map;
        EXPECT_EQ(expected.line, lastDefect.line) << map;
        EXPECT_EQ(expected.message, messageOf(lastDefect)) << map;
        EXPECT_EQ(nullptr, rooms) << map;
    }
    EXPECT_EQ(BareMessage, defectReport(DescribedTwice));
    EXPECT_EQ(ErrorMessage, defectReport(MalformedExit));
}

// A stream that reads `first` until it is rewound, then `second`: a map
// file that an editor saves again between the loader's two passes.
struct ChangingFile {
    std::string first;
    std::string second;
    std::string* reading;
    std::size_t at;
};

ssize_t readChangingFile(void* cookie, char* buffer, std::size_t size) {
    auto* file = static_cast<ChangingFile*>(cookie);
    std::size_t count = std::min(size, file->reading->size() - file->at);
    file->reading->copy(buffer, count, file->at);
    file->at += count;
    return static_cast<ssize_t>(count);
}

int seekChangingFile(void* cookie, off64_t* offset, int whence) {
    auto* file = static_cast<ChangingFile*>(cookie);
    if (*offset != 0 || whence != SEEK_SET) return -1;
    if (file->at > 0) file->reading = &file->second;
    file->at = 0;
    return 0;
}

TEST(MapLoaderFailures, MapChangedBetweenThePasses) {
    ChangingFile changing{"#helyiseg 1\nOne.\n#gameover\n", "#helyiseg 1\nOne.\n#helyiseg 7\nSeven.\n",
                          nullptr, 0};
    changing.reading = &changing.first;
    std::FILE* file = fopencookie(&changing, "r", {readChangingFile, nullptr, seekChangingFile, nullptr});
    ASSERT_NE(nullptr, file);
    MapLineReader reader;
    ASSERT_TRUE(startMapLines(&reader, file));
    EXPECT_EQ(1, loadMapFrom(&reader, &lastDefect));
    endMapLines(&reader);
    std::fclose(file);
    EXPECT_EQ(MapChanged, lastDefect.kind);
    EXPECT_EQ(3u, lastDefect.line);
    EXPECT_EQ("A terkep megvaltozott betoltes kozben", messageOf(lastDefect));
    EXPECT_EQ(nullptr, rooms);
}

TEST(MapLoaderFailures, TooManyLinesOrExits) {
    std::string map = "#helyiseg 1\n";
    for (int i = 0; i < 16; ++i) map += "line\n";
    EXPECT_EQ(1, loadFromText(map + "seventeenth\n"));
    EXPECT_EQ(TooManyLines, lastDefect.kind);
    EXPECT_EQ(18u, lastDefect.line);
    EXPECT_EQ("Tul sok kiirando sor (max. 16)", messageOf(lastDefect));
    EXPECT_EQ(0, loadFromText(map + "#gameover\n"));
    freeRooms();
}

TEST(MapLoaderFailures, KindLetterIsCheckedBeforeTheExitCount) {
    std::string map = "#helyiseg 1\n";
    for (int i = 0; i < 9; ++i) map += "#irany N 1 a\n";
    EXPECT_EQ(1, loadFromText(map + "#irany Q 1\n"));
    EXPECT_EQ(MalformedExit, lastDefect.kind);
    EXPECT_EQ(1, loadFromText(map + "#irany A 1\n"));
    EXPECT_EQ(TooManyExits, lastDefect.kind);
    EXPECT_EQ("Tul sok irany (max. 9)", messageOf(lastDefect));
}

}  // namespace
