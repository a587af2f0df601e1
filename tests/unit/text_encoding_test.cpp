#include <gtest/gtest.h>

#include <string>

#include "text_encoding.h"

namespace {

TextEncoding encodingOf(const std::string& text) {
    return classifyTextEncoding(text.data(), text.size());
}

// The character at the start of `bytes`: its length and code point.
std::pair<std::size_t, char32_t> characterOf(const std::string& bytes) {
    char32_t character = 0;
    std::size_t length = readUtf8Character(bytes.data(), bytes.size(), 0, &character);
    return {length, character};
}

// Tells a Windows console whether text that is not ASCII has come.
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

TEST(TextEncoding, BytesAfterTheLeadAreContinuationBytes) {
    EXPECT_EQ(Utf8Text, encodingOf("\xE1\xBF\x80"));
    EXPECT_EQ(OtherText, encodingOf("\xE1\xC0\x80"));
    EXPECT_EQ(Utf8Text, encodingOf("\xE1\x80\xBF"));
    EXPECT_EQ(OtherText, encodingOf("\xE1\x80\xC0"));
    EXPECT_EQ(OtherText, encodingOf("\xF1\x80\x80\xC0"));
}

// Every lead byte range against the edges of the byte allowed after it, and
// the edges of the later continuation bytes.
TEST(TextEncoding, EdgesOfEachSequenceKind) {
    struct Kind {
        unsigned char firstLead, lastLead, secondLow, secondHigh;
        std::size_t length;
    };
    const Kind kinds[] = {{0xC2, 0xDF, 0x80, 0xBF, 2}, {0xE0, 0xE0, 0xA0, 0xBF, 3},
                          {0xE1, 0xEC, 0x80, 0xBF, 3}, {0xED, 0xED, 0x80, 0x9F, 3},
                          {0xEE, 0xEF, 0x80, 0xBF, 3}, {0xF0, 0xF0, 0x90, 0xBF, 4},
                          {0xF1, 0xF3, 0x80, 0xBF, 4}, {0xF4, 0xF4, 0x80, 0x8F, 4}};
    for (const Kind& kind : kinds) {
        for (unsigned char lead : {kind.firstLead, kind.lastLead}) {
            auto sequence = [&](unsigned char second, unsigned char later) {
                std::string bytes{char(lead), char(second)};
                bytes.append(kind.length - 2, char(later));
                return bytes + "!";
            };
            SCOPED_TRACE(int(lead));
            EXPECT_EQ(Utf8Text, encodingOf(sequence(kind.secondLow, 0x80)));
            EXPECT_EQ(Utf8Text, encodingOf(sequence(kind.secondHigh, 0xBF)));
            EXPECT_EQ(OtherText, encodingOf(sequence(kind.secondLow - 1, 0x80)));
            EXPECT_EQ(OtherText, encodingOf(sequence(kind.secondHigh + 1, 0x80)));
            EXPECT_EQ(kind.length, characterOf(sequence(kind.secondLow, 0x80)).first);
            if (kind.length > 2) {
                EXPECT_EQ(OtherText, encodingOf(sequence(kind.secondLow, 0x7F)));
                EXPECT_EQ(OtherText, encodingOf(sequence(kind.secondLow, 0xC0)));
            }
        }
    }
    for (unsigned char notALead : {0xC0, 0xC1, 0xF5, 0xFF}) {
        EXPECT_EQ(OtherText, encodingOf(std::string{char(notALead), '\x80', '\x80', '\x80'}));
    }
}

TEST(Utf8Characters, EachLeadByteRange) {
    using Read = std::pair<std::size_t, char32_t>;
    EXPECT_EQ(Read(1, U'a'), characterOf("a"));
    EXPECT_EQ(Read(2, U'\u00E9'), characterOf("\xC3\xA9"));
    EXPECT_EQ(Read(3, U'\u0905'), characterOf("\xE0\xA4\x85"));      // after E0 only A0-BF
    EXPECT_EQ(Read(3, U'\u2014'), characterOf("\xE2\x80\x94"));
    EXPECT_EQ(Read(3, U'\uD7FF'), characterOf("\xED\x9F\xBF"));      // the last before surrogates
    EXPECT_EQ(Read(4, U'\U0001F526'), characterOf("\xF0\x9F\x94\xA6"));
    EXPECT_EQ(Read(4, U'\U0010FFFF'), characterOf("\xF4\x8F\xBF\xBF"));
    for (const char* malformed : {"\xC1\xBF", "\xE0\x9F\xBF", "\xED\xA0\x80", "\xF0\x8F\xBF\xBF",
                                  "\xF4\x90\x80\x80", "\xC3", "\xE2\x80", "\xBF"}) {
        EXPECT_EQ(0u, characterOf(malformed).first) << malformed;
    }
    // Cut short by the length given, whatever bytes follow in memory.
    char32_t character = 0;
    EXPECT_EQ(0u, readUtf8Character("\xC3\xA9", 1, 0, &character));
    EXPECT_EQ(0u, readUtf8Character("x\xF0\x9F\x94\xA6", 4, 1, &character));
}

TEST(Utf8Characters, Windows1250AndBack) {
    EXPECT_EQ(U'A', windows1250Character('A'));
    EXPECT_EQ(U'\u0160', windows1250Character(0x8A));  // Š
    EXPECT_EQ(U'\u0151', windows1250Character(0xF5));  // ő
    EXPECT_EQ(U'\u02D9', windows1250Character(0xFF));
    for (unsigned char unassigned : {0x81, 0x83, 0x88, 0x90, 0x98}) {
        EXPECT_EQ(0u, static_cast<unsigned>(windows1250Character(unassigned)));
    }
    char encoded[4];
    for (char32_t character : {U'a', U'\u00E9', U'\u0905', U'\U0010FFFF'}) {
        std::size_t length = encodeUtf8(character, encoded);
        std::string bytes(encoded, length);
        EXPECT_EQ(std::make_pair(length, character), characterOf(bytes));
    }
}

// One decision for the whole map: every surface shows it the same way.
TEST(MapEncoding, Utf8OnlyWhenTheWholeMapIs) {
    auto decide = [](const std::string& map) { return decideMapEncoding(map.data(), map.size()); };
    EXPECT_EQ(MapInUtf8, decide(""));
    EXPECT_EQ(MapInUtf8, decide("#helyiseg 1\nplain\n"));
    EXPECT_EQ(MapInUtf8, decide("\xC3\xA1rv\xC3\xADzt\xC5\xB1r\xC5\x91 \xF0\x9F\x8F\xB0"));  // árvíztűrő, U+1F3F0
    EXPECT_EQ(MapInWindows1250, decide("l\xE1mp\xE1s"));
    EXPECT_EQ(MapInWindows1250, decide("\xC5\x91 title\nCaf\xE9\n"));  // one stray byte decides
    for (const char* malformed : {"\xC3", "\xC0\xBC", "\xE0\x80\xBC", "\xED\xA0\x80", "\xF4\x90\x80\x80"}) {
        EXPECT_EQ(MapInWindows1250, decide(malformed)) << malformed;
    }
    // A 0x1A byte ends the map: what follows it is never shown.
    EXPECT_EQ(MapInUtf8, decide("\xC5\x91\n\x1A\xE9"));
    EXPECT_EQ(MapInWindows1250, decide("\xE9\x1A"));
}

TEST(MapEncoding, PiecesDecideAsTheWhole) {
    for (const std::string& map : {std::string("a\xC5\x91\xF0\x9F\x8F\xB0\xE2\x80\x94z"), std::string("a\xF0\x9F\x8F"),
                                  std::string("\xE2\x80\xE2\x80\x94"), std::string("\xC5\x91\xE9")}) {
        MapEncoding whole = decideMapEncoding(map.data(), map.size());
        for (std::size_t first = 0; first <= map.size(); ++first) {
            for (std::size_t second = first; second <= map.size(); ++second) {
                MapEncodingScan scan;
                scanMapBytes(&scan, map.data(), first);
                scanMapBytes(&scan, map.data() + first, second - first);
                scanMapBytes(&scan, map.data() + second, map.size() - second);
                EXPECT_EQ(whole, finishMapEncoding(scan)) << first << " " << second;
            }
        }
    }
}

}  // namespace
