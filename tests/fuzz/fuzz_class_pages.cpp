// Fuzz target for the CDC, DFU and printer pages. Input: an options byte,
// an interface class selector byte (02h, 0Ah, FEh, 07h by its low bits), then
// bytes that are read twice: as a configuration descriptor set whose
// class-specific descriptors go through the CDC functional and DFU functional
// decoders (each following the last interface descriptor met), and as a setup
// packet or notification header (the first 8 bytes) with the rest as its
// data stage, through the CDC request and notification, DFU and printer
// decoders.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "decode/PageWriter.h"
#include "protocols/CdcDescriptors.h"
#include "protocols/CdcNotifications.h"
#include "protocols/CdcRequests.h"
#include "protocols/DfuPrinter.h"

using namespace brx;

namespace {

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

uint32_t FuzzString(uint8_t index, char16_t* out, uint32_t size, void*) {
    // Markup and control characters in every string.
    static constexpr char16_t kText[] = u"<a href=\"x\">&\x01\xE9;";
    uint32_t n = 0;
    for (; n < size && n < (index % 16) && kText[n]; ++n) out[n] = kText[n];
    return n;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const uint8_t options = data[0];
    const uint8_t classIndex = data[1] & 3;
    const std::vector<uint8_t> bytes(data + 2, data + size); // exact size: reads past it are caught
    PageBuffer page((options & 0x80) ? 4096 : 0x40000);

    DECODE_CONTEXT ctx;
    ctx.page = &page;
    ctx.expand = (options & 1) != 0;
    ctx.detail = (options & 2) != 0;
    ctx.setupAsSent = (options & 4) != 0;
    if (options & 8) ctx.stringCallback = FuzzString;
    const std::span<const uint8_t> set(bytes);
    ctx.descriptor.configuration = set;
    ctx.anchorBase = set;
    for (size_t at = set.size() > 0 ? set[0] : 0; at + 2 <= set.size() && set[at] >= 2; at += set[at]) {
        const size_t n = set[at] < set.size() - at ? set[at] : set.size() - at;
        const auto d = set.subspan(at, n);
        if (d[1] == 4 && d.size() >= 9) ctx.descriptor.interfaceDescriptor = d;
        ctx.bytes = d;
        DecodeCdcFunctionalDescriptor(ctx);
        DecodeDfuFunctionalDescriptor(ctx);
    }
    CheckPage(page);

    const size_t setupSize = bytes.size() < 8 ? bytes.size() : 8;
    const std::vector<uint8_t> setup(bytes.begin(), bytes.begin() + setupSize);
    const std::vector<uint8_t> stage(bytes.begin() + setupSize, bytes.end());
    ctx.bytes = setup;
    ctx.descriptor = {};
    ctx.request.data = stage;
    ctx.request.dataPresent = (options & 0x10) != 0;
    ctx.request.completion = (options & 0x20) != 0;
    static constexpr uint8_t kClasses[] = {0x02, 0x0A, 0xFE, 0x07};
    ctx.request.interfaceInfo.interfaceClass = kClasses[classIndex];
    ctx.request.interfaceInfo.interfaceSubClass = 1;
    using Decoder = bool (*)(DECODE_CONTEXT&);
    for (Decoder decode : {Decoder(DecodeCdcRequest), Decoder(DecodeCdcNotification), Decoder(DecodeDfuRequest),
                           Decoder(DecodePrinterRequest)}) {
        page.Reset();
        decode(ctx);
        CheckPage(page);
    }
    return 0;
}
