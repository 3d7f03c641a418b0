// Drives the mode parameter, MMC disc and drive, and DVD structure decoders
// with arbitrary data stages. The input is the pending operation code, the
// device kind, a flag byte (bit 0: the pending CDB was captured; bit 1: no
// header rows), the 16 CDB bytes and the data stage, which is held in a block
// of exactly its size. Each input is decoded into a page with room and into a
// small page that fills up; both must stay within their capacity, stay ASCII,
// and close every division, table and row.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>

#include "decode/PageWriter.h"
#include "tests/protocols/MmcFixtures.h"

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

void DecodeInto(size_t capacity, const uint8_t* head, std::span<const uint8_t> data) {
    PageBuffer page(capacity);
    DECODE_CONTEXT ctx;
    ctx.page = &page;
    ctx.headerRow = (head[2] & 2) == 0;
    ctx.bulk.mscKnown = true;
    ctx.bulk.opCode = head[0];
    ctx.bulk.deviceKind = head[1];
    ctx.bulk.cdbKnown = (head[2] & 1) != 0;
    std::memcpy(ctx.bulk.cdb.data(), head + 3, 16);
    ctx.bulk.cdbByte1 = head[4];
    ctx.bytes = data;
    BeginPage(page, "", {});
    const int answer = testing::DecodeMmcDataStage(ctx);
    Check(answer == 0 || answer == 1);
    ClosePage(page);
    const std::string_view s = page.view();
    Check(s.size() <= page.capacity());
    Check(s.ends_with("</body>\r\n</html>\r\n"));
    for (unsigned char c : s) Check(c < 0x80);
    Check(Count(s, "<div") == Count(s, "</div>"));
    Check(Count(s, "<table") == Count(s, "</table>"));
    Check(Count(s, "<tr") == Count(s, "</tr>"));
    Check(Count(s, "<td") == Count(s, "</td>"));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* input, size_t size) {
    constexpr size_t kHead = 19;
    if (size < kHead) return 0;
    const size_t n = size - kHead;
    std::unique_ptr<uint8_t[]> block(new uint8_t[n ? n : 1]);
    std::memcpy(block.get(), input + kHead, n);
    const std::span<const uint8_t> data(block.get(), n);
    DecodeInto(0x10000, input, data);
    DecodeInto(PageBuffer::kTailReserve + 900 + (n * 61) % 3000, input, data);
    return 0;
}
