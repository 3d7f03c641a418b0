#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "capture/SystemArithmetic.h"

using namespace brx;

TEST(SystemArithmetic, ColorDepthIsReducedToItsClass) {
    struct Case {
        uint32_t bits, depth;
    } cases[] = {{0, 0},   {1, 0},   {3, 0},   {4, 4},   {7, 4},   {8, 8},   {15, 8},
                 {16, 16}, {23, 16}, {24, 24}, {31, 24}, {32, 32}, {64, 32}, {UINT32_MAX, 32}};
    for (const Case& c : cases)
        EXPECT_EQ(ReduceColorDepth(c.bits), c.depth) << c.bits;
}

TEST(SystemArithmetic, FreeSpaceFromClustersCountsBeyondFourGigabytes) {
    EXPECT_EQ(DiskFreeFromClusters(8, 512, 1000), 4096000u);
    // 8 x 512 x 2,000,000 = 8,192,000,000: more than 32 bits hold.
    EXPECT_EQ(DiskFreeFromClusters(8, 512, 2000000), 8192000000ull);
    EXPECT_EQ(DiskFreeFromClusters(0, 512, 1000), 0u);
    EXPECT_EQ(DiskFreeFromClusters(UINT32_MAX, UINT32_MAX, UINT32_MAX), UINT64_MAX);
}

namespace {

void PutU16(std::vector<uint8_t>& b, uint16_t v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}
void PutU32(std::vector<uint8_t>& b, uint32_t v) {
    PutU16(b, static_cast<uint16_t>(v));
    PutU16(b, static_cast<uint16_t>(v >> 16));
}

// A VS_VERSIONINFO with product version 2.2.100.7 (file version 1.0.0.0).
std::vector<uint8_t> VersionResource(uint32_t signature = 0xFEEF04BD) {
    std::vector<uint8_t> b;
    PutU16(b, 0); // wLength, set below
    PutU16(b, 52);
    PutU16(b, 0);
    for (char c : std::string("VS_VERSION_INFO"))
        PutU16(b, static_cast<uint16_t>(c));
    PutU16(b, 0);
    while (b.size() % 4)
        b.push_back(0);
    PutU32(b, signature);
    PutU32(b, 0x00010000);
    PutU32(b, 0x00010000); // file version
    PutU32(b, 0);
    PutU32(b, 0x00020002); // product version 2.2
    PutU32(b, 0x00640007); // .100.7
    for (int i = 0; i < 7; ++i)
        PutU32(b, 0);
    b[0] = static_cast<uint8_t>(b.size());
    b[1] = static_cast<uint8_t>(b.size() >> 8);
    return b;
}

} // namespace

TEST(SystemArithmetic, ProductVersionIsReadFromTheFixedFileInformation) {
    std::vector<uint8_t> b = VersionResource();
    ASSERT_EQ(b.size(), 92u);
    uint16_t parts[4] = {};
    ASSERT_TRUE(ParseProductVersion(b.data(), b.size(), parts));
    EXPECT_EQ(parts[0], 2);
    EXPECT_EQ(parts[1], 2);
    EXPECT_EQ(parts[2], 100);
    EXPECT_EQ(parts[3], 7);
}

TEST(SystemArithmetic, BrokenVersionResourcesAreRefusedWithoutReadingPastThem) {
    uint16_t parts[4] = {9, 9, 9, 9};
    std::vector<uint8_t> good = VersionResource();
    // Every truncation, with the length field still claiming the whole block.
    for (size_t n = 0; n < good.size(); ++n) {
        std::vector<uint8_t> cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n));
        EXPECT_FALSE(ParseProductVersion(cut.data(), cut.size(), parts)) << n;
    }
    EXPECT_FALSE(ParseProductVersion(nullptr, 92, parts));

    std::vector<uint8_t> badSignature = VersionResource(0x12345678);
    EXPECT_FALSE(ParseProductVersion(badSignature.data(), badSignature.size(), parts));

    std::vector<uint8_t> shortValue = good;
    shortValue[2] = 40; // wValueLength too small for the fixed information
    EXPECT_FALSE(ParseProductVersion(shortValue.data(), shortValue.size(), parts));

    std::vector<uint8_t> shortLength = good;
    shortLength[0] = 60; // the block ends inside the fixed information
    EXPECT_FALSE(ParseProductVersion(shortLength.data(), shortLength.size(), parts));

    std::vector<uint8_t> endlessKey(40, 0x41); // key without a terminator
    endlessKey[0] = 40;
    endlessKey[1] = 0;
    EXPECT_FALSE(ParseProductVersion(endlessKey.data(), endlessKey.size(), parts));

    EXPECT_EQ(parts[0], 9); // untouched on failure
}
