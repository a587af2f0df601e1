#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "bulk_memory.h"

namespace {

// Sizes around the huge-page size, where blocks are rounded and aligned:
// every byte asked for is there, zero, and writable.
TEST(BulkMemory, BlocksHoldEveryByteAskedFor) {
    constexpr std::size_t HUGE_PAGE = std::size_t{2} << 20;
    for (bool hugePages : {false, true}) {
        for (std::size_t size : {std::size_t{1}, HUGE_PAGE - 1, HUGE_PAGE, HUGE_PAGE + 1, 2 * HUGE_PAGE + 1}) {
            auto* block = static_cast<unsigned char*>(allocateZeroedBlock(size, hugePages));
            ASSERT_NE(nullptr, block) << size;
            EXPECT_EQ(0, block[0]);
            EXPECT_EQ(0, block[size - 1]) << size;
            std::memset(block, 0xA5, size);
            EXPECT_EQ(0xA5, block[size - 1]);
            releaseZeroedBlock(block, size, hugePages);
        }
    }
    EXPECT_EQ(nullptr, allocateZeroedBlock(0, true));
    // Sizes that cannot be rounded up to whole huge pages, or mapped at all.
    for (std::size_t size : {SIZE_MAX, SIZE_MAX - HUGE_PAGE, SIZE_MAX / 2}) {
        EXPECT_EQ(nullptr, allocateZeroedBlock(size, true)) << size;
        EXPECT_EQ(nullptr, allocateZeroedBlock(size, false)) << size;
    }
}

}  // namespace
