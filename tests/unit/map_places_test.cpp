#include "map_places.h"

#include <gtest/gtest.h>

#include <string>

#include "map_questions.h"

namespace {

MapAnalysis checked(const std::string& bytes) {
    MapAnalysis map;
    analyseMapBytes(&map, bytes, UINT64_MAX);
    return map;
}

std::string textOf(const MapAnalysis& map, const LineSpan& span) {
    return mapBytes(map).substr(map.lineStarts[span.line - 1] + span.begin, span.end - span.begin);
}

// The text a diagnostic is about.
std::string subject(const MapAnalysis& map, const Diagnostic& diagnostic) {
    return textOf(map, diagnosticSpan(map, diagnostic));
}

TEST(MapPlaces, EachDiagnosticIsAboutTheWordKeyOrNumberItNames) {
    MapAnalysis map = checked("#helyiseg 1\r\nGo [n]orth or [w]est.\r\n#irany N 2 north\r\n#irany N 40 s\r\n"
                          "#irany N 2 \xc3\xb6\r\n#helyseg 2\r\n#helyiseg 2\r\nEnd.\r\n#gameover\r\n#helyiseg 3\r\nX\r\n");
    std::vector<std::string> subjects;
    for (const Diagnostic& diagnostic : mapDiagnostics(map)) subjects.push_back(subject(map, diagnostic));
    // The key no exit has, the exit whose key the text never names, a key
    // word, a target out of the table, a key of two bytes, a misspelt
    // directive, and a room twice (no exit, not reached).
    EXPECT_EQ((std::vector<std::string>{"[w]", "s", "north", "40", "\xc3\xb6", "#helyseg", "3", "3"}), subjects);

    MapAnalysis refused = checked("#helyiseg 1\nA\n#irany e 2\n#helyiseg 2\nB\n#irany N 1\n#helyiseg 3\n\0C\n");
    EXPECT_EQ("e", subject(refused, mapDiagnostics(refused)[0]));
}

TEST(MapPlaces, PlacesInALongLineCountFromTheLinesStart) {
    // The runner reads a line of 511 bytes or more in pieces: the second
    // piece here is an exit of its own.
    std::string text = "#helyiseg 1\n" + std::string(511, 'x') + "#irany N 2 k\n#helyiseg 2\nEnd.\n#gameover\n";
    MapAnalysis map = checked(text);
    ASSERT_EQ(1u, mapOutline(map).exits.size());
    EXPECT_EQ(2u, mapOutline(map).exits[0].line);
    MapSpot spot = spotAt(map, 2, 511 + 9);
    EXPECT_EQ(ExitTarget, spot.kind);
    EXPECT_EQ(2u, spot.room);
    EXPECT_EQ(511u + 9, spot.span.begin);
    EXPECT_EQ(1u, exitsInto(mapOutline(map), 2).size());
}

TEST(MapPlaces, RoomsAreNamedWhereverTheLoaderPutsThem) {
    MapAnalysis map = checked("#helyiseg 4\nA [k]ey.\n#irany N 9 k\n#helyiseg\n#irany N 4 b\n#helyiseg 9\nB\n#gameover\n");
    std::uint32_t room = 0;
    ASSERT_TRUE(roomAtLine(map, 5, &room));
    EXPECT_EQ(4u, room);  // a #helyiseg without a number goes on with room 4
    EXPECT_FALSE(roomAtLine(map, 0, &room));
    EXPECT_EQ(2u, roomNumberPlaces(mapOutline(map), 4).size());
    EXPECT_EQ(10u, mapOutline(map).nextFreeRoom);

    MapSpot key = spotAt(map, 2, 3);
    EXPECT_EQ(NamedKey, key.kind);
    const ExitLineFields* exit = exitTakenByKey(map, key.room, key.key);
    ASSERT_NE(nullptr, exit);
    EXPECT_EQ(3u, exit->line);
    EXPECT_EQ("key k takes the exit on line 3, to\nroom 9, line 6: ends the game (#gameover)\nB",
              describeSpot(map, key));

    std::string refusal;
    for (const char* typed : {"", "12a", "-3", "4294967295", "99999999999"}) {
        EXPECT_FALSE(readNewRoomNumber(map, typed, &room, &refusal)) << typed;
    }
    EXPECT_FALSE(readNewRoomNumber(map, "09", &room, &refusal));
    EXPECT_EQ("room 9 is already named on line 3; room 10 is free", refusal);
    EXPECT_TRUE(readNewRoomNumber(map, "0", &room, &refusal));
}

TEST(MapPlaces, WhatIsBeingTypedDecidesTheCompletions) {
    MapAnalysis map = checked("#hel\n#irany \n#irany N 1\n#helyiseg 3\n#irany N 3 k\nText #\n  #irany\tE \n#irany\0 N \n");
    auto place = [&map](std::uint64_t line, std::size_t offset) { return typingAt(map, line, offset).place; };
    EXPECT_EQ(TypingDirective, place(1, 4));
    EXPECT_EQ(TypingKindLetter, place(2, 7));
    EXPECT_EQ(TypingTarget, place(3, 10));
    EXPECT_EQ(1u, typingAt(map, 3, 10).replaced.end - typingAt(map, 3, 10).replaced.begin);
    EXPECT_EQ(TypingHeadingNumber, place(4, 11));
    EXPECT_EQ(TypingNothing, place(5, 12));
    EXPECT_EQ(TypingNothing, place(6, 6));
    EXPECT_EQ(TypingTarget, place(7, 11));
    EXPECT_EQ(TypingNothing, place(8, 9));  // after a NUL the line says nothing more
}

}  // namespace
