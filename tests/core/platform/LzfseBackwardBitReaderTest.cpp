#include "platform/LzfseBackwardBitReader.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/LzfseError.hpp"

namespace kelvane {
namespace {

// Bits 15..0 of {0xB2, 0x05}: 00000101 10110010. Starting 5 bits below the top leaves
// bits 10..0 = 101 1011 0010 to read, last written first.
const std::vector<std::uint8_t> kPayload{0xB2, 0x05};

TEST(LzfseBackwardBitReaderTest, ReadsFromTheTopDownInNormalBitOrder) {
    LzfseBackwardBitReader bits(kPayload, -5, 0);
    EXPECT_EQ(bits.read(3), 0b101U);
    EXPECT_EQ(bits.read(0), 0U);
    EXPECT_EQ(bits.read(4), 0b1011U);
    EXPECT_FALSE(bits.isAtFloor());
    EXPECT_EQ(bits.read(4), 0b0010U);
    EXPECT_TRUE(bits.isAtFloor());
    EXPECT_THROW((void)bits.read(1), LzfseError);
}

TEST(LzfseBackwardBitReaderTest, SplitReadsEqualOneWideRead) {
    LzfseBackwardBitReader whole(kPayload, -5, 0);
    EXPECT_EQ(whole.read(11), 0b10110110010U);
    const std::vector<std::uint8_t> wide{0x01, 0x23, 0x45, 0x67, 0x89};
    LzfseBackwardBitReader split(wide, 0, 0);
    EXPECT_EQ(split.read(12), 0x896U);
    EXPECT_EQ(split.read(20), 0x74523U);
    EXPECT_EQ(split.read(8), 0x01U);
}

TEST(LzfseBackwardBitReaderTest, NeverReadsBelowItsFloor) {
    const std::vector<std::uint8_t> payload(9, 0xFF);
    LzfseBackwardBitReader bits(payload, 0, 64);
    EXPECT_EQ(bits.read(6), 0x3FU);
    EXPECT_THROW((void)bits.read(3), LzfseError);
    EXPECT_EQ(bits.read(2), 0x3U);
    EXPECT_TRUE(bits.isAtFloor());
}

TEST(LzfseBackwardBitReaderTest, RejectsInvalidStarts) {
    const std::vector<std::uint8_t> eight(8, 0);
    const std::vector<std::uint8_t> topBitSet{0x00, 0x80};
    const std::vector<std::uint8_t> empty;
    EXPECT_THROW(LzfseBackwardBitReader(eight, -1, 64), LzfseError);     // starts below the floor
    EXPECT_THROW(LzfseBackwardBitReader(topBitSet, -1, 0), LzfseError);  // padding not zero
    EXPECT_THROW(LzfseBackwardBitReader(empty, -3, 0), LzfseError);
    EXPECT_THROW(LzfseBackwardBitReader(eight, -8, 0), LzfseError);
    EXPECT_THROW(LzfseBackwardBitReader(eight, 1, 0), LzfseError);
    EXPECT_NO_THROW(LzfseBackwardBitReader(topBitSet, 0, 0));
    EXPECT_NO_THROW(LzfseBackwardBitReader(empty, 0, 0));
}

}  // namespace
}  // namespace kelvane
