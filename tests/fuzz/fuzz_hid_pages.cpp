// Fuzz target for the HID pages: the report descriptor's item table, the
// report field table over the parsed-descriptor cache, the HID descriptor and
// the HID requests. Input: an options byte, a 16-bit little-endian descriptor
// length, the descriptor, then one report. The same input is also decoded as
// a setup packet (its first 8 bytes) with the rest as data stage, and as a HID
// descriptor.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "capture/HidTables.h"
#include "decode/PageWriter.h"
#include "protocols/HidClass.h"
#include "protocols/HidReportDescriptorPage.h"
#include "protocols/HidReportValues.h"
#include "tests/capture/hid_test_util.h"

using namespace brx;

namespace {

// A page that nests: as many start tags as end tags of rows and tables.
void CheckPage(PageBuffer& page) {
    ClosePage(page);
    if (page.size() > page.capacity()) __builtin_trap();
    const std::string_view s = page.view();
    auto count = [&](std::string_view what) {
        size_t n = 0;
        for (size_t at = s.find(what); at != std::string_view::npos; at = s.find(what, at + 1)) ++n;
        return n;
    };
    if (count("<table") != count("</table>") || count("<tr") != count("</tr>")) __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    const uint8_t options = data[0];
    size_t length = data[1] | (size_t(data[2]) << 8);
    if (length > size - 3) length = size - 3;
    const std::vector<uint8_t> desc(data + 3, data + 3 + length);
    const std::vector<uint8_t> report(data + 3 + length, data + size);
    // A small page now and then, so that the cap is met mid-table.
    PageBuffer page((options & 0x80) ? 4096 : 0x40000);

    DECODE_CONTEXT ctx;
    ctx.page = &page;
    ctx.bytes = desc;
    ctx.anchorBase = desc;
    RenderHidReportDescriptor(ctx, options & 0x40 ? kHidNoInterface : 1, options & 0x1F);
    CheckPage(page);

    if (!desc.empty() && !report.empty()) {
        test::HidCache cache(desc);
        std::vector<HID_REPORT_ITEM> items(256);
        for (uint32_t type = HidP_Input; type <= HidP_Feature; ++type) {
            uint32_t n = uint32_t(items.size());
            cache.cache.GetReportItems(report.data(), uint32_t(report.size()), report[0], type, 1, items.data(), &n);
            if (n > items.size()) n = uint32_t(items.size());
            page.Reset();
            HID_REPORT_TABLE_CONTEXT t;
            t.page = &page;
            t.options = options & 0x3F;
            t.items = items.data();
            t.itemCount = n;
            t.reportType = uint8_t(type);
            t.reportId = report[0];
            t.usagePage = uint16_t(desc[0] | (desc.size() > 1 ? desc[1] << 8 : 0));
            t.usage = uint16_t(report.size());
            RenderHidReportFields(t);
            CheckPage(page);
        }
    }

    page.Reset();
    DECODE_CONTEXT request;
    request.page = &page;
    request.bytes = std::span<const uint8_t>(data, size < 8 ? size : 8);
    request.request.data = std::span<const uint8_t>(data, size).subspan(size < 8 ? size : 8);
    request.request.dataPresent = (options & 1) != 0;
    request.request.interfaceInfo.interfaceClass = (options & 2) ? 3 : data[1];
    request.expand = (options & 4) != 0;
    request.detail = (options & 8) != 0;
    DecodeHidRequest(request, (options & 0x10) != 0);
    CheckPage(page);

    page.Reset();
    DECODE_CONTEXT hid;
    hid.page = &page;
    hid.bytes = std::span<const uint8_t>(data, size);
    RenderHidDescriptor(hid);
    CheckPage(page);
    return 0;
}
