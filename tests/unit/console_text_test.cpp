#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "child_process.h"
#include "console_text.h"
#include "text_encoding.h"

namespace {

std::string lowercased(std::string text) {
    lowercaseInPlace(text.data());
    return text;
}

TEST(Lowercase, ChangesOnlyAsciiCapitals) {
    EXPECT_EQ("abc xyz 09 @[`{ az", lowercased("ABC xYz 09 @[`{ AZ"));
    EXPECT_EQ("\xC1\xC9\xD6\xE9\x80\xFF", lowercased("\xC1\xC9\xD6\xE9\x80\xFF"));
    EXPECT_EQ("", lowercased(""));
    EXPECT_EQ('a', lowercaseByte('A'));
    EXPECT_EQ('\xC1', lowercaseByte('\xC1'));
}

TEST(Whitespace, IsExactlyTabToCarriageReturnAndSpace) {
    std::string found;
    for (int byte = 0; byte < 256; ++byte) {
        if (isWhitespaceByte(static_cast<char>(byte))) found += static_cast<char>(byte);
    }
    EXPECT_EQ("\t\n\v\f\r ", found);
}

TextEncoding encodingOf(const std::string& text) {
    return classifyTextEncoding(text.data(), text.size());
}

// Decides whether a Windows console is switched to UTF-8 for a map's text.
TEST(TextEncoding, TellsUtf8FromOtherCodePages) {
    EXPECT_EQ(AsciiText, encodingOf(""));
    EXPECT_EQ(AsciiText, encodingOf("Room 1\n\x1A\x7F"));
    EXPECT_EQ(Utf8Text, encodingOf("S\xC3\xB6t\xC3\xA9t szoba, \xC5\x91r\n"));  // Sötét szoba, őr
    EXPECT_EQ(Utf8Text, encodingOf("\xE2\x80\x94 \xF0\x9F\x94\xA6 \xF4\x8F\xBF\xBF"));
    // The same Hungarian text in Latin-2 (ISO 8859-2 and Windows-1250 agree here).
    EXPECT_EQ(OtherText, encodingOf("S\xF6t\xE9t szoba, \xF5r\n"));
    EXPECT_EQ(OtherText, encodingOf("\xC3\xA9 then \xE9!"));  // one stray byte decides
}

TEST(TextEncoding, RefusesMalformedSequences) {
    EXPECT_EQ(OtherText, encodingOf("\xC0\xAF"));          // overlong '/'
    EXPECT_EQ(OtherText, encodingOf("\xE0\x80\xAF"));      // overlong
    EXPECT_EQ(OtherText, encodingOf("\xED\xA0\x80"));      // surrogate
    EXPECT_EQ(OtherText, encodingOf("\xF4\x90\x80\x80"));  // past U+10FFFF
    EXPECT_EQ(OtherText, encodingOf("\xF5\x80\x80\x80"));
    EXPECT_EQ(OtherText, encodingOf("\x80"));              // continuation alone
    EXPECT_EQ(OtherText, encodingOf("\xC3 "));             // lead without continuation
    EXPECT_EQ(OtherText, encodingOf("\xE2\x80\x41"));
}

TEST(TextEncoding, SequenceCutByTheEndCounts) {
    EXPECT_EQ(Utf8Text, encodingOf("abc \xC3"));
    EXPECT_EQ(Utf8Text, encodingOf("abc \xF0\x9F\x94"));
    EXPECT_EQ(OtherText, encodingOf("abc \xE0\x80"));  // already overlong
}

// Reads every console line of `input` and joins them as "[line]".
std::string consoleLines(const std::string& input) {
    useAsStandardInput(input);
    std::string lines;
    char buffer[LINE_BUFFER_SIZE];
    while (readConsoleLine(buffer)) lines += "[" + std::string(buffer) + "]";
    return lines;
}

TEST(ReadConsoleLine, EndsLinesAtLfAndDropsOnlyTheCrBeforeIt) {
    EXPECT_EQ("[][]", consoleLines("\n\r\n"));
    EXPECT_EQ("[e][w]", consoleLines("e\nw\r\n"));
    EXPECT_EQ("[a\rb][c\r]", consoleLines("a\rb\nc\r"));
    EXPECT_EQ("[a\r]", consoleLines("a\r\r\n"));
    EXPECT_EQ("[last]", consoleLines("last"));
    EXPECT_EQ("", consoleLines(""));
}

TEST(ReadConsoleLine, EndOfInputLeavesBufferAndRepeats) {
    useAsStandardInput("x\n");
    char buffer[LINE_BUFFER_SIZE];
    ASSERT_TRUE(readConsoleLine(buffer));
    std::strcpy(buffer, "kept");
    EXPECT_FALSE(readConsoleLine(buffer));
    EXPECT_FALSE(readConsoleLine(buffer));
    EXPECT_STREQ("kept", buffer);
}

TEST(ReadConsoleLine, LongLinesAreConsumedWholeAndNeverOverflow) {
    std::string fits(511, 'e');
    EXPECT_EQ("[" + fits + "][n]", consoleLines(fits + "\nn\n"));
    EXPECT_EQ("[" + fits + "][n]", consoleLines(fits + "\r\nn\n"));  // CR LF does not count
    // 512 and 600 bytes: the first 511 come back and the rest is consumed.
    EXPECT_EQ("[" + fits + "][n]", consoleLines(std::string(512, 'e') + "\nn\n"));
    EXPECT_EQ("[" + fits + "][n]", consoleLines(std::string(600, 'e') + "\nn\n"));
    EXPECT_EQ("[" + std::string(510, 'e') + "\r][n]",
              consoleLines(std::string(510, 'e') + "\rx\nn\n"));
    // Cut short by a NUL, an overlong line could pass for a key: it comes back empty.
    EXPECT_EQ("[][n]", consoleLines("e" + std::string(1, '\0') + std::string(600, 'x') + "\nn\n"));

    char guarded[LINE_BUFFER_SIZE + 8];
    std::memset(guarded, '#', sizeof guarded);
    useAsStandardInput(std::string(5000, 'z') + "\n");
    ASSERT_TRUE(readConsoleLine(guarded));
    for (std::size_t i = LINE_BUFFER_SIZE; i < sizeof guarded; ++i) EXPECT_EQ('#', guarded[i]);
}

TEST(FatalError, WritesPrefixedMessageAndExitsWith255) {
    ChildResult result = runInChild([] { fatalError("X"); });
    EXPECT_EQ("Error: X\n", result.output);
    EXPECT_EQ(255, result.status);
}

TEST(FatalError, KeepsEarlierBufferedOutput) {
    ChildResult result = runInChild([] {
        writeText("before ");
        fatalError("Hasznalt Helysor");
    });
    EXPECT_EQ("before Error: Hasznalt Helysor\n", result.output);
    EXPECT_EQ(255, result.status);
}

}  // namespace
