// Drives the mass-storage page decoders: the first byte holds display flags
// (bit 0 completion, bit 1 a pending CDB attached, bit 2 expand, bit 3
// housekeeping rows, bit 4 header rows, bits 5-7 the page capacity), then the
// pending operation code, the device kind, the 16 bytes of the pending CDB and
// the data stage. Each input is decoded three ways: the CDB wrapped in a
// command wrapper of every CDB length, the data stage as a record of its
// phase, and the data stage at the other phase. Checks that the page never
// passes its capacity, stays ASCII, and closes every element it opened.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string_view>
#include <vector>

#include "decode/HtmlWriters.h"
#include "decode/PageWriter.h"
#include "protocols/BulkOnly.h"

using namespace brx;

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

void Run(PageBuffer& page, const DECODE_CONTEXT& base, std::span<const uint8_t> bytes) {
    page.Reset();
    const std::string_view heads[] = {DESCRIPTOR_STYLE_SHEET};
    BeginPage(page, "fuzz", heads);
    DECODE_CONTEXT ctx = base;
    ctx.page = &page;
    // An exact-size copy, so that a read past the bytes is seen.
    std::vector<uint8_t> exact(bytes.begin(), bytes.end());
    ctx.bytes = exact;
    DecodeBulkOnlyTransfer(ctx);
    ClosePage(page);
    const std::string_view s = page.view();
    Check(s.size() <= page.capacity());
    Check(s.ends_with("</body>\r\n</html>\r\n"));
    for (char c : s) Check(static_cast<unsigned char>(c) < 0x80);
    Check(page.openDepth() == 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 19) return 0;
    const uint8_t flags = data[0];
    static const size_t kCapacities[] = {0x200000, 2048, 3000, 4096, 6000, 8192, 16384, 65536};
    PageBuffer page(kCapacities[flags >> 5]);
    DECODE_CONTEXT ctx;
    ctx.expand = (flags & 4) != 0;
    ctx.detail = (flags & 8) != 0;
    ctx.headerRow = (flags & 16) != 0;
    ctx.bulk.interfaceInfo = {true, 0, 0x08, 0x06, 0x50};
    ctx.bulk.mscKnown = true;
    ctx.bulk.opCode = data[1];
    ctx.bulk.deviceKind = data[2];
    std::copy(data + 3, data + 19, ctx.bulk.cdb.begin());
    ctx.bulk.cdbByte1 = ctx.bulk.cdb[1];
    ctx.bulk.cdbKnown = (flags & 2) != 0;
    const std::span<const uint8_t> stage(data + 19, size - 19);

    // The CDB in a command wrapper, at every CDB length.
    std::array<uint8_t, 31> cbw{'U', 'S', 'B', 'C'};
    std::copy(data + 3, data + 19, cbw.begin() + 15);
    DECODE_CONTEXT wrapper = ctx;
    wrapper.bulk.completion = false;
    wrapper.bulk.opCode = cbw[15];
    for (uint8_t length : {uint8_t{0}, uint8_t{6}, uint8_t{10}, uint8_t{12}, uint8_t{16}, uint8_t{0xFF}}) {
        cbw[12] = stage.empty() ? 0 : stage[0];
        cbw[14] = length;
        Run(page, wrapper, cbw);
    }
    // The data stage at its phase and at the other.
    ctx.bulk.completion = (flags & 1) != 0;
    Run(page, ctx, stage);
    ctx.bulk.completion = !ctx.bulk.completion;
    Run(page, ctx, stage);
    return 0;
}
