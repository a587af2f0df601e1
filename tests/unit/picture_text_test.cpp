#include <gtest/gtest.h>

#include <string>

#include "picture_text.h"

namespace {

TEST(PictureText, ValidUtf8PassesThrough) {
    EXPECT_EQ("S\xC3\xB6t\xC3\xA9t folyos\xC3\xB3", pictureText("S\xC3\xB6t\xC3\xA9t folyos\xC3\xB3"));
    EXPECT_EQ("\xE2\x82\xAC \xF0\x9F\x8F\xB0", pictureText("\xE2\x82\xAC \xF0\x9F\x8F\xB0"));  // euro, castle
}

TEST(PictureText, OtherBytesAreWindows1250) {
    // "Sötét folyosó" as the 8-bit Hungarian code writes it.
    EXPECT_EQ("S\xC3\xB6t\xC3\xA9t folyos\xC3\xB3", pictureText("S\xF6t\xE9t folyos\xF3"));
    EXPECT_EQ("\xC5\x90\xC5\xB1", pictureText("\xD5\xFB"));          // Ő ű
    EXPECT_EQ("\xE2\x82\xAC", pictureText("\x80"));                   // €
    EXPECT_EQ("\xC5\xA0\xC5\xBA", pictureText("\x8A\x9F"));           // Š ź
    EXPECT_EQ("\xC2\xA0\xCB\x99", pictureText("\xA0\xFF"));           // no-break space, ˙
    EXPECT_EQ("\xEF\xBF\xBD\xEF\xBF\xBD", pictureText("\x81\x98"));   // undefined: U+FFFD
}

TEST(PictureText, InvalidUtf8FormsAreReadByteByByte) {
    EXPECT_EQ("\xC3\x81\xC5\xBB", pictureText("\xC1\xAF"));            // overlong "/": Á Ż
    EXPECT_EQ("\xC4\x9B\xC4\x8F", pictureText("\xEC\xEF"));            // no continuation: ě ď
    EXPECT_EQ("\xC3\xAD\xC2\xA0\xE2\x82\xAC", pictureText("\xED\xA0\x80"));  // a surrogate
    EXPECT_EQ("\xC4\x82", pictureText("\xC3"));                        // cut at the end: Ă
    EXPECT_EQ("\xC3\xB4\xEF\xBF\xBD\xE2\x82\xAC\xE2\x82\xAC", pictureText("\xF4\x90\x80\x80"));  // > U+10FFFF
    EXPECT_EQ("\xF4\x8F\xBF\xBF", pictureText("\xF4\x8F\xBF\xBF"));    // U+10FFFF itself
}

TEST(PictureText, ControlCharactersVisible) {
    EXPECT_EQ("a b^[[31m^?", pictureText("a\tb\x1B[31m\x7F"));
    EXPECT_EQ("^J^M", pictureText("\n\r"));
    EXPECT_EQ("\xEF\xBF\xBD", pictureText("\xC2\x85"));  // C1 control NEL
}

TEST(PictureText, CutsByCharacters) {
    EXPECT_EQ("\xC3\xB6\xC3\xB6...", pictureText("\xC3\xB6\xC3\xB6\xC3\xB6", 2));
    EXPECT_EQ("\xC3\xB6\xC3\xB6\xC3\xB6", pictureText("\xC3\xB6\xC3\xB6\xC3\xB6", 3));
    EXPECT_EQ("", pictureText("", 0));
}

TEST(PictureText, GraphvizQuoting) {
    EXPECT_EQ("\"castle \\\"old\\\".map\"", graphvizQuoted("castle \"old\".map"));
    EXPECT_EQ("a\\\\n", graphvizEscaped("a\\n"));
}

}  // namespace
