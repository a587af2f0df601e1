#include "map_queries.h"

#include <gtest/gtest.h>

#include <string>

#include "map_analysis.h"
#include "map_reading.h"

namespace {

// A map checked and outlined, as an editor holds it.
struct Checked {
    std::string bytes;
    std::vector<std::size_t> starts;
    MapCheck check;
    MapOutline outline;
    MapText text() const { return MapText{bytes.data(), bytes.size(), &starts}; }
};

Checked checked(const std::string& bytes) {
    Checked map{bytes, findLineStarts(bytes.data(), bytes.size()), {}, {}};
    MapLineReader reader;
    EXPECT_TRUE(startMapLinesInMemory(&reader, map.bytes.data(), map.bytes.size()));
    readMapForCheck(&reader, UINT64_MAX, &map.check);
    endMapLines(&reader);
    analyseMap(&map.check);
    map.outline = outlineMap(map.bytes.data(), map.bytes.size());
    return map;
}

// The text a diagnostic is about.
std::string subject(const Checked& map, const Diagnostic& diagnostic) {
    LineSpan span = diagnosticSpan(map.text(), map.outline, diagnostic);
    return map.bytes.substr(map.starts[span.line - 1] + span.begin, span.end - span.begin);
}

TEST(MapQueries, EachDiagnosticIsAboutTheWordKeyOrNumberItNames) {
    Checked map = checked("#helyiseg 1\r\nGo [n]orth or [w]est.\r\n#irany N 2 north\r\n#irany N 40 s\r\n"
                          "#irany N 2 \xc3\xb6\r\n#helyseg 2\r\n#helyiseg 2\r\nEnd.\r\n#gameover\r\n#helyiseg 3\r\nX\r\n");
    std::vector<std::string> subjects;
    for (const Diagnostic& diagnostic : map.check.diagnostics) subjects.push_back(subject(map, diagnostic));
    // The key no exit has, the exit whose key the text never names, a key
    // word, a target out of the table, a key of two bytes, a misspelt
    // directive, and a room twice (no exit, not reached).
    EXPECT_EQ((std::vector<std::string>{"[w]", "s", "north", "40", "\xc3\xb6", "#helyseg", "3", "3"}), subjects);

    Checked refused = checked("#helyiseg 1\nA\n#irany e 2\n#helyiseg 2\nB\n#irany N 1\n#helyiseg 3\n\0C\n");
    EXPECT_EQ("e", subject(refused, refused.check.diagnostics[0]));
}

TEST(MapQueries, PlacesInALongLineCountFromTheLinesStart) {
    // The runner reads a line of 511 bytes or more in pieces: the second
    // piece here is an exit of its own.
    std::string text = "#helyiseg 1\n" + std::string(511, 'x') + "#irany N 2 k\n#helyiseg 2\nEnd.\n#gameover\n";
    Checked map = checked(text);
    ASSERT_EQ(1u, map.outline.exits.size());
    EXPECT_EQ(2u, map.outline.exits[0].line);
    MapSpot spot = spotAt(map.text(), map.outline, 2, 511 + 9);
    EXPECT_EQ(ExitTarget, spot.kind);
    EXPECT_EQ(2u, spot.room);
    EXPECT_EQ(511u + 9, spot.span.begin);
    EXPECT_EQ(1u, exitsInto(map.outline, 2).size());
}

TEST(MapQueries, RoomsAreNamedWhereverTheLoaderPutsThem) {
    Checked map = checked("#helyiseg 4\nA [k]ey.\n#irany N 9 k\n#helyiseg\n#irany N 4 b\n#helyiseg 9\nB\n#gameover\n");
    std::uint32_t room = 0;
    ASSERT_TRUE(roomOfLine(map.outline, 5, &room));
    EXPECT_EQ(4u, room);  // a #helyiseg without a number goes on with room 4
    EXPECT_FALSE(roomOfLine(map.outline, 0, &room));
    EXPECT_EQ(2u, roomNumberPlaces(map.outline, 4).size());
    EXPECT_EQ(10u, map.outline.nextFreeRoom);

    MapSpot key = spotAt(map.text(), map.outline, 2, 3);
    EXPECT_EQ(NamedKey, key.kind);
    std::uint32_t slot = 0;
    EXPECT_TRUE(exitTakenByKey(map.check, key.room, key.key, &slot));
    EXPECT_EQ("key k takes the exit on line 3, to\nroom 9, line 6: ends the game (#gameover)\nB",
              describeSpot(map.text(), map.outline, map.check, key));

    std::string refusal;
    for (const char* typed : {"", "12a", "-3", "4294967295", "99999999999"}) {
        EXPECT_FALSE(readNewRoomNumber(map.outline, typed, &room, &refusal)) << typed;
    }
    EXPECT_FALSE(readNewRoomNumber(map.outline, "09", &room, &refusal));
    EXPECT_EQ("room 9 is already named on line 3; room 10 is free", refusal);
    EXPECT_TRUE(readNewRoomNumber(map.outline, "0", &room, &refusal));
}

TEST(MapQueries, WhatIsBeingTypedDecidesTheCompletions) {
    Checked map = checked("#hel\n#irany \n#irany N 1\n#helyiseg 3\n#irany N 3 k\nText #\n  #irany\tE \n#irany\0 N \n");
    auto place = [&map](std::uint64_t line, std::size_t offset) { return typingAt(map.text(), line, offset).place; };
    EXPECT_EQ(TypingDirective, place(1, 4));
    EXPECT_EQ(TypingKindLetter, place(2, 7));
    EXPECT_EQ(TypingTarget, place(3, 10));
    EXPECT_EQ(1u, typingAt(map.text(), 3, 10).replaced.end - typingAt(map.text(), 3, 10).replaced.begin);
    EXPECT_EQ(TypingHeadingNumber, place(4, 11));
    EXPECT_EQ(TypingNothing, place(5, 12));
    EXPECT_EQ(TypingNothing, place(6, 6));
    EXPECT_EQ(TypingTarget, place(7, 11));
    EXPECT_EQ(TypingNothing, place(8, 9));  // after a NUL the line says nothing more
}

}  // namespace
