// Drives the descriptor walkers and the control setup dispatch with
// arbitrary bytes: the first byte chooses the input's kind and the display
// flags, the second the device speed.
// - kind 0: a descriptor set (configuration, BOS, any descriptor, hub
//   descriptor), the bytes held exactly as given;
// - kind 1: a control transfer: 8 setup bytes, the interface class and
//   subclass, the completion flag and version, then the data stage.
// Checks that the page never passes its capacity, stays ASCII, closes every
// division, table and row, and that every walk leaves the division depth at 0.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>

#include "decode/BosDescriptors.h"
#include "decode/ControlDispatch.h"
#include "decode/HtmlWriters.h"
#include "decode/PageWriter.h"
#include "decode/StandardDescriptors.h"
#include "protocols/ClassDecoders.h"

using namespace brx;

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

size_t Count(std::string_view text, std::string_view what) {
    size_t k = 0;
    for (size_t at = text.find(what); at != std::string_view::npos; at = text.find(what, at + 1)) ++k;
    return k;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const uint8_t mode = data[0];
    const int32_t speed = static_cast<int32_t>(data[1] % 5) - 1;
    // The rest in an exact block, so a read past it is caught.
    const size_t n = size - 2;
    auto block = std::make_unique<uint8_t[]>(n + 1);
    std::memcpy(block.get(), data + 2, n);
    const std::span<const uint8_t> bytes(block.get(), n);

    PageBuffer page(PageBuffer::kTailReserve + 0x8000);
    const std::string_view sheets[] = {DESCRIPTOR_STYLE_SHEET};
    BeginPage(page, "fuzz", sheets);
    DECODE_CONTEXT ctx;
    ctx.page = &page;
    ctx.expand = mode & 0x10;
    ctx.detail = mode & 0x20;
    ctx.headerRow = mode & 0x40;
    ctx.deviceSpeed = speed;
    ctx.classDecoders = &kClassDecoders;
    if ((mode & 1) == 0) {
        ctx.bytes = bytes;
        ctx.descriptor.bcdUSB = static_cast<uint16_t>(0x0100 * ((mode >> 1) & 3) + 0x0100);
        DecodeConfigurationDescriptorSet(ctx);
        Check(ctx.divisionDepth == 0 || page.full()); // a full page keeps its open divisions for ClosePage
        ctx.bytes = bytes;
        ctx.descriptor.configuration = bytes;
        DecodeBosDescriptorSet(ctx);
        Check(ctx.divisionDepth == 0 || page.full()); // a full page keeps its open divisions for ClosePage
        ctx.bytes = bytes;
        ctx.descriptor.interfaceDescriptor = FindInterfaceDescriptor(bytes, 0, -1);
        DecodeDescriptor(ctx);
        DecodeHubDescriptor(ctx);
        for (uint32_t index : {0u, 1u, 255u}) DecodeStringDescriptor(ctx, index);
    } else if (n >= 12) {
        ctx.bytes = bytes.first(8);
        ctx.setupAsSent = bytes[10] & 1;
        ctx.request.interfaceInfo.known = bytes[10] & 2;
        ctx.request.interfaceInfo.interfaceClass = bytes[8];
        ctx.request.interfaceInfo.interfaceSubClass = bytes[9];
        ctx.request.completion = bytes[10] & 4;
        ctx.request.dataPresent = bytes[10] & 8;
        ctx.request.version = static_cast<uint16_t>(bytes[11] << 8);
        ctx.request.data = bytes.subspan(12);
        Check(DecodeControlSetup(ctx));
    }
    Check(ctx.divisionDepth == 0 || page.full()); // a full page keeps its open divisions for ClosePage
    ClosePage(page);
    const std::string_view s = page.view();
    Check(s.size() <= page.capacity());
    Check(s.ends_with("</body>\r\n</html>\r\n"));
    for (unsigned char c : s) Check(c < 0x80);
    Check(Count(s, "<div") == Count(s, "</div>"));
    Check(Count(s, "<table") == Count(s, "</table>"));
    Check(Count(s, "<tr") == Count(s, "</tr>"));
    return 0;
}
