// The simulated driver's scenario: only selected devices produce records,
// each device is enumerated once after a reset, every completion links to its
// issue under the real commit walk, and the name and HID blocks are whole.
#include <gtest/gtest.h>

#include <set>

#include "base/ByteReader.h"
#include "capture/NameTables.h"
#include "capture/RecordIndexer.h"
#include "sim/DriverScenario.h"

using namespace brx;

namespace {

const std::set<uint32_t> kAll = {SIM_STICK_OBJECT,  SIM_MOUSE_OBJECT,     SIM_KEYBOARD_OBJECT, SIM_SERIAL_OBJECT,
                                 SIM_COMPOSITE_OBJECT, SIM_DFU_OBJECT, SIM_PRINTER_OBJECT};

struct Walked {
    RecordStream stream;
    CVectorRecordIndex index;
};

void Walk(const std::vector<Bytes>& records, Walked& w) {
    w.stream.Add(records);
    CRecordIndexer indexer(1024);
    CommitResult r = indexer.Commit(w.stream.bytes().data(), static_cast<uint32_t>(w.stream.bytes().size()), 0,
                                    kDriverRecordLayout, w.index);
    ASSERT_EQ(r.status, CommitStatus::Ok);
    ASSERT_EQ(r.indexed, records.size());
}

TEST(DriverScenario, EveryCompletionLinksToItsIssue) {
    CDriverScenario s;
    std::vector<Bytes> records;
    for (int round = 0; round < 3; ++round)
        EXPECT_GT(s.NextRound(kAll, records), 0u);
    Walked w;
    Walk(records, w);
    size_t completions = 0, issues = 0;
    for (uint32_t i = 0; i < w.index.GetCount(); ++i) {
        const RECORD_INDEX_ENTRY& e = *w.index.GetAt(i);
        ASSERT_EQ(GetEntryRecordType(e), RECORD_TYPE_REQUEST);
        ASSERT_NE(e.companion, NO_INDEX) << "record " << i;
        (IsEntryCompletion(e) ? completions : issues)++;
    }
    EXPECT_EQ(completions, issues);
}

TEST(DriverScenario, MassStorageCommandsTieAndOneFails) {
    CDriverScenario s;
    std::vector<Bytes> records;
    s.NextRound({SIM_STICK_OBJECT}, records);
    Walked w;
    Walk(records, w);
    std::set<uint8_t> opcodes;
    size_t failedStatus = 0;
    for (uint32_t i = 0; i < w.index.GetCount(); ++i) {
        const RECORD_INDEX_ENTRY& e = *w.index.GetAt(i);
        if (IsEntryMassStorage(e))
            opcodes.insert(e.opcode);
        if (IsEntryStatusWrapper(e) && e.dataLength == 13) {
            const uint8_t* data = w.stream.bytes().data() + e.position + e.dataOffset;
            failedStatus += data[12] == 1;
        }
    }
    EXPECT_EQ(opcodes, (std::set<uint8_t>{0x12, 0x25, 0x28, 0x03}));
    EXPECT_EQ(failedStatus, 1u);
    // INQUIRY taught the device kind: SBC, SPC version 6.
    EXPECT_EQ(w.index.GetAt(w.index.GetCount() - 1)->deviceKind, MSC_KIND_SBC);
    EXPECT_EQ(w.index.GetAt(w.index.GetCount() - 1)->spcVersion, 6);
}

TEST(DriverScenario, OnlySelectedDevicesProduceRecords) {
    const struct {
        std::set<uint32_t> selected;
    } cases[] = {{{SIM_MOUSE_OBJECT}}, {{SIM_SERIAL_OBJECT, SIM_KEYBOARD_OBJECT}}, {{0x12345678}}, {{}}};
    for (const auto& c : cases) {
        CDriverScenario s;
        std::vector<Bytes> records;
        s.NextRound(c.selected, records);
        s.NextRound(c.selected, records);
        bool known = false;
        for (uint32_t o : c.selected)
            known = known || kAll.count(o);
        EXPECT_EQ(records.empty(), !known);
        for (const Bytes& r : records)
            EXPECT_EQ(c.selected.count(GetRequestDeviceObject(r.data(), r.size(), kDriverRecordLayout)), 1u);
    }
}

TEST(DriverScenario, DevicesAreEnumeratedOnceAfterEachReset) {
    CDriverScenario s;
    auto pnpCount = [](const std::vector<Bytes>& records) {
        size_t n = 0;
        for (const Bytes& r : records)
            n += GetRequestKind(r.data(), r.size(), kDriverRecordLayout) == 40;
        return n;
    };
    std::vector<Bytes> first, second, afterReset;
    s.NextRound(kAll, first);
    s.NextRound(kAll, second);
    EXPECT_EQ(pnpCount(first), 2 * kAll.size());   // issue and completion per device
    EXPECT_EQ(pnpCount(second), 0u);
    s.Reset();
    s.NextRound(kAll, afterReset);
    EXPECT_EQ(pnpCount(afterReset), 2 * kAll.size());
    EXPECT_EQ(GetRecordSequence(afterReset[0].data(), afterReset[0].size()), 1u);
    EXPECT_EQ(GetRecordSequence(second.back().data(), second.back().size()), first.size() + second.size());
}

TEST(DriverScenario, NameListsAndStartupBlockAreWhole) {
    CDriverScenario s;
    CDeviceNameHash devices;
    CDriverNameHash drivers;
    Bytes deviceBlock = s.DeviceListBlock(), driverBlock = s.DriverListBlock(), hid = s.StartupBlock();
    // Every named object and every driver of the machine's device stacks.
    const size_t named = s.Topology().DeviceNames().size(), driverCount = s.Topology().DriverNames().size();
    EXPECT_GT(named, 4u);
    EXPECT_GT(driverCount, 3u);
    EXPECT_EQ(devices.AddFromBlock(deviceBlock.data(), deviceBlock.size(), kDriverRecordLayout), named);
    EXPECT_EQ(drivers.AddFromBlock(driverBlock.data(), driverBlock.size(), kDriverRecordLayout), driverCount);
    WString name;
    EXPECT_TRUE(devices.Lookup({SIM_SERIAL_OBJECT, SIM_SERIAL_OBJECT - 0x30}, name));
    EXPECT_EQ(name, u"\\Device\\USBPDO-7");
    EXPECT_TRUE(devices.Lookup({0x89C21230, 0x89C21200}, name));
    EXPECT_EQ(name, u"\\Device\\PointerClass0");
    EXPECT_TRUE(drivers.Lookup({0x89B10200, 1}, name));
    EXPECT_EQ(name, u"\\Driver\\USBSTOR");
    EXPECT_TRUE(devices.Lookup({SIM_COMPOSITE_OBJECT, SIM_COMPOSITE_OBJECT - 0x30}, name));
    EXPECT_EQ(name, u"\\Device\\USBPDO-9");
    EXPECT_TRUE(drivers.Lookup({0x89B70200, 1}, name));
    EXPECT_EQ(name, u"\\Driver\\usbprint");
    EXPECT_TRUE(drivers.Lookup({0x8A00C200, 1}, name));
    EXPECT_EQ(name, u"\\Driver\\usbccgp");
    ByteReader r(hid.data(), hid.size());
    EXPECT_EQ(r.u32le_or(0, 0), hid.size());
    EXPECT_EQ(r.u32le_or(4, 0), 10u);
    EXPECT_EQ(r.u32le_or(8, 0), 2u);
}

} // namespace
