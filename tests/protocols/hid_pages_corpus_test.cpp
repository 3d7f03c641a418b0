// The seeds of the HID pages fuzzer (tests/fuzz/fuzz_hid_pages.cpp): an
// options byte, the descriptor's 16-bit length, the descriptor, a report.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/CorpusSeeds.h"
#include "tests/capture/hid_test_util.h"

namespace brx {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Seed(uint8_t options, const Bytes& desc, const Bytes& report) {
    Bytes out = {options, uint8_t(desc.size()), uint8_t(desc.size() >> 8)};
    out.insert(out.end(), desc.begin(), desc.end());
    out.insert(out.end(), report.begin(), report.end());
    return out;
}

std::vector<testing::CorpusSeed> BuildSeeds() {
    using test::FromHex;
    const Bytes keyboard = test::BootKeyboardDescriptor();
    const Bytes tablet = FromHex(
        "05010902a1010901a10005091901290315002501950375018102950175058101050109300931150026ff7f35004"
        "6ff7f751095028102050109381581257f35004500750895018106c0c0");
    // Signed axes with report ids.
    const Bytes mouse = FromHex("05010902a10185020901a1000509190129101500250175019510810205011600f826ff07"
                                "750c95020930093181060938150081257f750895018106c0c0");
    return {
        {"keyboard_report", Seed(0x01, keyboard, FromHex("0200040500000000"))},
        {"tablet_real_report", Seed(0x0B, tablet, FromHex("015f217f4200"))},
        {"mouse_signed_ids", Seed(0x3F, mouse, FromHex("020300fb4f0601"))},
        {"cut_last_item", Seed(0x1F, FromHex("05010902a10126ff"), {})},
        {"cut_long_item", Seed(0x03, FromHex("0501fe0a01010203"), {})},
        {"push_pop_delimiters", Seed(0x9F, FromHex("0501a4050ca4b4b4b4a9010901a900c0c0"), FromHex("00"))},
        {"get_report_descriptor", FromHex("810600220100400005010902a101c0")},
        {"set_idle", FromHex("210a007d00000000")},
        {"hid_descriptor", FromHex("0f21110100032243000000")},
    };
}

TEST(HidPagesCorpus, SeedsMatchTheirSources) { testing::CheckCorpusSeeds("hid_pages", BuildSeeds()); }

} // namespace
} // namespace brx
