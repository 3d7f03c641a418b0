// Drives the page writers with arbitrary texts, values and byte runs, in an
// arbitrary order, into a small page: the first two bytes choose the page's
// capacity, then each step is an operation byte and its arguments. Checks
// that the page never passes its capacity, stays ASCII, carries no markup
// from the texts (every '<' starts one of the writers' own tags), and that
// the closed page has every division, table and row closed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>

#include "decode/HtmlWriters.h"
#include "decode/PageWriter.h"
#include "decode/SetupRows.h"

using namespace brx;

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

struct Input {
    const uint8_t* p;
    size_t n;
    uint8_t Byte() {
        if (n == 0) return 0;
        --n;
        return *p++;
    }
    uint32_t Dword() { return Byte() | (Byte() << 8) | (Byte() << 16) | (static_cast<uint32_t>(Byte()) << 24); }
    std::span<const uint8_t> Bytes() {
        size_t len = Byte();
        if (len == 255) len = 4200; // a long run for the hex dump's cut
        if (len > n) len = n;
        std::span<const uint8_t> s(p, len);
        p += len;
        n -= len;
        return s;
    }
    std::string Text() {
        std::span<const uint8_t> b = Bytes();
        return std::string(b.begin(), b.end());
    }
};

size_t Count(std::string_view text, std::string_view what) {
    size_t k = 0;
    for (size_t at = text.find(what); at != std::string_view::npos; at = text.find(what, at + 1)) ++k;
    return k;
}

void CheckPage(const PageBuffer& page) {
    const std::string_view s = page.view();
    Check(s.size() <= page.capacity());
    Check(page.data()[s.size()] == '\0');
    Check(s.ends_with("</body>\r\n</html>\r\n"));
    for (unsigned char c : s) Check(c < 0x80);
    Check(Count(s, "<div") == Count(s, "</div>"));
    Check(Count(s, "<table") == Count(s, "</table>"));
    Check(Count(s, "<tr") == Count(s, "</tr>"));
    static const char* const kTags[] = {"html>", "head>", "/head>", "meta ", "title>", "/title>", "style ",
                                        "/style>", "body>", "/body>", "/html>", "a ", "/a>", "div ", "/div>",
                                        "table ", "/table>", "tr ", "tr>", "/tr>", "td ", "td>", "/td>", "th ",
                                        "/th>", "nobr>", "/nobr>", "span ", "/span>", "b>", "/b>", "br>",
                                        "p ", "/p>"};
    for (size_t at = s.find('<'); at != std::string_view::npos; at = s.find('<', at + 1)) {
        bool known = false;
        for (const char* tag : kTags) known = known || s.substr(at + 1).starts_with(tag);
        Check(known);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input in{data, size};
    const size_t capacity = PageBuffer::kTailReserve + 64 + (in.Byte() | (in.Byte() << 8));
    PageBuffer page(capacity);
    DECODE_CONTEXT ctx;
    ctx.page = &page;
    const uint8_t flags = in.Byte();
    ctx.headerRow = flags & 1;
    ctx.offsetColumn = flags & 2;
    ctx.sizeColumn = flags & 4;
    ctx.expand = flags & 8;
    ctx.detail = flags & 16;
    const std::string title = in.Text();
    const std::string head = "td {color:#000;}\r\n";
    const std::string_view heads[] = {head};
    BeginPage(page, title, heads);
    std::span<const uint8_t> held;
    for (int step = 0; step < 400 && in.n > 0; ++step) {
        const uint8_t op = in.Byte();
        const uint32_t offset = in.Dword();
        switch (op % 24) {
        case 0: BeginFieldTable(ctx); break;
        case 1: EndFieldTable(ctx); break;
        case 2: BeginTableRow(ctx); break;
        case 3: EndTableRow(ctx); break;
        case 4: BeginIndentDiv(ctx); break;
        case 5: EndIndentDiv(ctx); break;
        case 6: WriteByteRow(ctx, offset, in.Text().c_str(), offset >> 8, in.Byte(), in.Text().c_str()); break;
        case 7: WriteErrorWordRow(ctx, offset, in.Text().c_str(), 2, static_cast<uint16_t>(offset), in.Text().c_str()); break;
        case 8: WriteValueRow(ctx, offset, "v", in.Bytes(), nullptr); break;
        case 9: WriteBytesRow(ctx, offset, nullptr, in.Bytes(), in.Text().c_str()); break;
        case 10: WriteWordArrayRow(ctx, offset, "w", in.Bytes(), nullptr); break;
        case 11: WriteGuidRow(ctx, offset, "g", in.Bytes(), nullptr); break;
        case 12: WriteQuotedRow(ctx, offset, "q", 1, in.Text(), in.Text().c_str()); break;
        case 13: WriteBitFieldRow(ctx, in.Text().c_str(), in.Byte() % 6, offset, in.Dword(), in.Text().c_str()); break;
        case 14: WriteUndecodedBytesRow(ctx, offset, in.Bytes()); break;
        case 15: WriteSectionTitle(ctx, in.Text().c_str()); break;
        case 16: {
            held = in.Bytes();
            ctx.bytes = held;
            ctx.anchorBase = held;
            break;
        }
        case 17: RenderUnrecognizedDescriptor(ctx); break;
        case 18: WriteSetupRequestTypeRow(ctx); WriteSetupRecipientRow(ctx); WriteSetupTypeRow(ctx); break;
        case 19: WriteCheckedSetupLengthRow(ctx, static_cast<uint16_t>(offset), nullptr); WriteCheckedSetupDirectionRow(ctx, offset & 3); break;
        case 20: WritePropertyRow(page, in.Text(), in.Text()); break;
        case 21: {
            char anchor[24], title2[600];
            FormatDescriptorAnchorName(ctx, held.data() + (held.empty() ? 0 : offset % held.size()), anchor, sizeof anchor);
            FormatDescriptorTitle(in.Text().c_str(), in.Text().c_str(), title2, sizeof title2);
            WriteDescriptorAnchorTitle(ctx, anchor, title2);
            break;
        }
        case 22: {
            const std::span<const uint8_t> b = in.Bytes();
            page.AppendWide(std::u16string_view(reinterpret_cast<const char16_t*>(b.data()), 0));
            std::u16string wide;
            for (size_t i = 0; i + 1 < b.size(); i += 2) wide.push_back(static_cast<char16_t>(b[i] | (b[i + 1] << 8)));
            // Wide text only inside an element of its own.
            if (BeginTableRow(ctx)) {
                page.Append("<td>") && page.AppendWide(wide) && page.Append("</td>");
            }
            EndTableRow(ctx);
            break;
        }
        default: {
            const PageMark mark = page.Mark();
            BeginFieldTable(ctx);
            WriteSpacerRow(ctx);
            if (offset & 1) page.Rollback(mark);
            break;
        }
        }
        Check(page.size() <= page.capacity());
    }
    ClosePage(page);
    CheckPage(page);
    return 0;
}
