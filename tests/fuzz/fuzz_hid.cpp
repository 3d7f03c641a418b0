// Fuzz target for the HID report-descriptor parser, the report queries and
// the descriptor tables. Input: a 16-bit little-endian descriptor length, the
// descriptor, then one report. The whole input is also offered as a kind-10
// notification block.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "capture/HidParser.h"
#include "capture/HidTables.h"
#include "tests/capture/hid_test_util.h"

using namespace brx;

namespace {

void Queries(const HIDP_PREPARSED* pp, const std::vector<uint8_t>& report) {
    HID_CAPS caps;
    if (HidGetCaps(pp, &caps) != HIDP_STATUS_SUCCESS) __builtin_trap();
    const uint16_t buttons[3] = {caps.numberInputButtonCaps, caps.numberOutputButtonCaps, caps.numberFeatureButtonCaps};
    const uint16_t values[3] = {caps.numberInputValueCaps, caps.numberOutputValueCaps, caps.numberFeatureValueCaps};
    const uint32_t rlen = uint32_t(report.size());
    for (uint32_t t = HidP_Input; t <= HidP_Feature; ++t) {
        std::vector<HID_BUTTON_CAPS> bc(buttons[t - 1]);
        uint16_t nb = uint16_t(bc.size());
        if (nb) HidGetButtonCaps(t, bc.data(), &nb, pp);
        if (nb > bc.size()) __builtin_trap();
        for (uint16_t i = 0; i < nb && i < 64; ++i) {
            std::vector<uint16_t> usages(256);
            uint32_t n = uint32_t(usages.size());
            if (rlen) HidGetUsages(t, bc[i].usagePage, bc[i].linkCollection, usages.data(), &n, pp, report.data(), rlen);
            if (n > usages.size()) __builtin_trap();
            HidMaxUsageListLength(t, bc[i].usagePage, pp);
        }
        std::vector<HID_VALUE_CAPS> vc(values[t - 1]);
        uint16_t nv = uint16_t(vc.size());
        if (nv) HidGetValueCaps(t, vc.data(), &nv, pp);
        if (nv > vc.size()) __builtin_trap();
        for (uint16_t i = 0; i < nv && i < 64 && rlen; ++i) {
            uint32_t v;
            HidGetUsageValue(t, vc[i].usagePage, 0, vc[i].usageMin, &v, pp, report.data(), rlen);
            std::vector<uint8_t> bytes(1 + (i % 40));
            HidGetUsageValueArray(t, vc[i].usagePage, 0, vc[i].usageMax, bytes.data(), uint32_t(bytes.size()), pp,
                                  report.data(), rlen);
        }
    }
}

void Cache(const std::vector<uint8_t>& desc, const std::vector<uint8_t>& report) {
    const std::vector<uint8_t> item = test::DescriptorItem(desc);
    CHIDDeviceRDHash rd;
    rd.AddDescriptor(ByteReader(item.data(), item.size()));
    CHIDDeviceDataHash cache;
    cache.SetRDHash(&rd);
    if (report.empty()) return;
    for (uint32_t t = HidP_Input; t <= HidP_Feature; ++t) {
        std::vector<HID_REPORT_ITEM> items(32);
        uint32_t n = uint32_t(items.size());
        const int ok = cache.GetReportItems(report.data(), uint32_t(report.size()), report[0], t, 1, items.data(), &n);
        if (ok && n > items.size()) __builtin_trap();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    size_t dlen = size_t(data[0]) | size_t(data[1]) << 8;
    if (dlen > size - 2) dlen = size - 2;
    // Exact-size copies, so that a read past either one is caught.
    const std::vector<uint8_t> desc(data + 2, data + 2 + dlen);
    const std::vector<uint8_t> report(data + 2 + dlen, data + size);

    HidReportHasReportId(desc.data(), desc.size());
    HIDP_PREPARSED* pp = nullptr;
    if (HidParseReportDescriptor(desc.data(), desc.size(), &pp)) {
        Queries(pp, report);
        HidFreePreparsedData(pp);
        Cache(desc, report);
    }

    const std::vector<uint8_t> block(data, data + size);
    CHIDDeviceRDHash rd;
    rd.AddFromBlock(block.data(), block.size(), kDefaultRecordLayout);
    std::vector<uint8_t> out(size + 64);
    size_t written = 0;
    const uint32_t st = rd.ToBlock(out.data(), out.size(), &written, kDefaultRecordLayout);
    if (st == 0 && written > out.size()) __builtin_trap();
    return 0;
}
