#include <gtest/gtest.h>

#include <string>

#include "map_directives.h"

namespace {

MapLine lineOf(const std::string& text) {
    return MapLine{text.data(), text.size(), text.size(), 1};
}

MapLineKind kindOf(const std::string& text) {
    return classifyMapLine(lineOf(text));
}

TEST(MapDirectives, ClassifyByFirstWord) {
    EXPECT_EQ(BlankLine, kindOf(" \t\v\f\r\n"));
    EXPECT_EQ(DescriptionLine, kindOf("   A room.\n"));
    EXPECT_EQ(RoomDirective, kindOf("#HELYISEG 3\n"));
    EXPECT_EQ(RoomDirective, kindOf("\t#Helyiseg\n"));
    EXPECT_EQ(ExitDirective, kindOf("#irany N 2 e"));
    EXPECT_EQ(GameOverDirective, kindOf("#GameOver\n"));
    EXPECT_EQ(GameOverDirective, kindOf("   #gameover\n"));
    EXPECT_EQ(OtherDirective, kindOf("#iranyN 2 e\n"));
    EXPECT_EQ(OtherDirective, kindOf("# comment\n"));
    EXPECT_EQ(DescriptionLine, kindOf("\xEF\xBB\xBF#helyiseg 1\n"));  // byte-order mark
    EXPECT_EQ(DescriptionLine, kindOf("\xA0#helyiseg 1\n"));  // 0xA0 is no white space
}

TEST(MapDirectives, HeadingNumberOrNone) {
    std::uint32_t room = 77;
    EXPECT_TRUE(readHeadingNumber(lineOf("#helyiseg -1\n"), &room));
    EXPECT_EQ(4294967295u, room);
    EXPECT_FALSE(readHeadingNumber(lineOf("#helyiseg two\n"), &room));
    EXPECT_EQ(4294967295u, room);  // kept
}

std::string text;  // readExitLine's line must outlive its fields

ExitLine exitLineOf(const std::string& line) {
    text = line;
    return readExitLine(lineOf(text));
}

TEST(MapDirectives, ValidExitLines) {
    ExitLine navigate = exitLineOf("#irany N 12 E\n");
    EXPECT_EQ(ExitLineValid, navigate.fault);
    EXPECT_EQ(Navigate, navigate.kind);
    EXPECT_EQ(12u, navigate.exit.target);
    EXPECT_EQ('e', navigate.exit.key);  // stored lowercased
    EXPECT_EQ('E', navigate.fields.key);  // as written

    ExitLine automatic = exitLineOf("#IRANY A7\n");
    EXPECT_EQ(ExitLineValid, automatic.fault);
    EXPECT_EQ(Automatic, automatic.kind);
    EXPECT_EQ(7u, automatic.exit.target);
    EXPECT_EQ(1, automatic.exit.key);

    ExitLine enter = exitLineOf("#irany E 3");
    EXPECT_EQ(WaitForEnter, enter.kind);
    EXPECT_EQ(1, enter.exit.key);

    // A target of 0 written straight before a letter: the letter is the key.
    ExitLine glued = exitLineOf("#irany N 0k\n");
    EXPECT_EQ(ExitLineValid, glued.fault);
    EXPECT_EQ('k', glued.exit.key);
}

TEST(MapDirectives, FaultsOfExitLinesInTheOrderTheyAreFound) {
    EXPECT_EQ(MissingKindLetter, exitLineOf("#irany\n").fault);
    EXPECT_EQ(SmallKindLetter, exitLineOf("#irany n 2 e\n").fault);
    EXPECT_EQ(SmallKindLetter, exitLineOf("#irany a\n").fault);
    EXPECT_EQ(UnknownKindLetter, exitLineOf("#irany X 2\n").fault);
    EXPECT_EQ(MissingTarget, exitLineOf("#irany N\n").fault);
    EXPECT_EQ(MissingTarget, exitLineOf("#irany A x\n").fault);
    EXPECT_EQ(KeyAfterPassage, exitLineOf("#irany A 2 x\n").fault);
    EXPECT_EQ(KeyAfterPassage, exitLineOf("#irany E 2 back to start\n").fault);
    EXPECT_EQ(MissingKey, exitLineOf("#irany N 2\n").fault);
}

TEST(MapDirectives, DigitKeyGluedToTheTarget) {
    ExitLine glued = exitLineOf("#irany N 21\n");
    EXPECT_EQ(MissingKey, glued.fault);
    EXPECT_EQ(21u, glued.fields.target);
    EXPECT_EQ('1', glued.gluedDigit);
    EXPECT_EQ('0', exitLineOf("#irany N 20\n").gluedDigit);
    EXPECT_EQ('9', exitLineOf("#irany N +109\n").gluedDigit);
    // A single digit is the target itself.
    EXPECT_EQ('\0', exitLineOf("#irany N 2\n").gluedDigit);
}

TEST(MapDirectives, FieldsEndWhereTheLastFieldRead) {
    ExitLine words = exitLineOf("#irany N 3 north\n");
    EXPECT_EQ(ExitLineValid, words.fault);
    EXPECT_EQ('n', words.exit.key);
    EXPECT_EQ("orth\n", text.substr(words.fieldsEnd));
    ExitLine target = exitLineOf("#irany N 45   \n");
    EXPECT_EQ(" 45", text.substr(target.fieldsEnd - 3, 3));
}

}  // namespace
