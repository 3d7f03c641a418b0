// The settings block as the simulated driver reads it: the block byte of
// every kind position (checked against the program's own block writer),
// the kind position of built records, and which records a block lets
// through.
#include <gtest/gtest.h>

#include <vector>

#include "app/devices/CaptureSettings.h"
#include "capture/MatchCriteria.h"
#include "sim/CaptureSettingsBlock.h"

using namespace brx;

namespace {

// The "any" bytes of the block, which summarise others.
bool IsSummaryByte(size_t i) { return i == 9 || i == 63 || i == 77 || i == 108 || i == 137; }

} // namespace

TEST(SimSettingsBlock, EachPositionHasTheByteTheProgramWritesForIt) {
    for (int32_t position = 0; position < static_cast<int32_t>(KIND_SELECTION_COUNT); ++position) {
        CAPTURE_SETTINGS_IMAGE image{};
        image.kinds[position] = 1;
        uint8_t block[DRIVER_CAPTURE_SETTINGS_SIZE];
        CCaptureSettings::ToDriverBlock(image, block);
        int32_t written = -1;
        for (size_t i = 9; i < DRIVER_CAPTURE_SETTINGS_SIZE; ++i)
            if (block[i] && !IsSummaryByte(i)) written = static_cast<int32_t>(i);
        EXPECT_EQ(SettingsByteOfKindPosition(position), written) << "position " << position;
    }
    EXPECT_EQ(SettingsByteOfKindPosition(-1), -1);
}

TEST(SimSettingsBlock, RecordsArePlacedByKindAndUrbFunction) {
    RecordBuilder b;
    DeviceSpec d;
    struct Case {
        const char* name;
        Bytes record;
        int32_t position;
    };
    const Case cases[] = {
        {"create", b.Create(d, b.NewIrp()), 0},
        {"close", b.Close(d, b.NewIrp()), 1},
        {"power", b.Power(d, 2, b.NewIrp()), 10},
        {"pnp", b.Pnp(d, 0, b.NewIrp()), 32},
        {"get descriptor", b.UrbIssue(d, GetDescriptor(1, 0, 0, 18), b.NewIrp()), 64 + 0x0B},
        {"select configuration", b.UrbIssue(d, SelectConfiguration(0, 3, 0, 0, {}), b.NewIrp()), 64},
        {"marker", b.StartMarker(), -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(KindPositionOfRecord(c.record.data(), c.record.size(), kDriverRecordLayout), c.position);
    }
    // Cut records are no request.
    const Bytes create = b.Create(d, b.NewIrp());
    EXPECT_EQ(KindPositionOfRecord(create.data(), 10, kDriverRecordLayout), -1);
    EXPECT_EQ(KindPositionOfRecord(nullptr, 0, kDriverRecordLayout), -1);
}

TEST(SimSettingsBlock, ABlockDropsTheKindsItLeavesOut) {
    RecordBuilder b;
    DeviceSpec d;
    CCaptureSettings settings;
    CAPTURE_SETTINGS_IMAGE image = settings.Image();
    image.kinds[0] = 0;   // no Create
    image.kinds[64] = 0;  // no select configuration
    Bytes block(DRIVER_CAPTURE_SETTINGS_SIZE);
    CCaptureSettings::ToDriverBlock(image, block.data());

    const Bytes create = b.Create(d, b.NewIrp());
    const Bytes close = b.Close(d, b.NewIrp());
    const Bytes select = b.UrbIssue(d, SelectConfiguration(0, 3, 0, 0, {}), b.NewIrp());
    const Bytes descriptor = b.UrbIssue(d, GetDescriptor(1, 0, 0, 18), b.NewIrp());
    const Bytes marker = b.StartMarker();
    EXPECT_FALSE(SettingsBlockCaptures(block, create, kDriverRecordLayout));
    EXPECT_FALSE(SettingsBlockCaptures(block, select, kDriverRecordLayout));
    EXPECT_TRUE(SettingsBlockCaptures(block, close, kDriverRecordLayout));
    EXPECT_TRUE(SettingsBlockCaptures(block, descriptor, kDriverRecordLayout));
    EXPECT_TRUE(SettingsBlockCaptures(block, marker, kDriverRecordLayout));
    // Without a block (none sent yet) everything is captured.
    EXPECT_TRUE(SettingsBlockCaptures({}, create, kDriverRecordLayout));
}
