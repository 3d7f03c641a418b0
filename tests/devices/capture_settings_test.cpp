// The capture settings model: the default image and its driver block byte for
// byte, the limit table, flag masks, the block's kind bytes and "any" bytes,
// blobs in and out, and when the block is sent.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "app/devices/CaptureSettings.h"
#include "base/ByteReader.h"

using namespace brx;

namespace {

class RecordingDriver : public ICaptureSettingsDriver {
public:
    int SetCaptureSettings(const uint8_t* block) override {
        blocks.emplace_back(block, block + DRIVER_CAPTURE_SETTINGS_SIZE);
        return answer;
    }
    std::vector<std::vector<uint8_t>> blocks;
    int answer = 1;
};

std::vector<uint8_t> Block(const CAPTURE_SETTINGS_IMAGE& image) {
    std::vector<uint8_t> b(DRIVER_CAPTURE_SETTINGS_SIZE, 0xEE);
    EXPECT_EQ(CCaptureSettings::ToDriverBlock(image, b.data()), 1);
    return b;
}

CAPTURE_SETTINGS_IMAGE Empty() {
    CAPTURE_SETTINGS_IMAGE image;
    std::memset(&image, 0, sizeof image);
    return image;
}

TEST(CaptureSettings, DefaultBlockGoldenBytes) {
    CCaptureSettings s;
    // Written out by hand: every byte of the defaults' block.
    std::vector<uint8_t> want(DRIVER_CAPTURE_SETTINGS_SIZE, 0);
    want[0] = 0x00;
    want[1] = 0x04;   // 1024
    want[4] = want[5] = 1;   // data in and out
    want[9] = 1;
    for (int i = 10; i <= 62; ++i) want[i] = 1;    // all 53 URB functions
    want[63] = 1;
    for (int i = 64; i <= 76; ++i) want[i] = 1;    // kinds 161, 163..174 (162 has no byte)
    want[77] = 1;
    for (int i = 78; i <= 98; ++i) want[i] = 1;    // kinds 192..211, 213
    want[108] = 1;
    for (int i = 109; i <= 133; ++i) want[i] = 1;  // PnP 0..24 ...
    want[123] = 0;                                 // ... but not minor 14
    want[134] = want[135] = want[136] = 1;         // create, cleanup, close
    want[137] = 1;
    for (int i = 138; i <= 141; ++i) want[i] = 1;  // power 0..3
    EXPECT_EQ(Block(s.Image()), want);
    EXPECT_EQ(s.Image().flags, 0x300u);
    EXPECT_EQ(s.Image().transferBufferLimit, 1024u);
}

TEST(CaptureSettings, EachKindLandsOnItsOwnByte) {
    // One selected kind at a time: its byte and its group's "any" byte, nothing else.
    const struct {
        uint32_t kind;
        int byte, any;
    } cases[] = {
        {64, 10, 9},   {116, 62, 9},  {161, 64, 63},  {163, 65, 63},  {168, 70, 63},  {169, 75, 63},
        {170, 71, 63}, {173, 74, 63}, {174, 76, 63},  {192, 78, 77},  {195, 81, 77},  {196, 83, 77},
        {197, 82, 77}, {198, 84, 77}, {200, 86, 77},  {201, 87, 77},  {207, 93, 77},  {208, 94, 77},
        {211, 97, 77}, {213, 98, 77}, {32, 109, 108}, {46, 123, 108}, {56, 133, 108}, {0, 134, -1},
        {2, 135, -1},  {1, 136, -1},  {8, 138, 137},  {11, 141, 137},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        CAPTURE_SETTINGS_IMAGE image = Empty();
        image.kinds[c.kind] = 1;
        std::vector<uint8_t> want(DRIVER_CAPTURE_SETTINGS_SIZE, 0);
        want[c.byte] = 1;
        if (c.any >= 0)
            want[c.any] = 1;
        EXPECT_EQ(Block(image), want);
    }
    // Kinds without a byte, and selection bytes other than 1, give nothing.
    for (uint32_t kind : {3u, 12u, 57u, 117u, 162u, 212u, 214u, 639u}) {
        CAPTURE_SETTINGS_IMAGE image = Empty();
        image.kinds[kind] = 1;
        EXPECT_EQ(Block(image), std::vector<uint8_t>(DRIVER_CAPTURE_SETTINGS_SIZE, 0)) << kind;
    }
    CAPTURE_SETTINGS_IMAGE two = Empty();
    two.kinds[64] = 2;
    EXPECT_EQ(Block(two), std::vector<uint8_t>(DRIVER_CAPTURE_SETTINGS_SIZE, 0));
}

TEST(CaptureSettings, FlagBytes) {
    const struct {
        uint32_t flags;
        int byte;
    } cases[] = {{CS_DATA_IN, 4}, {CS_DATA_OUT, 5}, {CS_HOT_PLUGGED, 6}, {CS_ENTIRE_STACK, 7}, {CS_IRP_AND_SL_BODY, 8}};
    for (const auto& c : cases) {
        CAPTURE_SETTINGS_IMAGE image = Empty();
        image.flags = c.flags;
        std::vector<uint8_t> want(DRIVER_CAPTURE_SETTINGS_SIZE, 0);
        want[c.byte] = 1;
        EXPECT_EQ(Block(image), want) << c.flags;
    }
}

TEST(CaptureSettings, LimitRoundsDownToTheTable) {
    const struct {
        uint32_t stored, loaded;
    } cases[] = {
        {0, 0}, {7, 0}, {8, 8}, {63, 8}, {100, 64}, {1024, 1024}, {1025, 1024}, {3000, 2048},
        {4194303, 2097152}, {4194304, 4194304}, {4194305, 4194304}, {0xFFFFFFFF, 4194304},
    };
    for (const auto& c : cases) {
        CCaptureSettings s;
        s.SetTransferBufferLimit(c.stored);
        EXPECT_EQ(s.Image().transferBufferLimit, c.loaded) << c.stored;
    }
    // The table itself: increasing, and each value its own rounding.
    for (uint32_t i = 0; i < TRANSFER_BUFFER_LIMIT_COUNT; ++i) {
        EXPECT_EQ(CCaptureSettings::RoundTransferBufferLimit(TRANSFER_BUFFER_LIMITS[i].value),
                  TRANSFER_BUFFER_LIMITS[i].value);
        if (i) {
            EXPECT_GT(TRANSFER_BUFFER_LIMITS[i].value, TRANSFER_BUFFER_LIMITS[i - 1].value);
        }
    }
    EXPECT_STREQ(TRANSFER_BUFFER_LIMITS[5].text, L"1K");
    EXPECT_STREQ(TRANSFER_BUFFER_LIMITS[17].text, L"4M");
}

std::vector<uint8_t> Blob(uint32_t flags, uint32_t limit, const std::vector<uint32_t>& kinds) {
    CCaptureSettings s;
    CAPTURE_SETTINGS_IMAGE image = Empty();
    image.flags = flags;
    image.transferBufferLimit = limit;
    for (uint32_t k : kinds)
        image.kinds[k] = 1;
    s.ApplyImage(image);
    CaptureSettingsBlob b = s.ToBlob();
    std::vector<uint8_t> v(b.begin(), b.end());
    // The limit goes in as stored, not as the table rounds it.
    v[12] = static_cast<uint8_t>(limit);
    v[13] = static_cast<uint8_t>(limit >> 8);
    v[14] = static_cast<uint8_t>(limit >> 16);
    v[15] = static_cast<uint8_t>(limit >> 24);
    return v;
}

TEST(CaptureSettings, BlobLayoutAndRoundTrip) {
    CCaptureSettings s;
    CAPTURE_SETTINGS_IMAGE image = s.Image();
    image.flags = CS_HOT_PLUGGED | CS_DATA_OUT;
    image.transferBufferLimit = 65536;
    image.kinds[46] = 1;
    image.kinds[0] = 0;
    image.kinds[639] = 1;
    s.ApplyImage(image);
    const CaptureSettingsBlob blob = s.ToBlob();
    const ByteReader r(blob.data(), blob.size());
    EXPECT_EQ(r.u16le_or(0), 100);
    EXPECT_EQ(r.u16le_or(2), 16);
    EXPECT_EQ(r.u32le_or(4), 0u);
    EXPECT_EQ(r.u32le_or(8), 0x201u);
    EXPECT_EQ(r.u32le_or(12), 65536u);
    EXPECT_EQ(r.u32le_or(16), 84u);       // the bitmap's own size
    EXPECT_EQ(blob[20], 0x60);           // positions 0..7: 0 cleared, 1 and 2 set
    EXPECT_EQ(blob[99], 0x01);           // position 639: last bit of the last byte

    CCaptureSettings back;
    ASSERT_EQ(back.LoadBlob(blob.data(), blob.size()), 1);
    EXPECT_EQ(std::memcmp(&back.Image(), &s.Image(), sizeof(CAPTURE_SETTINGS_IMAGE)), 0);
}

TEST(CaptureSettings, BlobLoadMasksFlagsRoundsTheLimitAndHonoursTheBitmapSize) {
    const struct {
        const char* name;
        std::vector<uint8_t> blob;
        uint32_t flags, limit;
        uint32_t setFrom, setTo;   // kinds expected set (inclusive), others 0
    } cases[] = {
        {"flags all ones", Blob(0xFFFFFFFF, 1024, {5}), 0x307, 1024, 5, 5},
        {"limit 100", Blob(0, 100, {5}), 0, 64, 5, 5},
        {"limit above the table", Blob(0, 0x7FFFFFFF, {5}), 0, 4194304, 5, 5},
        {"limit 7", Blob(0, 7, {5}), 0, 0, 5, 5},
        {"bitmap size 44", [] {
             std::vector<uint32_t> all;
             for (uint32_t k = 0; k < 640; ++k) all.push_back(k);
             std::vector<uint8_t> b = Blob(0, 8, all);
             b[16] = 44;
             return b;
         }(), 0, 8, 0, 319},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CCaptureSettings s;
        ASSERT_EQ(s.LoadBlob(c.blob.data(), c.blob.size()), 1);
        EXPECT_EQ(s.Image().flags, c.flags);
        EXPECT_EQ(s.Image().transferBufferLimit, c.limit);
        for (uint32_t k = 0; k < KIND_SELECTION_COUNT; ++k)
            ASSERT_EQ(s.Image().kinds[k], k >= c.setFrom && k <= c.setTo ? 1 : 0) << k;
    }
}

TEST(CaptureSettings, RejectedBlobsLeaveTheSettingsAndSendNothing) {
    const std::vector<uint8_t> good = Blob(CS_HOT_PLUGGED, 8, {3});
    auto with16 = [&](size_t at, uint16_t v) {
        std::vector<uint8_t> b = good;
        b[at] = static_cast<uint8_t>(v);
        b[at + 1] = static_cast<uint8_t>(v >> 8);
        return b;
    };
    const struct {
        const char* name;
        std::vector<uint8_t> blob;
    } cases[] = {
        {"16 bytes", std::vector<uint8_t>(good.begin(), good.begin() + 16)},
        {"own size 16", with16(0, 16)},
        {"bitmap at 15", with16(2, 15)},
        {"bitmap at the end", with16(2, 100)},
        {"empty", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingDriver driver;
        CCaptureSettings s(&driver);
        EXPECT_EQ(s.FromBlob(c.blob.data(), c.blob.size()), 0);
        CCaptureSettings defaults;
        EXPECT_EQ(std::memcmp(&s.Image(), &defaults.Image(), sizeof(CAPTURE_SETTINGS_IMAGE)), 0);
        EXPECT_TRUE(driver.blocks.empty());
    }
    // A short tail still loads: the bitmap reads as far as the bytes go.
    std::vector<uint8_t> shortBlob(good.begin(), good.begin() + 21);
    CCaptureSettings s;
    EXPECT_EQ(s.LoadBlob(shortBlob.data(), shortBlob.size()), 1);
    EXPECT_EQ(s.Image().kinds[3], 1);
}

TEST(CaptureSettings, WhatReachesTheDriver) {
    RecordingDriver driver;
    CCaptureSettings s(&driver);
    const std::vector<uint8_t> blob = Blob(CS_IRP_AND_SL_BODY, 512, {161});

    // Loading without sending, then with sending.
    EXPECT_EQ(s.LoadBlob(blob.data(), blob.size()), 1);
    EXPECT_TRUE(driver.blocks.empty());
    driver.answer = 7;
    EXPECT_EQ(s.FromBlob(blob.data(), blob.size()), 7);
    ASSERT_EQ(driver.blocks.size(), 1u);
    EXPECT_EQ(driver.blocks[0], Block(s.Image()));

    // Toggles: the state it already has sends nothing.
    driver.answer = 1;
    EXPECT_EQ(s.ChangeFlag(CS_ENTIRE_STACK, 0), -1);
    EXPECT_EQ(s.ChangeFlag(CS_IRP_AND_SL_BODY, 1), -1);
    EXPECT_EQ(driver.blocks.size(), 1u);
    EXPECT_EQ(s.ChangeFlag(CS_ENTIRE_STACK, 1), 1);
    EXPECT_TRUE(s.IsCaptureEntireStack());
    ASSERT_EQ(driver.blocks.size(), 2u);
    EXPECT_EQ(driver.blocks[1][7], 1);
    EXPECT_EQ(s.ChangeFlag(CS_HOT_PLUGGED, 1), 1);
    EXPECT_TRUE(s.IsCaptureHotPlugged());
    EXPECT_EQ(s.ChangeFlag(CS_HOT_PLUGGED, 0), 1);
    EXPECT_EQ(driver.blocks.size(), 4u);

    // An image is applied with its flags as they are and its limit rounded.
    CAPTURE_SETTINGS_IMAGE image = Empty();
    image.flags = 0x80000001;
    image.transferBufferLimit = 300;
    driver.answer = 0;
    EXPECT_EQ(s.ApplyImage(image), 0);
    EXPECT_EQ(s.Image().flags, 0x80000001u);
    EXPECT_EQ(s.Image().transferBufferLimit, 256u);
    EXPECT_EQ(driver.blocks.size(), 5u);

    // Without a driver the settings change and the push answers 0.
    CCaptureSettings temporary;
    EXPECT_EQ(temporary.FromBlob(blob.data(), blob.size()), 0);
    EXPECT_EQ(temporary.Image().transferBufferLimit, 512u);
    EXPECT_EQ(temporary.PushToDriver(), 0);
}

} // namespace
