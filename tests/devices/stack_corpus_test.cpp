// The seed corpus of the device-stack fuzzer: the simulated machine's refresh
// data and refresh list, and one fixture per malformed shape the walks must
// survive. The committed files must match what this test builds; set
// BRX_WRITE_CORPUS=1 to (re)write them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/devices/DeviceStack.h"
#include "sim/DriverScenario.h"
#include "tests/CorpusSeeds.h"

using namespace brx;

namespace {

using Seed = brx::testing::CorpusSeed;

std::vector<Seed> BuildSeeds() {
    const CDriverScenario scenario;
    const Bytes data = scenario.RefreshDataBlock();
    const Bytes list = scenario.RefreshListBlock();
    const Bytes one = RefreshStackRecord({7, 0x89A11030, u"USB\\X", {{0x89A11030, 0x89A11000, 0x89B00200, 1, true}}});
    auto patch = [](Bytes b, size_t at, uint32_t v) {
        PutU32(b, at, v);
        return b;
    };
    auto cut = [](Bytes b, size_t n) {
        b.resize(n);
        return b;
    };
    return {
        {"machine_refresh_data", data},
        {"machine_refresh_list", list},
        {"bad_record_size_zero", patch(one, REFRESH_STACK_SIZE, 0)},
        {"bad_record_size_past_end", patch(one, REFRESH_STACK_SIZE, 0x10000)},
        {"bad_entry_count_256", patch(one, REFRESH_STACK_ENTRY_COUNT, 256)},
        {"bad_entry_size_zero", patch(one, REFRESH_STACK_MIN_SIZE + REFRESH_ENTRY_SIZE, 0)},
        {"bad_first_entry_past_record", patch(one, REFRESH_STACK_FIRST_ENTRY, 0xFFFFFFF0)},
        {"bad_instance_id_past_record", patch(one, REFRESH_STACK_ID_OFFSET, 0x1000)},
        {"bad_record_cut", cut(one, REFRESH_STACK_MIN_SIZE - 1)},
        {"bad_list_descriptor_past_entry", [&] {
             Bytes b = list;
             PutU16(b, REFRESH_LIST_HEADER_SIZE + REFRESH_DESCRIPTOR_LENGTH, 0xFFFF);
             return b;
         }()},
        {"bad_list_count_huge", patch(list, REFRESH_LIST_COUNT, 0xFFFFFFFF)},
    };
}


} // namespace

TEST(StackCorpus, CommittedSeedsMatchTheirSource) {
    brx::testing::CheckCorpusSeeds("stacks", BuildSeeds());
}

TEST(StackCorpus, MachineSeedsFindTheirStacks) {
    const std::vector<Seed> seeds = BuildSeeds();
    CDeviceNameHash none;
    auto stack = FindDeviceStack(seeds[0].bytes.data(), seeds[0].bytes.size(),
                                 u"USB\\VID_04D9&PID_1603\\6&1A2B3C4D&0&2", u"", none);
    ASSERT_TRUE(stack);
    EXPECT_EQ(stack->physicalDeviceObject, static_cast<uint32_t>(SIM_KEYBOARD_OBJECT));
    EXPECT_EQ(FindReportDescriptors(seeds[1].bytes.data(), seeds[1].bytes.size(), SIM_KEYBOARD_OBJECT).size(), 2u);
}
