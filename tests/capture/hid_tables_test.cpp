// HID report-descriptor tables: kind-10 blocks, key look-ups, serialisation
// and the parsed cache that turns reports into report items.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <thread>
#include <vector>

#include "capture/HidTables.h"
#include "tests/capture/HostileTables.h"
#include "tests/capture/hid_test_util.h"

using namespace brx;
using namespace brx::test;

namespace {

void Put32(Bytes& b, size_t at, uint32_t v) {
    if (b.size() < 4 || at > b.size() - 4) return;
    uint8_t* p = b.data() + at;
    for (int k = 0; k < 4; ++k) p[k] = uint8_t(v >> (8 * k));
}

uint32_t Get32(const Bytes& b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

// One HID_DESCRIPTOR_ITEM: header, descriptor at 32, then the key lists.
Bytes Item(const Bytes& desc, uint8_t iface, const std::vector<HID_OBJECT_KEY>& objects,
           const std::vector<HID_OBJECT_KEY>& pipes) {
    Bytes it(32 + ((desc.size() + 3) & ~size_t(3)), 0);
    Put32(it, 4, HID_ITEM_KIND);
    it[8] = iface;
    it[12] = uint8_t(desc.size());
    it[13] = uint8_t(desc.size() >> 8);
    it[14] = 32;
    if (!desc.empty()) std::memcpy(it.data() + 32, desc.data(), desc.size());
    auto keys = [&](const std::vector<HID_OBJECT_KEY>& list, size_t countAt) {
        if (list.empty()) return;
        Put32(it, countAt, uint32_t(list.size()));
        Put32(it, countAt + 4, uint32_t(it.size()));
        for (const HID_OBJECT_KEY& k : list) {
            const size_t at = it.size();
            it.resize(at + 12, 0);
            Put32(it, at, k.key0);
            Put32(it, at + 4, k.key1);
            it[at + 8] = k.extra1;
            it[at + 9] = k.extra2;
        }
    };
    keys(objects, 16);
    keys(pipes, 24);
    Put32(it, 0, uint32_t(it.size()));
    return it;
}

Bytes Block(const std::vector<Bytes>& items) {
    Bytes b(16, 0);
    for (const Bytes& it : items) b.insert(b.end(), it.begin(), it.end());
    Put32(b, 0, uint32_t(b.size()));
    Put32(b, 4, HID_BLOCK_KIND);
    Put32(b, 8, uint32_t(items.size()));
    return b;
}

const Bytes kMouse = FromHex("05010902a1010901a1000509190129031500250195037501810295057501810305010930093115812"
                             "57f750895028106c0c0");
const Bytes kKeyboard = BootKeyboardDescriptor();
constexpr HID_OBJECT_KEY kObjA{0x1000, 0x81, 0, 0};
constexpr HID_OBJECT_KEY kObjB{0x2000, 0x82, 0, 0};
constexpr HID_OBJECT_KEY kPipeA{0x3000, 0x41, 1, 2};
constexpr HID_OBJECT_KEY kPipeB{0x4000, 0x41, 3, 4};  // same bucket as kPipeA

void Add(CHIDDeviceRDHash& rd, const std::vector<Bytes>& items) {
    const Bytes b = Block(items);
    rd.AddFromBlock(b.data(), b.size(), kDefaultRecordLayout);
}

} // namespace

TEST(CHIDDeviceRDHash, IdenticalDescriptorsShareAnIdPerInterface) {
    CHIDDeviceRDHash rd;
    Add(rd, {Item(kMouse, 0, {kObjA}, {kPipeA}), Item(kMouse, 0, {kObjB}, {}), Item(kMouse, 1, {}, {kPipeB}),
             Item(kKeyboard, 0, {}, {})});
    EXPECT_EQ(rd.GetIdByObject(kObjA, 0), 1u);
    EXPECT_EQ(rd.GetIdByObject(kObjB, 0), 1u);
    EXPECT_EQ(rd.GetIdByPipe(kPipeA, 0), 1u);
    EXPECT_EQ(rd.GetIdByPipe(kPipeB, 1), 2u);
    EXPECT_EQ(rd.GetDescriptorLength(1), kMouse.size());
    EXPECT_EQ(rd.GetDescriptorLength(2), kMouse.size());
    EXPECT_EQ(rd.GetDescriptorLength(3), kKeyboard.size());
    EXPECT_EQ(rd.GetDescriptorLength(4), 0u);
    Bytes buf(kKeyboard.size());
    EXPECT_EQ(rd.GetDescriptor(3, buf.data(), buf.size() - 1), 0u);
    ASSERT_EQ(rd.GetDescriptor(3, buf.data(), buf.size()), kKeyboard.size());
    EXPECT_EQ(buf, kKeyboard);
}

TEST(CHIDDeviceRDHash, InterfaceNumbersInLookUps) {
    CHIDDeviceRDHash rd;
    Add(rd, {Item(kMouse, 2, {kObjA}, {kPipeA}), Item(kKeyboard, 0xFF, {kObjB}, {})});
    EXPECT_EQ(rd.GetIdByPipe(kPipeA, HID_ANY_INTERFACE), 1u);  // any interface number
    EXPECT_EQ(rd.GetIdByPipe(kPipeA, 2), 1u);
    EXPECT_EQ(rd.GetIdByPipe(kPipeA, 3), 0u);
    EXPECT_EQ(rd.GetIdByObject(kObjA, HID_ANY_INTERFACE), 0u);  // objects match exactly
    EXPECT_EQ(rd.GetIdByObject(kObjA, 2), 1u);
    EXPECT_EQ(rd.GetIdByObject(kObjB, HID_ANY_INTERFACE), 2u);
    EXPECT_EQ(rd.GetIdByPipe(kPipeB, HID_ANY_INTERFACE), 0u);
}

TEST(CHIDDeviceRDHash, ManyKeysOfOneItemAreKeptOnceInTheirOrder) {
    // 20,000 object and pipe keys in one bucket; the same block twice, and
    // the same keys with another interface number.
    const Bytes block = ManyKeysHidBlock(20000);
    CHIDDeviceRDHash rd;
    rd.AddFromBlock(block.data(), block.size(), kDefaultRecordLayout);
    rd.AddFromBlock(block.data(), block.size(), kDefaultRecordLayout);
    for (uint32_t i : {0u, 1u, 19999u}) {
        const HID_OBJECT_KEY key{0x40000000u + i, 0x2000u * (i & 0xFF) + 7, 0, 0};
        EXPECT_EQ(rd.GetIdByObject(key, 0), 1u) << i;
        EXPECT_EQ(rd.GetIdByPipe(key, HID_ANY_INTERFACE), 1u) << i;
        EXPECT_EQ(rd.GetIdByObject(key, 1), 0u) << i;
    }
    EXPECT_EQ(rd.GetIdByPipe({0x40000000u + 20000, 7, 0, 0}, HID_ANY_INTERFACE), 0u);
    Bytes out(block.size() + 64, 0);
    size_t written = 0;
    ASSERT_EQ(rd.ToBlock(out.data(), out.size(), &written, kDefaultRecordLayout), 0u);
    ASSERT_EQ(written, block.size());   // every key once
    EXPECT_TRUE(std::equal(block.begin() + 16 + 32 + 24, block.end(), out.begin() + 16 + 32 + 24));
    // The same descriptor under interface 1 is an entry of its own; its keys
    // are found by interface 1, and by any interface as the first entry's.
    Bytes other = block;
    other[16 + 8] = 1;
    rd.AddFromBlock(other.data(), other.size(), kDefaultRecordLayout);
    const HID_OBJECT_KEY key{0x40000000u + 5, 0x2000u * 5 + 7, 0, 0};
    EXPECT_EQ(rd.GetIdByObject(key, 1), 2u);
    EXPECT_EQ(rd.GetIdByPipe(key, 1), 2u);
    EXPECT_EQ(rd.GetIdByPipe(key, HID_ANY_INTERFACE), 1u);
    rd.RemoveAll();
    EXPECT_EQ(rd.GetIdByPipe(key, HID_ANY_INTERFACE), 0u);
    rd.AddFromBlock(other.data(), other.size(), kDefaultRecordLayout);
    EXPECT_EQ(rd.GetIdByPipe(key, HID_ANY_INTERFACE), 1u);
    EXPECT_EQ(rd.GetIdByObject(key, 1), 1u);
}

TEST(CHIDDeviceRDHash, HasReportIds) {
    CHIDDeviceRDHash rd;
    const Bytes withIds = FromHex("05010902a101 8502 0509 1901 2903 7501 9503 8102 9505 8101 c0");
    Add(rd, {Item(kMouse, 0, {}, {kPipeA}), Item(withIds, 1, {}, {kPipeB})});
    EXPECT_EQ(rd.HasReportIds(kPipeA, 0), 0);
    EXPECT_EQ(rd.HasReportIds(kPipeB, HID_ANY_INTERFACE), 1);
    EXPECT_EQ(rd.HasReportIds(kObjA, HID_ANY_INTERFACE), -1);
}

TEST(CHIDDeviceRDHash, SerialisationRoundTrip) {
    CHIDDeviceRDHash rd;
    // 17 descriptors: two of them share bucket 1 (ids 1 and 17).
    std::vector<Bytes> items;
    for (uint8_t i = 0; i < 17; ++i)
        items.push_back(Item(kMouse, i, {HID_OBJECT_KEY{i, 0x10u + i, 0, 0}},
                             i % 2 ? std::vector<HID_OBJECT_KEY>{} : std::vector<HID_OBJECT_KEY>{kPipeA, HID_OBJECT_KEY{i, 7, 5, 6}}));
    Add(rd, items);
    ASSERT_EQ(rd.GetDescriptorLength(17), kMouse.size());

    Bytes out(8192, 0xCC);
    size_t written = 99;
    ASSERT_EQ(rd.ToBlock(out.data(), out.size(), &written, kDefaultRecordLayout), 0u);
    ASSERT_GT(written, 16u);
    EXPECT_EQ(Get32(out, 0), written);
    EXPECT_EQ(Get32(out, 4), HID_BLOCK_KIND);
    EXPECT_EQ(Get32(out, 8), 17u);
    EXPECT_EQ(out[written], 0);  // the rest of the buffer is zeroed

    CHIDDeviceRDHash copy;
    copy.AddFromBlock(out.data(), written, kDefaultRecordLayout);
    for (uint8_t i = 0; i < 17; ++i) {
        SCOPED_TRACE(int(i));
        // Buckets are written in order, so ids come back renumbered by bucket.
        const uint32_t id = copy.GetIdByObject(HID_OBJECT_KEY{i, 0x10u + i, 0, 0}, i);
        ASSERT_NE(id, 0u);
        EXPECT_EQ(copy.GetDescriptorLength(id), kMouse.size());
        if (i % 2 == 0) {
            EXPECT_EQ(copy.GetIdByPipe(HID_OBJECT_KEY{i, 7, 0, 0}, i), id);
        }
    }
    // Writing the copy again gives the same bytes.
    Bytes again(8192, 0);
    size_t written2 = 0;
    ASSERT_EQ(copy.ToBlock(again.data(), again.size(), &written2, kDefaultRecordLayout), 0u);
    EXPECT_EQ(written2, written);
    EXPECT_EQ(Get32(again, 8), 17u);

    // Every buffer that is too short fails with 122 and writes nothing it counts.
    for (size_t size = 0; size < written; ++size) {
        size_t w = 1;
        ASSERT_EQ(rd.ToBlock(out.data(), size, &w, kDefaultRecordLayout), HID_ERROR_INSUFFICIENT_BUFFER) << size;
        EXPECT_EQ(w, 0u);
    }
    RECORD_LAYOUT shortHeader = kDefaultRecordLayout;
    shortHeader.hidBlockHeaderSize = 8;
    EXPECT_EQ(rd.ToBlock(out.data(), out.size(), &written, shortHeader), HID_ERROR_INVALID_PARAMETER);
}

TEST(CHIDDeviceRDHash, SerialisesAnEmptyTableAsAHeader) {
    CHIDDeviceRDHash rd;
    Bytes out(16, 0xCC);
    size_t written = 0;
    ASSERT_EQ(rd.ToBlock(out.data(), out.size(), &written, kDefaultRecordLayout), 0u);
    EXPECT_EQ(written, 16u);
    EXPECT_EQ(Get32(out, 0), 16u);
    EXPECT_EQ(Get32(out, 8), 0u);
}

TEST(CHIDDeviceRDHash, MalformedBlocks) {
    const Bytes good = Item(kMouse, 0, {kObjA}, {kPipeA});
    struct Case {
        const char* name;
        std::function<void(Bytes&)> spoil;
        bool firstKept;  // the first (good) item survives
        bool secondKept = false;
    } cases[] = {
        {"count 0", [](Bytes& b) { Put32(b, 8, 0); }, false},
        {"kind 3", [](Bytes& b) { Put32(b, 4, 3); }, false},
        {"total beyond the bytes", [](Bytes& b) { Put32(b, 0, uint32_t(b.size() + 1)); }, false},
        {"total shorter than the header", [](Bytes& b) { Put32(b, 0, 12); }, false},
        {"count too large", [](Bytes& b) { Put32(b, 8, 0xFFFFFFFF); }, true, true},
        {"second item size below 32", [&](Bytes& b) { Put32(b, 16 + good.size(), 31); }, true},
        {"second item size 0", [&](Bytes& b) { Put32(b, 16 + good.size(), 0); }, true},
        {"second item past the block", [&](Bytes& b) { Put32(b, 16 + good.size(), 0x7FFFFFF0); }, true},
        {"second item kind", [&](Bytes& b) { Put32(b, 16 + good.size() + 4, 8); }, true},
        {"descriptor past the item", [&](Bytes& b) { b[16 + good.size() + 14] = 0xF0; }, true},
        {"object keys past the item", [&](Bytes& b) { Put32(b, 16 + good.size() + 16, 0x15555556); }, true},
        {"pipe list offset past the item", [&](Bytes& b) { Put32(b, 16 + good.size() + 28, 0xFFFFFFF0); }, true},
        {"first descriptor past the item", [&](Bytes& b) { b[16 + 12] = 0xFF; b[16 + 13] = 0xFF; }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes b = Block({good, Item(kKeyboard, 1, {kObjB}, {kPipeB})});
        c.spoil(b);
        CHIDDeviceRDHash rd;
        rd.AddFromBlock(b.data(), b.size(), kDefaultRecordLayout);
        EXPECT_EQ(rd.GetIdByObject(kObjA, 0) != 0, c.firstKept);
        EXPECT_EQ(rd.GetIdByObject(kObjB, 1) != 0, c.secondKept);
        EXPECT_EQ(rd.GetDescriptorLength(c.firstKept ? 2 : 1) != 0, c.secondKept);
    }
    // Both items of the unspoilt block are taken, and a short n ignores it all.
    Bytes b = Block({good, Item(kKeyboard, 1, {kObjB}, {kPipeB})});
    CHIDDeviceRDHash rd;
    rd.AddFromBlock(b.data(), b.size() - 1, kDefaultRecordLayout);
    EXPECT_EQ(rd.GetIdByObject(kObjA, 0), 0u);
    rd.AddFromBlock(b.data(), b.size(), kDefaultRecordLayout);
    EXPECT_EQ(rd.GetIdByObject(kObjB, 1), 2u);
    rd.AddFromBlock(nullptr, 100, kDefaultRecordLayout);
    // A descriptor item with no descriptor is dropped.
    Bytes none = Item({}, 3, {HID_OBJECT_KEY{9, 9, 0, 0}}, {});
    none[14] = 0;
    rd.AddDescriptor(ByteReader(none.data(), none.size()));
    EXPECT_EQ(rd.GetIdByObject(HID_OBJECT_KEY{9, 9, 0, 0}, 3), 0u);
    rd.RemoveAll();
    EXPECT_EQ(rd.GetIdByObject(kObjB, 1), 0u);
    rd.AddFromBlock(b.data(), b.size(), kDefaultRecordLayout);
    EXPECT_EQ(rd.GetIdByObject(kObjA, 0), 1u);  // ids start again at 1
}

namespace {

struct Cache {
    CHIDDeviceRDHash rd;
    CHIDDeviceDataHash data;
    explicit Cache(const Bytes& desc) {
        Add(rd, {Item(desc, 0, {kObjA}, {kPipeA})});
        data.SetRDHash(&rd);
    }
    std::vector<HID_REPORT_ITEM> Items(const Bytes& report, uint8_t reportId, int* result = nullptr,
                                       uint32_t room = 100, uint32_t type = HidP_Input) {
        std::vector<HID_REPORT_ITEM> out(room);
        uint32_t n = room;
        const int r = data.GetReportItemsByPipe(report.data(), uint32_t(report.size()), reportId, type, kPipeA,
                                                HID_ANY_INTERFACE, out.data(), &n);
        if (result) *result = r;
        out.resize(std::min(n, room));
        if (r == 0 && n > room) out.resize(n);  // the caller's retry size
        return out;
    }
};

} // namespace

TEST(CHIDDeviceDataHash, BootMouseReportItems) {
    Cache c(kMouse);
    int r;
    const auto items = c.Items({0x05, 0x02, 0xFE}, 0, &r);
    ASSERT_EQ(r, 1);
    ASSERT_EQ(items.size(), 4u);  // buttons 1 and 3, X, Y
    EXPECT_EQ(items[0].usagePage, 9);
    EXPECT_EQ(items[0].usage, 1);
    EXPECT_EQ(items[0].isButton, 1);
    EXPECT_EQ(items[0].value, 1u);
    EXPECT_EQ(items[1].usage, 3);
    EXPECT_EQ(items[2].usagePage, 1);
    EXPECT_EQ(items[2].usage, 0x30);
    EXPECT_EQ(items[2].value, 2u);
    EXPECT_EQ(items[2].logicalMin, -127);
    EXPECT_EQ(items[2].physicalMax, 127);
    EXPECT_EQ(items[3].usage, 0x31);
    EXPECT_EQ(int32_t(items[3].value), -2);
    // The object key finds the same descriptor with its exact interface number.
    HID_REPORT_ITEM one[8];
    uint32_t n = 8;
    const Bytes rep = {0x01, 0, 0};
    EXPECT_EQ(c.data.GetReportItemsByObject(rep.data(), 3, 0, HidP_Input, kObjA, 0, one, &n), 1);
    EXPECT_EQ(n, 3u);
    n = 8;
    EXPECT_EQ(c.data.GetReportItemsByObject(rep.data(), 3, 0, HidP_Input, kObjA, 1, one, &n), 0);
    EXPECT_EQ(n, 0u);
}

TEST(CHIDDeviceDataHash, ReportIdsAndButtonZeros) {
    // Report 1: a key array; report 2: a value. Report 3 exists nowhere.
    Cache c(FromHex("05010906a101 8501 0507 1900 2965 1500 2565 7508 9502 8100"
                    "8502 0501 0930 1500 26ff00 7508 9501 8102 c0"));
    int r;
    auto items = c.Items({1, 4, 0}, 1, &r);
    ASSERT_EQ(r, 1);
    ASSERT_EQ(items.size(), 1u);  // usage 0 of the empty field gives no item
    EXPECT_EQ(items[0].usage, 4);
    items = c.Items({2, 200}, 2, &r);
    ASSERT_EQ(r, 1);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].value, 200u);
    items = c.Items({3, 0}, 3, &r);
    EXPECT_EQ(r, 0);
    EXPECT_TRUE(items.empty());
    items = c.Items({1, 4, 0}, 1, &r, 100, HidP_Feature);
    EXPECT_EQ(r, 0);
}

TEST(CHIDDeviceDataHash, ValueArraysAndRanges) {
    // An 8-bit array of three, a 12-bit signed array of two, then X..Z as a range.
    Cache c(FromHex("0601ff0901a101 0920 1500 26ff00 7508 9503 8102"
                    "0921 16 01f8 26 ff07 750c 9502 8102"
                    "0501 1930 2932 1581 257f 7508 9503 8102 c0"));
    const Bytes report = {0x00, 0x7F, 0xFF, 0x01, 0xF8, 0x7F, 0x05, 0xFB, 0x00};
    int r;
    const auto items = c.Items(report, 0, &r);
    ASSERT_EQ(r, 1);
    ASSERT_EQ(items.size(), 8u);
    const uint32_t want[] = {0, 0x7F, 0xFF, uint32_t(-2047), 2047, 5, uint32_t(-5), 0};
    for (size_t i = 0; i < 8; ++i) EXPECT_EQ(items[i].value, want[i]) << i;
    EXPECT_EQ(items[5].usage, 0x30);
    EXPECT_EQ(items[6].usage, 0x31);
    EXPECT_EQ(items[7].usage, 0x32);
}

TEST(CHIDDeviceDataHash, EightBitArraysWithANegativeMinimumAreSignExtended) {
    // Three 8-bit fields of one usage with limits -127..127: every width is
    // sign-extended, 8 bits included.
    Cache c(FromHex("0601ff0901a101 0920 1581 257f 7508 9503 8102 c0"));
    int r;
    const auto items = c.Items({0xFF, 0xFF, 0x80}, 0, &r);
    ASSERT_EQ(r, 1);
    ASSERT_EQ(items.size(), 3u);
    const int32_t want[] = {-1, -1, -128};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(int32_t(items[i].value), want[i]) << i;
        EXPECT_EQ(items[i].logicalMin, -127);
        EXPECT_EQ(items[i].logicalMax, 127);
    }
}

TEST(CHIDDeviceDataHash, KeyboardWithAOneByteMaximumListsOnlyTheKeysDown) {
    // Key array limits 15 00 25 FF: an idle keyboard lists nothing, never six
    // phantom keys, and a key down lists that key alone.
    Cache c(FromHex("05010906a101 050719e029e7 1500 2501 7501 9508 8102 9501 7508 8101"
                    "9506 7508 1500 25ff 0507 1900 29ff 8100 c0"));
    int r;
    auto items = c.Items(Bytes(8, 0), 0, &r);
    EXPECT_EQ(r, 0);
    EXPECT_TRUE(items.empty());
    items = c.Items(FromHex("0200040000000000"), 0, &r);
    ASSERT_EQ(r, 1);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].usage, 0xE1);
    EXPECT_EQ(items[1].usage, 0x04);
}

TEST(CHIDDeviceDataHash, TooSmallAnOutputAsksForTheCount) {
    // 100 one-bit buttons, all pressed.
    Cache c(FromHex("05090901a101 1901 2964 1500 2501 7501 9564 8102 9504 8101 c0"));
    const Bytes report(13, 0xFF);
    int r;
    auto items = c.Items(report, 0, &r, 80);
    EXPECT_EQ(r, 0);
    EXPECT_EQ(items.size(), 100u);
    items = c.Items(report, 0, &r, 100);
    EXPECT_EQ(r, 1);
    ASSERT_EQ(items.size(), 100u);
    EXPECT_EQ(items[99].usage, 100);
}

TEST(CHIDDeviceDataHash, UnknownKeysAndUnparsableDescriptors) {
    CHIDDeviceDataHash data;
    HID_REPORT_ITEM items[4];
    uint32_t n = 4;
    const Bytes rep = {1, 2, 3};
    EXPECT_EQ(data.GetReportItems(rep.data(), 3, 0, HidP_Input, 1, items, &n), 0);  // no table set
    CHIDDeviceRDHash rd;
    Add(rd, {Item(FromHex("05010902a101 0930 8102"), 0, {}, {kPipeA})});  // never closed
    data.SetRDHash(&rd);
    n = 4;
    EXPECT_EQ(data.GetReportItemsByPipe(rep.data(), 3, 0, HidP_Input, kPipeA, 0, items, &n), 0);
    EXPECT_EQ(n, 0u);
    n = 4;
    EXPECT_EQ(data.GetReportItemsByPipe(rep.data(), 3, 0, HidP_Input, kPipeB, 0, items, &n), 0);
    n = 4;
    EXPECT_EQ(data.GetReportItems(rep.data(), 3, 0, HidP_Input, 0, items, &n), 0);
    data.RemoveAll();
}

TEST(CHIDDeviceDataHash, ReadBits) {
    const uint8_t b[] = {0xFF, 0x0F};
    uint32_t v;
    ASSERT_TRUE(CHIDDeviceDataHash::ReadBits(b, 2, 0, 12, true, v));
    EXPECT_EQ(v, 0xFFFFFFFFu);
    ASSERT_TRUE(CHIDDeviceDataHash::ReadBits(b, 2, 4, 8, false, v));
    EXPECT_EQ(v, 0xFFu);
    EXPECT_FALSE(CHIDDeviceDataHash::ReadBits(b, 2, 0, 0, false, v));
    EXPECT_FALSE(CHIDDeviceDataHash::ReadBits(b, 2, 9, 8, false, v));
}

TEST(CHIDDeviceDataHash, ButtonsOfTwoCapabilitiesWithOneRangeAreListedOnce) {
    // Two collections with the same buttons 1-2 in one report: pressing
    // button 1 in the first and button 2 in the second lists each once.
    Cache c(FromHex("05010902a101 0509 1901 2902 1500 2501 7501 9502 8102 9506 8101 c0"
                    "a101 0509 1901 2902 9502 8102 9506 8101 c0"));
    int r;
    const auto items = c.Items({0x01, 0x02}, 0, &r);
    ASSERT_EQ(r, 1);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].usage, 1);
    EXPECT_EQ(items[1].usage, 2);
}

TEST(CHIDDeviceDataHash, EachButtonGoesToTheFirstCapabilityWhoseRangeHoldsIt) {
    // Buttons 1-8, then buttons 5-12, in one report: a usage both ranges hold
    // belongs to the first, every time it is found.
    Cache c(FromHex("05010902a101 0509 1500 2501 7501 9508 1901 2908 8102 1905 290c 8102 c0"));
    int r;
    // First byte: button 6; second byte: its fields 5, 6, 7, 8, 9, 10, 11, 12
    // with bits 1 (button 6) and 5 (button 10) set.
    const auto items = c.Items({0x20, 0x22}, 0, &r);
    ASSERT_EQ(r, 1);
    std::vector<uint16_t> usages;
    for (const HID_REPORT_ITEM& it : items) usages.push_back(it.usage);
    EXPECT_EQ(usages, (std::vector<uint16_t>{6, 6, 10}));
}

TEST(CHIDDeviceDataHash, ReaderThreadAddsWhileReportsAreDecoded) {
    // The capture reader adds descriptors while the user interface decodes
    // reports through the cache (cache lock, then table lock).
    CHIDDeviceRDHash rd;
    CHIDDeviceDataHash cache;
    cache.SetRDHash(&rd);
    Add(rd, {Item(kMouse, 0, {}, {kPipeA})});
    std::thread reader([&] {
        for (uint32_t i = 0; i < 200; ++i) Add(rd, {Item(kKeyboard, uint8_t(i), {HID_OBJECT_KEY{i, i, 0, 0}}, {})});
    });
    const Bytes report = {0x01, 0x05, 0xFB};
    for (int i = 0; i < 200; ++i) {
        HID_REPORT_ITEM items[8];
        uint32_t n = 8;
        ASSERT_EQ(cache.GetReportItemsByPipe(report.data(), 3, 0, HidP_Input, kPipeA, 0, items, &n), 1);
        ASSERT_EQ(n, 3u);
        if (i % 50 == 0) cache.RemoveAll();
    }
    reader.join();
    EXPECT_EQ(rd.GetIdByObject(HID_OBJECT_KEY{199, 199, 0, 0}, 199), 201u);
}
