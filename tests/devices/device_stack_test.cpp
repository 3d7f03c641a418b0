// Device stacks and report descriptors from the capture driver's refresh
// replies: matching a node by whole instance ID or whole PDO name, entry
// counts, the walk's stops on short and malformed records, and every prefix of
// the data in a heap block of exactly its size (a read past it fails under
// ASan).
#include <gtest/gtest.h>

#include <memory>

#include "app/devices/DeviceStack.h"
#include "sim/RefreshBlocks.h"

using namespace brx;

namespace {

constexpr uint32_t kPdo = 0x89A11030;
constexpr uint32_t kPdoKey = 0x89A11000;
const char16_t kPdoName[] = u"\\Device\\USBPDO-1";

RefreshStackSpec Stack(std::u16string id, uint32_t pdo = kPdo, uint32_t entries = 2) {
    RefreshStackSpec s;
    s.value = 0x1234;
    s.physicalDeviceObject = pdo;
    s.instanceId = std::move(id);
    for (uint32_t i = 0; i < entries; ++i)
        s.entries.push_back({pdo + 0x100 * i, i == 0 ? kPdoKey : 0, 0x89B00200 + i, 1, i == 0});
    return s;
}

struct Names {
    Names() { devices.Add({kPdo, kPdoKey}, kPdoName); }
    CDeviceNameHash devices;
};

std::unique_ptr<DEVICE_STACK> Find(const Bytes& data, std::u16string_view id, std::u16string_view pdo,
                                   const CDeviceNameHash& names) {
    // An exact-size heap copy, so that any read past the data is caught.
    std::unique_ptr<uint8_t[]> copy(new uint8_t[data.size() ? data.size() : 1]);
    std::copy(data.begin(), data.end(), copy.get());
    return FindDeviceStack(copy.get(), data.size(), id, pdo, names);
}

TEST(DeviceStack, HandWrittenRecordReadsAtItsOffsets) {
    // One record: two entries at 84 and 124, instance ID "Ab" at 164.
    Bytes r(172, 0);
    PutU32(r, 0, 172);
    PutU32(r, 4, 5);
    PutU32(r, 8, 84);
    PutU32(r, 12, 2);
    PutU32(r, 16, 0x55667788);
    PutU32(r, 20, 0x11111111);
    PutU16(r, 62, 4);
    PutU32(r, 64, 104);   // 60 + 104 = 164
    PutU16(r, 164, u'A');
    PutU16(r, 166, u'b');
    const uint32_t e[2][5] = {{0x11111111, 0x22, 0x33333333, 0x44, 0x04}, {0x55555555, 0, 0x66666666, 0x77, 0x03}};
    for (int i = 0; i < 2; ++i) {
        const size_t at = 84 + 40 * i;
        PutU32(r, at, 40);
        PutU32(r, at + 4, 6);
        PutU32(r, at + 8, e[i][0]);
        PutU32(r, at + 12, e[i][1]);
        r[at + 16] = static_cast<uint8_t>(e[i][4]);
        PutU32(r, at + 20, e[i][2]);
        PutU32(r, at + 24, e[i][3]);
    }
    CDeviceNameHash none;
    auto stack = Find(r, u"aB", u"", none);
    ASSERT_TRUE(stack);
    EXPECT_EQ(stack->value, 0x55667788u);
    EXPECT_EQ(stack->physicalDeviceObject, 0x11111111u);
    EXPECT_EQ(stack->instanceId, u"Ab");
    EXPECT_EQ(stack->entryCount, 2u);
    ASSERT_EQ(stack->entries.size(), 2u);
    EXPECT_EQ(stack->entries[0].deviceObject, 0x11111111u);
    EXPECT_EQ(stack->entries[0].deviceNameKey, 0x22u);
    EXPECT_EQ(stack->entries[0].driverObject, 0x33333333u);
    EXPECT_EQ(stack->entries[0].driverNameKey, 0x44u);
    EXPECT_EQ(stack->entries[0].capturable, 1u);   // bit 2
    EXPECT_EQ(stack->entries[1].capturable, 0u);   // bits 0 and 1 only
    // The builder writes the same bytes.
    RefreshStackSpec s;
    s.value = 0x55667788;
    s.physicalDeviceObject = 0x11111111;
    s.instanceId = u"Ab";
    s.entries = {{0x11111111, 0x22, 0x33333333, 0x44, true}, {0x55555555, 0, 0x66666666, 0x77, false}};
    Bytes built = RefreshStackRecord(s);
    r[84 + 40 + 16] = 0;   // the builder writes only the capture bit
    EXPECT_EQ(built, r);
}

TEST(DeviceStack, MatchesWholeInstanceIdsAndWholePdoNames) {
    Names n;
    const struct {
        const char* name;
        std::u16string recordId;
        std::u16string nodeId, nodePdo;
        bool match;
    } cases[] = {
        {"same ID, other case", u"USB\\VID_046D&PID_C077\\6&1A2B&0&1", u"usb\\vid_046d&pid_c077\\6&1a2b&0&1", u"", true},
        {"record ID a prefix of the node's", u"USB\\VID_1&PID_2\\5&0&1", u"USB\\VID_1&PID_2\\5&0&10", u"", false},
        {"node ID a prefix of the record's", u"USB\\VID_1&PID_2\\5&0&10", u"USB\\VID_1&PID_2\\5&0&1", u"", false},
        {"IDs differ: no name fallback", u"USB\\A", u"USB\\B", kPdoName, false},
        {"node without ID: by name", u"USB\\A", u"", u"\\device\\usbpdo-1", true},
        {"record without ID: by name", u"", u"USB\\A", kPdoName, true},
        {"name a prefix of the node's PDO", u"", u"", u"\\Device\\USBPDO-10", false},
        {"node's PDO a prefix of the name", u"", u"", u"\\Device\\USBPDO-", false},
        {"neither ID nor PDO name", u"", u"", u"", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto stack = Find(RefreshStackRecord(Stack(c.recordId)), c.nodeId, c.nodePdo, n.devices);
        EXPECT_EQ(stack != nullptr, c.match);
    }
}

TEST(DeviceStack, NameMatchUsesOnlyTheFirstEntryOfThePdo) {
    Names n;
    n.devices.Add({kPdo, 0x99}, u"\\Device\\Other");
    RefreshStackSpec s = Stack(u"");
    // The first entry of the PDO has a key whose name differs; a later one
    // would match but is not compared.
    s.entries.insert(s.entries.begin(), {kPdo, 0x99, 0x89B00200, 1, true});
    EXPECT_FALSE(Find(RefreshStackRecord(s), u"", kPdoName, n.devices));
    // An unnamed first entry (key 0) never matches.
    s.entries[0].deviceNameKey = 0;
    EXPECT_FALSE(Find(RefreshStackRecord(s), u"", kPdoName, n.devices));
}

TEST(DeviceStack, FirstMatchingRecordWinsAfterOthersAreSkipped) {
    Names n;
    Bytes data = RefreshData({Stack(u"USB\\OTHER", 0x1000), Stack(u"USB\\MINE", 0x2000, 3), Stack(u"USB\\MINE", 0x3000)});
    auto stack = Find(data, u"USB\\MINE", u"", n.devices);
    ASSERT_TRUE(stack);
    EXPECT_EQ(stack->physicalDeviceObject, 0x2000u);
    EXPECT_EQ(stack->entries.size(), 3u);
}

TEST(DeviceStack, EntryCountsOutsideOneTo255GiveAStackWithoutEntries) {
    Names n;
    for (uint32_t count : {0u, 256u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(count);
        Bytes r = RefreshStackRecord(Stack(u"USB\\X"));
        PutU32(r, REFRESH_STACK_ENTRY_COUNT, count);
        auto stack = Find(r, u"USB\\X", u"", n.devices);
        ASSERT_TRUE(stack);
        EXPECT_EQ(stack->entryCount, 0u);
        EXPECT_TRUE(stack->entries.empty());
    }
    auto full = Find(RefreshStackRecord(Stack(u"USB\\X", kPdo, 255)), u"USB\\X", u"", n.devices);
    ASSERT_TRUE(full);
    EXPECT_EQ(full->entryCount, 255u);
    EXPECT_EQ(full->entries.size(), 255u);
    EXPECT_EQ(full->entries[254].deviceObject, kPdo + 0x100 * 254);
}

TEST(DeviceStack, EntriesAfterTheFirstInvalidOneStayEmpty) {
    Names n;
    const struct {
        const char* name;
        size_t at;        // offset in the second entry
        uint32_t value;
    } cases[] = {
        {"type 7", REFRESH_ENTRY_TYPE, 7},
        {"size 39", REFRESH_ENTRY_SIZE, 39},
        {"size 0", REFRESH_ENTRY_SIZE, 0},
        {"runs past the record", REFRESH_ENTRY_SIZE, 0x10000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes r = RefreshStackRecord(Stack(u"USB\\X", kPdo, 4));
        PutU32(r, REFRESH_STACK_MIN_SIZE + REFRESH_ENTRY_MIN_SIZE + c.at, c.value);
        auto stack = Find(r, u"USB\\X", u"", n.devices);
        ASSERT_TRUE(stack);
        EXPECT_EQ(stack->entryCount, 4u);
        EXPECT_EQ(stack->entries.size(), 1u);
    }
}

TEST(DeviceStack, MalformedRecordsEndTheWalk) {
    Names n;
    const Bytes bad = RefreshStackRecord(Stack(u"USB\\BAD", 0x1000));
    const Bytes good = RefreshStackRecord(Stack(u"USB\\GOOD", 0x2000));
    auto withBad = [&](size_t at, uint32_t value) {
        Bytes b = bad;
        PutU32(b, at, value);
        Bytes all = b;
        all.insert(all.end(), good.begin(), good.end());
        return all;
    };
    const struct {
        const char* name;
        Bytes data;
    } cases[] = {
        {"size 0", withBad(REFRESH_STACK_SIZE, 0)},
        {"size below the header", withBad(REFRESH_STACK_SIZE, 83)},
        {"size past the data", withBad(REFRESH_STACK_SIZE, 0x100000)},
        {"type 6", withBad(REFRESH_STACK_TYPE, 6)},
        {"instance ID past the record", withBad(REFRESH_STACK_ID_OFFSET, static_cast<uint32_t>(bad.size()))},
        {"instance ID offset wraps", withBad(REFRESH_STACK_ID_OFFSET, 0xFFFFFFF0u)},
        {"a short record after the last", [&] {
             Bytes all = bad;
             Bytes shortRecord = good;
             shortRecord.resize(REFRESH_STACK_MIN_SIZE - 4);
             PutU32(shortRecord, REFRESH_STACK_SIZE, static_cast<uint32_t>(shortRecord.size()));
             all.insert(all.end(), shortRecord.begin(), shortRecord.end());
             return all;
         }()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(Find(c.data, u"USB\\GOOD", u"", n.devices));
    }
    // The unchanged pair finds the second record.
    Bytes both = bad;
    both.insert(both.end(), good.begin(), good.end());
    EXPECT_TRUE(Find(both, u"USB\\GOOD", u"", n.devices));
}

TEST(DeviceStack, EveryPrefixOfTheDataIsReadSafely) {
    Names n;
    const Bytes data = RefreshData({Stack(u"USB\\A", 0x1000, 3), Stack(u"", kPdo, 2), Stack(u"USB\\C", 0x3000, 1)});
    const size_t secondEnd = RefreshStackRecord(Stack(u"USB\\A", 0x1000, 3)).size() +
                             RefreshStackRecord(Stack(u"", kPdo, 2)).size();
    for (size_t n2 = 0; n2 <= data.size(); ++n2) {
        Bytes prefix(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(n2));
        auto byName = Find(prefix, u"", kPdoName, n.devices);
        EXPECT_EQ(byName != nullptr, n2 >= secondEnd) << n2;
        Find(prefix, u"USB\\C", u"", n.devices);
    }
}

TEST(ReportDescriptors, TwoForOnePdoKeptInOrder) {
    const Bytes first = {0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0xC0};
    const Bytes second = {0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0xC0, 0x00, 0x01};
    const Bytes list = RefreshList({{kPdo, 0, first}, {0x5000, 0, {1, 2, 3}}, {kPdo, 1, second}});
    auto found = FindReportDescriptors(list.data(), list.size(), kPdo);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].interfaceNumber, 0);
    EXPECT_EQ(found[0].descriptor, first);
    EXPECT_EQ(found[1].interfaceNumber, 1);
    EXPECT_EQ(found[1].descriptor, second);
    EXPECT_TRUE(FindReportDescriptors(list.data(), list.size(), 0x6000).empty());
}

TEST(ReportDescriptors, BadHeadersEntriesAndOffsets) {
    const Bytes desc = {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0xC0};
    const Bytes good = RefreshList({{kPdo, 0, desc}, {kPdo, 1, desc}});
    const size_t second = REFRESH_LIST_HEADER_SIZE + RefreshDescriptorEntry({kPdo, 0, desc}).size();
    auto patch16 = [&](size_t at, uint16_t v) {
        Bytes b = good;
        PutU16(b, at, v);
        return b;
    };
    auto patch32 = [&](size_t at, uint32_t v) {
        Bytes b = good;
        PutU32(b, at, v);
        return b;
    };
    const struct {
        const char* name;
        Bytes list;
        size_t found;
    } cases[] = {
        {"whole", good, 2},
        {"list size 16", patch32(0, 16), 0},
        {"mark 13", patch32(4, 13), 0},
        {"count 1", patch32(REFRESH_LIST_COUNT, 1), 1},
        {"list size ends inside the second entry", patch32(0, static_cast<uint32_t>(second + 8)), 1},
        {"first entry of type 10", patch32(REFRESH_LIST_HEADER_SIZE + 4, 10), 0},
        {"first entry of 19 bytes", patch32(REFRESH_LIST_HEADER_SIZE, 19), 0},
        {"first entry past the list", patch32(REFRESH_LIST_HEADER_SIZE, 0x1000), 0},
        {"descriptor past its entry: skipped", patch16(REFRESH_LIST_HEADER_SIZE + 8, 0x200), 1},
        {"descriptor offset 0: skipped", patch16(REFRESH_LIST_HEADER_SIZE + 10, 0), 1},
        {"descriptor length 0: skipped", patch16(REFRESH_LIST_HEADER_SIZE + 8, 0), 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<uint8_t[]> copy(new uint8_t[c.list.size()]);
        std::copy(c.list.begin(), c.list.end(), copy.get());
        EXPECT_EQ(FindReportDescriptors(copy.get(), c.list.size(), kPdo).size(), c.found);
    }
    for (size_t n = 0; n <= good.size(); ++n) {
        std::unique_ptr<uint8_t[]> copy(new uint8_t[n ? n : 1]);
        std::copy(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n), copy.get());
        EXPECT_LE(FindReportDescriptors(copy.get(), n, kPdo).size(), 2u);
    }
}

} // namespace
