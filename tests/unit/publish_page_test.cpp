#include <gtest/gtest.h>

#include <string>

#include "game_release.h"
#include "ifiction_record.h"
#include "page_template.h"
#include "page_text.h"
#include "release_names.h"
#include "zip_archive.h"

namespace {

TEST(PublishText, MapTextBecomesUtf8AsTheMapIsShown) {
    EXPECT_EQ("\xC3\xA1 \xC5\x91 \xC5\xB1 \xC5\xA0 \xE2\x82\xAC",
              mapTextToUtf8("\xE1 \xF5 \xFB \x8A \x80", MapInWindows1250));
    EXPECT_EQ("\xC2\x81", mapTextToUtf8("\x81", MapInWindows1250));  // unassigned: the same code point, as browsers decode it
    EXPECT_EQ("\xC4\x82\xCB\x87", mapTextToUtf8("\xC3\xA1", MapInWindows1250));  // UTF-8 bytes in a windows-1250 map: Ă ˇ
    EXPECT_EQ("\xC3\xA1", mapTextToUtf8("\xC3\xA1", MapInUtf8));
    EXPECT_EQ("ab\xEF\xBF\xBD", mapTextToUtf8("ab\xC3", MapInUtf8));  // a line cut inside a character
    EXPECT_EQ("\xC3\xA1", textToUtf8("\xC3\xA1"));  // a text of its own decides alone
    EXPECT_EQ("l\xC3\xA1mp\xC3\xA1s", textToUtf8("l\xE1mp\xE1s"));
}

TEST(PublishText, ControlCharactersBecomeTheReplacementCharacter) {
    EXPECT_EQ("\xEF\xBF\xBD[31mRed\tTab \xEF\xBF\xBD\xEF\xBF\xBD \xC5\x91",
              withoutControlCharacters("\x1B[31mRed\tTab \x7F\xC2\x9B \xC5\x91"));
}

TEST(PublishNames, OnlyTheBaseNameInPortableCharacters) {
    EXPECT_EQ("castle.map", releaseFileName("castle.map"));
    EXPECT_EQ("evil.map", releaseFileName("..\\..\\Startup\\evil.map"));
    EXPECT_EQ("evil.map", releaseFileName("C:evil.map"));
    EXPECT_EQ("evil.map", releaseFileName("/tmp/../evil.map"));
    EXPECT_EQ("a_b___c_d_.map", releaseFileName("a<b>|\"c?d*.map"));
    EXPECT_EQ("two_lines.map", releaseFileName("two\nlines.map"));
    EXPECT_EQ("Az_\xC5\x91rz\xC5\x91.map", releaseFileName("Az \xC5\x91rz\xC5\x91.map"));  // accented letters stay
    EXPECT_EQ("_rz_.map", releaseFileName("\xF5rz\xF5.map"));    // bytes that are not UTF-8 do not
    EXPECT_EQ("a_b.map", releaseFileName("a\xE2\x80\xAE" "b.map"));  // nor a mark that reorders text
    EXPECT_EQ("_", releaseFileName("folder/"));
    EXPECT_EQ("_", releaseFileName(""));
}

TEST(PublishNames, NoHiddenFileOptionOrDevice) {
    EXPECT_EQ("_map", releaseFileName(".map"));
    EXPECT_EQ("__", releaseFileName(".."));
    EXPECT_EQ("_help.map", releaseFileName("-help.map"));
    EXPECT_EQ("game_", releaseFileName("game."));
    EXPECT_EQ("game._", releaseFileName("game. "));
    for (const char* device : {"CON", "con.map", "Nul.tar.gz", "aux", "PRN.x", "COM1.map", "lpt9", "COM0"}) {
        EXPECT_EQ(std::string("_") + device, releaseFileName(device)) << device;
    }
    EXPECT_EQ("CONSOLE.map", releaseFileName("CONSOLE.map"));
    EXPECT_EQ("COM10.map", releaseFileName("COM10.map"));
}

TEST(PublishText, MarkupBecomesText) {
    EXPECT_EQ("&lt;/script&gt;&lt;img onerror=&quot;x&quot;&gt; &amp; &#39;",
              escapeHtml("</script><img onerror=\"x\"> & '"));
}

TEST(PublishTemplate, Base64MatchesTheStandardAlphabetAndPadding) {
    EXPECT_EQ("", encodeBase64(""));
    EXPECT_EQ("Zg==", encodeBase64("f"));
    EXPECT_EQ("Zm8=", encodeBase64("fo"));
    EXPECT_EQ("Zm9v", encodeBase64("foo"));
    EXPECT_EQ("AP8+/w==", encodeBase64(std::string("\x00\xFF\x3E\xFF", 4)));
}

const char TEMPLATE[] =
    "<html lang=\"en\"><head><title>kaland</title></head>"
    "<h1 id=\"kaland-title\" data-source=\"engine\">kaland</h1><p id=\"kaland-author\" hidden></p>"
    "<script type=\"application/octet-stream\" id=\"kaland-map\" data-name=\"zelmor.map\">AAAA</script>"
    "<script>code()</script>";

GameFacts titled(const std::string& title) {
    GameFacts facts;
    facts.title = title;
    return facts;
}

TEST(PublishTemplate, FillsMapNameAndTitle) {
    std::string page = TEMPLATE;
    std::string error;
    ASSERT_TRUE(fillPageTemplate(&page, "foo", "my castle?.map", titled("<b>Castle</b>"), &error));
    EXPECT_EQ("<html lang=\"en\"><head><title>&lt;b&gt;Castle&lt;/b&gt;</title></head>"
              "<h1 id=\"kaland-title\" data-source=\"page\">&lt;b&gt;Castle&lt;/b&gt;</h1>"
              "<p id=\"kaland-author\" hidden></p>"
              "<script type=\"application/octet-stream\" id=\"kaland-map\" data-name=\"my_castle_.map\">Zm9v</script>"
              "<script>code()</script>",
              page);
}

TEST(PublishTemplate, FillsTheFactsAsText) {
    std::string page = TEMPLATE;
    std::string error;
    GameFacts facts{"Kút", "\"Kiss\" <Anna>", "hu", "3F2A6C1E-8B4D-4E7A-9C31-5D0B7A2E9F64", "Víz & <kötél>"};
    ASSERT_TRUE(fillPageTemplate(&page, "foo", "kut.map", facts, &error));
    EXPECT_EQ("<html lang=\"hu\"><head><title>Kút</title>\n"
              "<meta prefix=\"ifiction: http://babel.ifarchive.org/protocol/iFiction/\" property=\"ifiction:ifid\" "
              "content=\"3F2A6C1E-8B4D-4E7A-9C31-5D0B7A2E9F64\">\n"
              "<meta name=\"author\" content=\"&quot;Kiss&quot; &lt;Anna&gt;\">\n"
              "<meta name=\"description\" content=\"Víz &amp; &lt;kötél&gt;\"></head>"
              "<h1 id=\"kaland-title\" data-source=\"page\">Kút</h1>"
              "<p id=\"kaland-author\">&quot;Kiss&quot; &lt;Anna&gt;</p>"
              "<script type=\"application/octet-stream\" id=\"kaland-map\" data-name=\"kut.map\">Zm9v</script>"
              "<script>code()</script>",
              page);
}

TEST(PublishTemplate, RefusesATemplateWithoutItsPlaces) {
    GameFacts facts{"title", "author", "en-GB", "", ""};
    for (const char* missing : {"<title>", "data-source=\"engine\"", "id=\"kaland-map\"", " hidden", " lang"}) {
        std::string page = TEMPLATE;
        page.erase(page.find(missing), std::string(missing).size());
        std::string error;
        EXPECT_FALSE(fillPageTemplate(&page, "map", "map", facts, &error)) << missing;
        EXPECT_FALSE(error.empty());
    }
}

TEST(PublishTemplate, TheFirstScreenIsDataNotMarkup) {
    std::string page = std::string(TEMPLATE) + "<script type=\"application/octet-stream\" id=\"kaland-first-screen\"></script>";
    PageFirstScreen screen{"\n<b>Hall</b>\n\n", "utf-8", true, "nnorth\n", false};
    ASSERT_TRUE(fillFirstScreen(&page, screen));
    EXPECT_NE(std::string::npos, page.find("<script type=\"application/octet-stream\" id=\"kaland-first-screen\" "
                                           "data-encoding=\"utf-8\" data-heading=\"hidden\" data-exits=\"bm5vcnRoCg==\">"
                                           "CjxiPkhhbGw8L2I+Cgo=</script>"));
    std::string without = TEMPLATE;
    EXPECT_FALSE(fillFirstScreen(&without, screen));
    EXPECT_EQ(TEMPLATE, without);
}

TEST(PublishRelease, XmlTextHoldsOnlyWhatXmlCan) {
    EXPECT_EQ("&lt;a&gt; &amp; &quot;b&quot; &apos;c&apos;", escapeXml("<a> & \"b\" 'c'"));
    EXPECT_EQ("tab\tand \xEF\xBF\xBD\xEF\xBF\xBD \xC5\x91", escapeXml("tab\tand \x1B\xEF\xBF\xBF \xC5\x91"));
}

TEST(PublishRelease, AFreshIfidIsAVersion4UuidInCapitals) {
    unsigned char random[16];
    for (unsigned char& byte : random) byte = 0xFF;
    EXPECT_EQ("FFFFFFFF-FFFF-4FFF-BFFF-FFFFFFFFFFFF", makeIfid(random));
    for (unsigned char& byte : random) byte = 0x00;
    EXPECT_EQ("00000000-0000-4000-8000-000000000000", makeIfid(random));
    EXPECT_EQ("castle.iFiction", ifictionName("castle.map"));
    EXPECT_EQ("castle.v2.iFiction", ifictionName("castle.v2.map"));
    EXPECT_EQ("_map.iFiction", ifictionName(".map"));
    EXPECT_EQ("_CON.iFiction", ifictionName("CON.map"));
}

TEST(PublishRelease, ZipHeadersCarryCrcAndDosTime) {
    EXPECT_EQ(0xCBF43926u, crc32Of("123456789"));
    std::string zip;
    std::string error;
    ASSERT_TRUE(makeZip({{"a.txt", "123456789"}}, ZipTime{2026, 12, 7, 17, 38, 15}, &zip, &error));
    auto field = [&zip](std::size_t at, int size) {
        unsigned value = 0;
        for (int i = size - 1; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(zip[at + i]);
        return value;
    };
    EXPECT_EQ(0x04034B50u, field(0, 4));
    EXPECT_EQ(17u << 11 | 38u << 5 | 7u, field(10, 2));  // seconds in steps of two
    EXPECT_EQ(46u << 9 | 12u << 5 | 7u, field(12, 2));   // years from 1980
    EXPECT_EQ(0xCBF43926u, field(14, 4));
    EXPECT_EQ(30u + 5 + 9 + 46 + 5 + 22, zip.size());  // local entry, directory entry, end record
    ASSERT_TRUE(makeZip({{"a", ""}}, ZipTime{1970, 1, 1, 0, 0, 0}, &zip, &error));
    EXPECT_EQ(0u << 9 | 1u << 5 | 1u, field(12, 2));  // before 1980: its first day
}

}  // namespace
