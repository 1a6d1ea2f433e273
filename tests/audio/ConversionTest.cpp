#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <vector>

#include "audio/SoundDevice.h"

namespace {

TEST(Conversion, SixteenBitClipsAndStoresLittleEndianInOrder)
{
    const std::int32_t mix[] = {40000, -40000, 1, -1, 32767, -32768, 32768, -32769, INT_MAX, INT_MIN, 0x1234, 0};
    std::vector<std::uint8_t> out(sizeof mix / sizeof mix[0] * 2 + 1, 0xEE);
    std::uint8_t* end = SoundDevice::convert16(out.data(), mix, 12);
    EXPECT_EQ(end, out.data() + 24);
    const std::vector<std::uint8_t> expected = {
        0xFF, 0x7F, 0x00, 0x80, // 40000 -> 32767, -40000 -> -32768
        0x01, 0x00, 0xFF, 0xFF, // 1, -1
        0xFF, 0x7F, 0x00, 0x80, // the limits themselves
        0xFF, 0x7F, 0x00, 0x80, // one past each limit
        0xFF, 0x7F, 0x00, 0x80, // the extremes of 32 bits
        0x34, 0x12, 0x00, 0x00, //
        0xEE,                   // nothing written past the end
    };
    EXPECT_EQ(out, expected);
}

TEST(Conversion, EightBitAddsOffsetClipsAndStoresBytesInOrder)
{
    const std::int32_t mix[] = {200, -200, 0, 127, -128, 128, -129, 1, INT_MAX, INT_MIN, -1, 5};
    std::vector<std::uint8_t> out(13, 0xEE);
    std::uint8_t* end = SoundDevice::convert8(out.data(), mix, 12);
    EXPECT_EQ(end, out.data() + 12);
    const std::vector<std::uint8_t> expected = {255, 0, 128, 255, 0, 255, 0, 129, 255, 0, 127, 133, 0xEE};
    EXPECT_EQ(out, expected);
}

} // namespace
