#include <gtest/gtest.h>

#include <string>

#include "map_fields.h"

namespace {

struct Scanned {
    int count;
    ExitFields fields;
};

Scanned scanExit(const std::string& text) {
    Scanned scanned{0, {'?', 77, '?'}};
    scanned.count = scanExitFields(text.data(), text.size(), &scanned.fields);
    return scanned;
}

std::uint32_t roomNumber(const std::string& text, std::uint32_t previous = 42) {
    scanRoomNumber(text.data(), text.size(), &previous);
    return previous;
}

TEST(MapFields, NumbersWrapModulo2To32) {
    EXPECT_EQ(7u, roomNumber("#helyiseg 7\n"));
    EXPECT_EQ(7u, roomNumber("#helyiseg\t+7x\n"));
    EXPECT_EQ(4294967295u, roomNumber("#helyiseg -1\n"));
    EXPECT_EQ(4294967295u, roomNumber("#helyiseg 4294967295\n"));
    EXPECT_EQ(0u, roomNumber("#helyiseg 4294967296\n"));
    EXPECT_EQ(5u, roomNumber("#helyiseg 4294967301\n"));
    // Far past any saturation point: still the value modulo 2^32.
    EXPECT_EQ(1410065408u, roomNumber("#helyiseg 10000000000\n"));
    EXPECT_EQ(3u, roomNumber("#helyiseg 000000000000000000000000000003\n"));
}

TEST(MapFields, MissingNumberKeepsThePreviousValue) {
    EXPECT_EQ(42u, roomNumber("#helyiseg\n"));
    EXPECT_EQ(42u, roomNumber("#helyiseg x7\n"));
    EXPECT_EQ(42u, roomNumber("#helyiseg + 7\n"));
    EXPECT_EQ(42u, roomNumber("#helyiseg -\n"));
    std::uint32_t room = 9;
    EXPECT_EQ(0, scanRoomNumber("#helyiseg", 9, &room));
    EXPECT_EQ(1, scanRoomNumber("#helyiseg 8", 11, &room));
    EXPECT_EQ(8u, room);
}

TEST(MapFields, ExitFieldCountsDecideTheLine) {
    EXPECT_EQ(0, scanExit("#irany\n").count);
    EXPECT_EQ(0, scanExit("#irany   \t\n").count);
    EXPECT_EQ(1, scanExit("#irany N\n").count);
    EXPECT_EQ(1, scanExit("#irany N e 2\n").count);
    EXPECT_EQ(2, scanExit("#irany A 5\n").count);
    EXPECT_EQ(3, scanExit("#irany N 2 e\n").count);
    EXPECT_EQ(3, scanExit("#irany A 5 x\n").count);
}

TEST(MapFields, FieldsRunTogetherWhereTheyCannotMerge) {
    Scanned glued = scanExit("#irany A5\n");
    EXPECT_EQ(2, glued.count);
    EXPECT_EQ('A', glued.fields.kindLetter);
    EXPECT_EQ(5u, glued.fields.target);

    Scanned zeroThenKey = scanExit("#irany N 0e\n");
    EXPECT_EQ(3, zeroThenKey.count);
    EXPECT_EQ(0u, zeroThenKey.fields.target);
    EXPECT_EQ('e', zeroThenKey.fields.key);

    Scanned digitKey = scanExit("#irany N 51\n");  // the key is read into the number
    EXPECT_EQ(2, digitKey.count);
    EXPECT_EQ(51u, digitKey.fields.target);

    Scanned all = scanExit("#irany N2E and more\n");
    EXPECT_EQ(3, all.count);
    EXPECT_EQ('E', all.fields.key);  // lowercasing is the loader's business
}

TEST(MapFields, KeysAreAnyNonWhitespaceByte) {
    EXPECT_EQ('#', scanExit("#irany N 2 #\n").fields.key);
    EXPECT_EQ('\x01', scanExit("#irany N 2 \x01\n").fields.key);
    EXPECT_EQ('\xC3', scanExit("#irany N 2 \xC3\xA9\n").fields.key);
    EXPECT_EQ('n', scanExit("#irany n 2 e\n").fields.kindLetter);
}

TEST(MapFields, ScanStopsAtTheGivenLength) {
    std::string text = "#irany N 2 e";
    ExitFields fields{};
    EXPECT_EQ(2, scanExitFields(text.data(), 10, &fields));  // as if a NUL stood before the key
    EXPECT_EQ(1, scanExitFields(text.data(), 8, &fields));
}

TEST(MapFields, SpansLocateEachFieldRead) {
    std::string text = "#irany  N -12e rest";
    ExitFields fields{};
    FieldSpan spans[3] = {};
    EXPECT_EQ(3, scanExitFields(text.data(), text.size(), &fields, nullptr, spans));
    EXPECT_EQ("N", text.substr(spans[0].begin, spans[0].end - spans[0].begin));
    EXPECT_EQ("-12", text.substr(spans[1].begin, spans[1].end - spans[1].begin));
    EXPECT_EQ("e", text.substr(spans[2].begin, spans[2].end - spans[2].begin));

    FieldSpan number{99, 99};
    std::uint32_t room = 0;
    EXPECT_EQ(0, scanRoomNumber("#helyiseg x", 11, &room, &number));
    EXPECT_EQ(99u, number.begin);  // nothing read, nothing located
    EXPECT_EQ(1, scanRoomNumber("#helyiseg\t+7x", 13, &room, &number));
    EXPECT_EQ(10u, number.begin);
    EXPECT_EQ(12u, number.end);
}

}  // namespace
