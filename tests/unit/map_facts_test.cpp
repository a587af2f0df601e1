#include <gtest/gtest.h>

#include <cstring>

#include "map_facts.h"

namespace {

bool uuid(const char* text) {
    return isUuid(text, std::strlen(text));
}

bool tag(const char* text) {
    return isLanguageTag(text, std::strlen(text));
}

TEST(MapFacts, AnIfidIsAUuidInEitherCase) {
    EXPECT_TRUE(uuid("3F2A6C1E-8B4D-4E7A-9C31-5D0B7A2E9F64"));
    EXPECT_TRUE(uuid("3f2a6c1e-8b4d-4e7a-9C31-5d0b7a2e9f64"));
    EXPECT_FALSE(uuid(""));
    EXPECT_FALSE(uuid("3F2A6C1E-8B4D-4E7A-9C31-5D0B7A2E9F6"));     // a digit short
    EXPECT_FALSE(uuid("3F2A6C1E-8B4D-4E7A-9C31-5D0B7A2E9F645"));   // a digit over
    EXPECT_FALSE(uuid("3F2A6C1E8-B4D-4E7A-9C31-5D0B7A2E9F64"));    // a hyphen moved
    EXPECT_FALSE(uuid("3F2A6C1E-8B4D-4E7A-9C31-5D0B7A2E9G64"));    // G is no digit
    EXPECT_FALSE(uuid("ZCODE-88-840726-A129"));                    // an IFID, but no UUID
}

TEST(MapFacts, ALanguageTagHasTheUsualShape) {
    for (const char* good : {"hu", "HU", "en-GB", "sr-Latn-RS", "de-CH-1996", "fil", "es-419"}) {
        EXPECT_TRUE(tag(good)) << good;
    }
    for (const char* bad : {"", "h", "magyar", "en_GB", "hu-", "-hu", "en--GB", "en-abcdefghi", "1a", "hu HU"}) {
        EXPECT_FALSE(tag(bad)) << bad;
    }
}

TEST(MapFacts, HungarianIsTheFirstSubtagHu) {
    for (const char* hungarian : {"hu", "HU", "hu-HU", "Hu-x-y"}) EXPECT_TRUE(isHungarianTag(hungarian)) << hungarian;
    for (const char* other : {"", "h", "en", "hun", "hug", "ch-hu"}) EXPECT_FALSE(isHungarianTag(other)) << other;
}

}  // namespace
