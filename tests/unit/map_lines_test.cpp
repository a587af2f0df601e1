#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "map_lines.h"

namespace {

struct ReadLine {
    std::string bytes;
    std::string text;
    std::uint64_t physicalLine;
};

// Reads every line; `reader` (a static one) stays readable for its flags.
std::vector<ReadLine> readAll(const std::string& data, MapLineReader* reader) {
    endMapLines(reader);
    EXPECT_TRUE(startMapLinesInMemory(reader, data.data(), data.size()));
    std::vector<ReadLine> lines;
    MapLine line;
    while (readMapLine(reader, &line)) {
        EXPECT_LE(line.length, MAP_LINE_MAX);
        EXPECT_LE(line.textLength, line.length);
        lines.push_back({std::string(line.bytes, line.length), std::string(line.bytes, line.textLength),
                         line.physicalLine});
    }
    return lines;
}

std::vector<std::string> linesOf(const std::string& data) {
    static MapLineReader reader;
    std::vector<std::string> bytes;
    for (const ReadLine& line : readAll(data, &reader)) bytes.push_back(line.bytes);
    return bytes;
}

using Lines = std::vector<std::string>;

TEST(MapLines, KeepLfAndDropOnlyCrBeforeLf) {
    EXPECT_EQ(Lines({"a\n", "b\n", "c"}), linesOf("a\nb\r\nc"));
    EXPECT_EQ(Lines({"a\rb\n", "\r\r\n"}), linesOf("a\rb\r\n\r\r\r\n"));
    EXPECT_EQ(Lines({"end\r"}), linesOf("end\r"));
    EXPECT_EQ(Lines(), linesOf(""));
    EXPECT_EQ(Lines({"a"}), linesOf("a"));  // a single byte is a line too
}

TEST(MapLines, CrLfAndLfGiveTheSameLines) {
    std::string lf = "#helyiseg 1\nA room.\n\n#irany N 2 e\n";
    std::string crlf = "#helyiseg 1\r\nA room.\r\n\r\n#irany N 2 e\r\n";
    EXPECT_EQ(linesOf(lf), linesOf(crlf));
}

TEST(MapLines, StopAtControlZ) {
    static MapLineReader reader;
    std::vector<ReadLine> lines = readAll("one\ntwo\x1Athree\nfour\n", &reader);
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ("two", lines[1].bytes);
    EXPECT_TRUE(reader.sawControlZ);
    EXPECT_TRUE(reader.bytesAfterControlZ);
    EXPECT_EQ(2u, reader.physicalLine);

    readAll("one\n\x1A", &reader);
    EXPECT_TRUE(reader.sawControlZ);
    EXPECT_FALSE(reader.bytesAfterControlZ);
    // A CR before the 0x1A is not followed by LF, so it stays.
    EXPECT_EQ(Lines({"x\r"}), linesOf("x\r\x1A\n"));
}

// Whether the reader of a file holding `data` finds bytes after its 0x1A.
bool fileHasBytesAfterControlZ(const std::string& data) {
    std::FILE* file = std::tmpfile();
    EXPECT_NE(nullptr, file);
    if (file == nullptr) return false;
    std::fwrite(data.data(), 1, data.size(), file);
    std::rewind(file);
    MapLineReader reader;
    EXPECT_TRUE(startMapLines(&reader, file));
    MapLine line;
    while (readMapLine(&reader, &line)) {
    }
    bool bytesAfter = reader.sawControlZ && reader.bytesAfterControlZ;
    endMapLines(&reader);
    std::fclose(file);
    return bytesAfter;
}

// A 0x1A that is the last byte of a read: only the file can tell whether
// anything follows it.
TEST(MapLines, ControlZAtTheEndOfARead) {
    std::string data = std::string(MAP_BLOCK_SIZE - 1, 'a') + "\x1A";
    EXPECT_FALSE(fileHasBytesAfterControlZ(data));
    EXPECT_TRUE(fileHasBytesAfterControlZ(data + "more\n"));
    static MapLineReader reader;  // the same from memory
    readAll(data, &reader);
    EXPECT_FALSE(reader.bytesAfterControlZ);
    readAll(data + "more\n", &reader);
    EXPECT_TRUE(reader.bytesAfterControlZ);
}

TEST(MapLines, CutLongLinesAfter511Bytes) {
    std::string six_hundred(600, 'x');
    EXPECT_EQ(Lines({std::string(511, 'x'), std::string(89, 'x') + "\n", "next\n"}),
              linesOf(six_hundred + "\nnext\n"));
    // Exactly 511 bytes: the LF arrives alone.
    EXPECT_EQ(Lines({std::string(511, 'x'), "\n"}), linesOf(std::string(511, 'x') + "\n"));
    EXPECT_EQ(Lines({std::string(510, 'x') + "\n"}), linesOf(std::string(510, 'x') + "\r\n"));
    EXPECT_EQ(Lines({std::string(511, 'x'), "x\n"}), linesOf(std::string(512, 'x') + "\n"));
}

TEST(MapLines, PiecesOfALongLineKeepItsPhysicalLineNumber) {
    static MapLineReader reader;
    std::vector<ReadLine> lines = readAll("a\n" + std::string(1100, 'y') + "\nb\n", &reader);
    ASSERT_EQ(5u, lines.size());
    EXPECT_EQ(1u, lines[0].physicalLine);
    EXPECT_EQ(2u, lines[1].physicalLine);
    EXPECT_EQ(2u, lines[2].physicalLine);
    EXPECT_EQ(2u, lines[3].physicalLine);
    EXPECT_EQ(3u, lines[4].physicalLine);
}

TEST(MapLines, NulEndsTheTextButNotTheLine) {
    static MapLineReader reader;
    std::string data("ab\0cd\nef\n\0\0\n", 12);
    std::vector<ReadLine> lines = readAll(data, &reader);
    ASSERT_EQ(3u, lines.size());
    EXPECT_EQ(std::string("ab\0cd\n", 6), lines[0].bytes);
    EXPECT_EQ("ab", lines[0].text);
    EXPECT_EQ("ef\n", lines[1].text);
    EXPECT_EQ("", lines[2].text);
}

TEST(MapLines, RulesHoldAcrossReadBlocks) {
    // Put a CR LF pair, a long line and a NUL on the seams between blocks.
    constexpr std::size_t firstRead = MAP_BLOCK_SIZE;
    for (std::size_t shift = 0; shift < 6; ++shift) {
        std::string data(firstRead - 3 + shift, 'a');
        data += "\r\n" + std::string(700, 'b') + std::string(1, '\0') + "c\r\nlast\r";
        Lines lines = linesOf(data);
        std::size_t total = 0;
        for (const std::string& line : lines) total += line.size();
        EXPECT_EQ(data.size() - 2, total) << shift;  // two CRs dropped, the last one kept
        EXPECT_EQ("last\r", lines.back());
        for (const std::string& line : lines) EXPECT_EQ(std::string::npos, line.find("\r\n"));
    }
    // A CR that ends one read waits for the next to see what follows it:
    // an LF drops it, anything else keeps it.
    for (const char* after : {"x\n", "\rx"}) {
        std::string data = std::string(firstRead - 1, 'a') + "\r" + after;
        std::string joined;
        for (const std::string& line : linesOf(data)) joined += line;
        EXPECT_EQ(data, joined) << after;
    }
    std::string crLf = std::string(firstRead - 1, 'a') + "\r\n";
    std::string joined;
    for (const std::string& line : linesOf(crLf)) joined += line;
    EXPECT_EQ(std::string(firstRead - 1, 'a') + "\n", joined);
}

TEST(MapLines, RestartReadsTheSameLinesAgain) {
    MapLineReader reader;
    std::string data = "x\r\ny\x1Az";
    ASSERT_TRUE(startMapLinesInMemory(&reader, data.data(), data.size()));
    MapLine line;
    while (readMapLine(&reader, &line)) {
    }
    restartMapLines(&reader);
    ASSERT_TRUE(readMapLine(&reader, &line));
    EXPECT_EQ("x\n", std::string(line.bytes, line.length));
    EXPECT_EQ(1u, line.physicalLine);
    endMapLines(&reader);
    endMapLines(&reader);  // a second end does nothing

    // Restarted with a CR held back at the end of the first read.
    std::string held = "a\n" + std::string(MAP_BLOCK_SIZE - 3, 'b') + "\r\nc\n";
    ASSERT_TRUE(startMapLinesInMemory(&reader, held.data(), held.size()));
    ASSERT_TRUE(readMapLine(&reader, &line));
    restartMapLines(&reader);
    ASSERT_TRUE(readMapLine(&reader, &line));
    EXPECT_EQ("a\n", std::string(line.bytes, line.length));
    endMapLines(&reader);
}

}  // namespace
