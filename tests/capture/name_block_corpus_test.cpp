// The seed corpus of the name-list block fuzzer: blocks written by the tables
// themselves from realistic names, and one fixture per malformed shape the
// parser must survive. The committed files must match what this test builds;
// set BRX_WRITE_CORPUS=1 to (re)write them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "capture/NameTables.h"
#include "tests/capture/NameBlockBuilder.h"
#include "tests/CorpusSeeds.h"

using namespace brx;
using brx::test::NameBlockBuilder;

namespace {

using Seed = brx::testing::CorpusSeed;

std::vector<uint8_t> Save(const CNameHash& table, const RECORD_LAYOUT& layout) {
    std::vector<uint8_t> buf(64 * 1024);
    uint32_t written = 0;
    EXPECT_EQ(table.ToBlock(buf.data(), buf.size(), written, layout), 0u);
    buf.resize(written);
    return buf;
}

std::vector<Seed> BuildSeeds() {
    CDeviceNameHash devices;
    devices.Add({0x89A3C030, 0x89A3C0E8}, u"\\Device\\USBPDO-0");
    devices.Add({0x89A3D030, 0x89A3D0E8}, u"\\Device\\USBPDO-1");
    devices.Add({0x89A10030, 0x89A100E8}, u"\\Device\\USBFDO-0");
    devices.Add({0x89B42A08, 0x89B42AC0}, u"\\Device\\00000058");
    devices.Add({0x89B52A08, 0x89B52AC0}, u"\\Device\\00000059");
    devices.Add({0x89C00100, 0x89C001B8}, u"");   // an object the driver could not name
    CDriverNameHash drivers;
    drivers.Add({0x89F0A290, 0x00000001}, u"\\Driver\\usbhub");
    drivers.Add({0x89F0B3A8, 0x00000002}, u"\\Driver\\usbccgp");
    drivers.Add({0x89F0C4C0, 0x00000003}, u"\\Driver\\HidUsb");
    drivers.Add({0x89F0D5D8, 0x00000004}, u"\\Driver\\USBSTOR");
    drivers.Add({0x89F0E6F0, 0x00000041}, u"\\Driver\\usbehci");   // bucket of key1 1
    drivers.Add({0x89F0F708, 0x00000005}, u"\\Driver\\kbdhid");
    RECORD_LAYOUT wide = kDefaultRecordLayout;
    wide.deviceListHeaderSize = 24;
    wide.driverListHeaderSize = 20;

    const uint32_t D = NAME_BLOCK_DEVICES, I = NAME_ITEM_DEVICE;
    auto two = [&] { return NameBlockBuilder(D).Item(I, 1, 1, u"one").Item(I, 2, 2, u"two"); };
    auto cut = [](std::vector<uint8_t> b, size_t n) {
        b.resize(n);
        return b;
    };
    return {
        {"rt_devices", Save(devices, kDefaultRecordLayout)},
        {"rt_drivers", Save(drivers, kDefaultRecordLayout)},
        {"rt_devices_header24", Save(devices, wide)},
        {"rt_drivers_header20", Save(drivers, wide)},
        {"rt_empty_devices", Save(CDeviceNameHash(), kDefaultRecordLayout)},
        {"bad_total_zero", two().TotalSize(0).Finish()},
        {"bad_total_past_end", two().TotalSize(0x1000).Finish()},
        {"bad_count_past_items", two().Count(0xFFFFFFFF).Finish()},
        {"bad_item_size_zero", two().RawItem(0, I, 3, 3, 6, 0, u"").Item(I, 4, 4, u"four").Finish()},
        {"bad_item_size_small", two().RawItem(16, I, 3, 3, 6, 0, u"").Item(I, 4, 4, u"four").Finish()},
        {"bad_item_past_block", cut(two().RawItem(200, I, 3, 3, 12, 6, u"abc").TotalSize(96).Finish(), 96)},
        {"bad_name_past_item", two().RawItem(24, I, 3, 3, 16, 10, u"abcde").Item(I, 4, 4, u"four").Finish()},
        {"bad_name_ffff", two().RawItem(24, I, 3, 3, 6, 0xFFFF, u"").Finish()},
        {"bad_name_odd", two().RawItem(28, I, 3, 3, 11, 5, u"abc").Finish()},
        {"bad_item_kind", two().Item(NAME_ITEM_DRIVER, 3, 3, u"drv").Item(I, 4, 4, u"four").Finish()},
        {"bad_header_cut", cut(two().Finish(), 12)},
    };
}


} // namespace

TEST(NameBlockCorpus, CommittedSeedsMatchTheirSource) {
    brx::testing::CheckCorpusSeeds("nameblocks", BuildSeeds());
}

TEST(NameBlockCorpus, RoundTripSeedsParseWhole) {
    for (const Seed& seed : BuildSeeds()) {
        if (seed.name.rfind("rt_", 0) != 0) continue;
        SCOPED_TRACE(seed.name);
        const bool wide = seed.name.find("header") != std::string::npos;
        RECORD_LAYOUT layout = kDefaultRecordLayout;
        if (wide) {
            layout.deviceListHeaderSize = 24;
            layout.driverListHeaderSize = 20;
        }
        CDeviceNameHash devices;
        CDriverNameHash drivers;
        const uint32_t count = seed.bytes[8] | (seed.bytes[9] << 8);
        const uint32_t added = devices.AddFromBlock(seed.bytes.data(), seed.bytes.size(), layout) +
                               drivers.AddFromBlock(seed.bytes.data(), seed.bytes.size(), layout);
        EXPECT_EQ(added, count);
        const CNameHash& table = seed.bytes[4] == NAME_BLOCK_DEVICES ? static_cast<const CNameHash&>(devices) : drivers;
        EXPECT_EQ(Save(table, layout), seed.bytes);
    }
}
