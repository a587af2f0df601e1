#include <gtest/gtest.h>

#include <string>

#include "picture_text.h"

namespace {

TEST(PictureText, Utf8MapPassesThrough) {
    EXPECT_EQ("S\xC3\xB6t\xC3\xA9t folyos\xC3\xB3", pictureText("S\xC3\xB6t\xC3\xA9t folyos\xC3\xB3", MapInUtf8));
    EXPECT_EQ("\xE2\x82\xAC \xF0\x9F\x8F\xB0", pictureText("\xE2\x82\xAC \xF0\x9F\x8F\xB0", MapInUtf8));  // euro, castle
    EXPECT_EQ("\xF4\x8F\xBF\xBF", pictureText("\xF4\x8F\xBF\xBF", MapInUtf8));  // U+10FFFF itself
}

TEST(PictureText, Utf8MapReplacesACharacterCutShort) {
    // A line cut at its 511th byte can end inside a character.
    EXPECT_EQ("ab\xEF\xBF\xBD", pictureText("ab\xC3", MapInUtf8));
    EXPECT_EQ("\xEF\xBF\xBD\xEF\xBF\xBD", pictureText("\xE2\x82", MapInUtf8));
}

TEST(PictureText, Windows1250MapReadsEveryByteAsACharacter) {
    // "Sötét folyosó" as the 8-bit Hungarian code writes it.
    EXPECT_EQ("S\xC3\xB6t\xC3\xA9t folyos\xC3\xB3", pictureText("S\xF6t\xE9t folyos\xF3", MapInWindows1250));
    EXPECT_EQ("\xC5\x90\xC5\xB1", pictureText("\xD5\xFB", MapInWindows1250));          // Ő ű
    EXPECT_EQ("\xE2\x82\xAC", pictureText("\x80", MapInWindows1250));                   // €
    EXPECT_EQ("\xC5\xA0\xC5\xBA", pictureText("\x8A\x9F", MapInWindows1250));           // Š ź
    EXPECT_EQ("\xC2\xA0\xCB\x99", pictureText("\xA0\xFF", MapInWindows1250));           // no-break space, ˙
    EXPECT_EQ("\xEF\xBF\xBD\xEF\xBF\xBD", pictureText("\x81\x98", MapInWindows1250));   // undefined: U+FFFD
    // Bytes that would be UTF-8 elsewhere are characters of their own here.
    EXPECT_EQ("\xC4\x82\xC2\xA9", pictureText("\xC3\xA9", MapInWindows1250));           // Ă ©
    EXPECT_EQ("\xC3\x81\xC5\xBB", pictureText("\xC1\xAF", MapInWindows1250));           // Á Ż
}

TEST(PictureText, ControlCharactersVisible) {
    EXPECT_EQ("a b^[[31m^?", pictureText("a\tb\x1B[31m\x7F", MapInUtf8));
    EXPECT_EQ("^J^M", pictureText("\n\r", MapInWindows1250));
    EXPECT_EQ("\xEF\xBF\xBD", pictureText("\xC2\x85", MapInUtf8));  // C1 control NEL
}

TEST(PictureText, CutsByCharacters) {
    EXPECT_EQ("\xC3\xB6\xC3\xB6...", pictureText("\xC3\xB6\xC3\xB6\xC3\xB6", MapInUtf8, 2));
    EXPECT_EQ("\xC3\xB6\xC3\xB6\xC3\xB6", pictureText("\xC3\xB6\xC3\xB6\xC3\xB6", MapInUtf8, 3));
    EXPECT_EQ("", pictureText("", MapInUtf8, 0));
}

TEST(PictureText, GraphvizQuoting) {
    EXPECT_EQ("\"castle \\\"old\\\".map\"", graphvizQuoted("castle \"old\".map"));
    EXPECT_EQ("a\\\\n", graphvizEscaped("a\\n"));
}

}  // namespace
