#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "child_process.h"
#include "console_text.h"

namespace {

std::string lowercased(std::string text) {
    for (char& byte : text) byte = lowercaseByte(byte);
    return text;
}

TEST(Lowercase, ChangesOnlyAsciiCapitals) {
    EXPECT_EQ("abc xyz 09 @[`{ az", lowercased("ABC xYz 09 @[`{ AZ"));
    EXPECT_EQ("\xC1\xC9\xD6\xE9\x80\xFF", lowercased("\xC1\xC9\xD6\xE9\x80\xFF"));
    EXPECT_EQ("", lowercased(""));
    EXPECT_EQ('a', lowercaseByte('A'));
    EXPECT_EQ('\xC1', lowercaseByte('\xC1'));
}

TEST(Whitespace, TrimmedOffBothEnds) {
    std::size_t begin = 0;
    EXPECT_EQ(10u, trimWhitespace(" \t The  Start \r\n", 16, &begin));
    EXPECT_EQ(3u, begin);
    EXPECT_EQ(0u, trimWhitespace(" \n", 2, &begin));
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

namespace {

// Writes larger than the output buffer go out whole and in order, around
// small ones still buffered.
TEST(ConsoleOutput, LargeWritesKeepTheirBytesAndOrder) {
    std::string large(300000, 'x');
    for (std::size_t i = 0; i < large.size(); i += 997) large[i] = static_cast<char>('a' + i % 26);
    ChildResult result = runInChild([&large] {
        writeText("before\n");
        writeOutput(large.data(), large.size());
        writeOutput("\n", 1);
        writeOutput(large.data(), 200000);
        writeText("after");
    });
    EXPECT_EQ("before\n" + large + "\n" + large.substr(0, 200000) + "after", result.output);
    // A single buffered byte goes out before the large write too.
    result = runInChild([&large] {
        writeOutput(">", 1);
        writeOutput(large.data(), large.size());
    });
    EXPECT_EQ(">" + large, result.output);
}

}  // namespace
