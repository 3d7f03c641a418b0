#include "decode/HtmlWriters.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <functional>

#include "base/Markup.h"
#include "base/Text.h"
#include "decode/UsbNames.h"

namespace brx {

#define UD_TD "padding-top:0px;padding-right:3px;padding-bottom:0px;padding-left:3px;"
#define UD_MONO "font-family:\"Courier New\",Courier,mono;"
#define UD_DIV(n, extra, t, r, b, l)                                                                         \
    "div.uddiv" #n " {font-size:8pt;font-style:normal;" extra "text-decoration:none;margin-top:" t          \
    ";margin-right:" r ";margin-bottom:" b ";margin-left:" l ";text-align:left;}\r\n"
#define UD_LINK " {color:#000;text-decoration:none;white-space:nowrap;}\r\n"

const std::string_view DESCRIPTOR_STYLE_SHEET =
    "th.ud {font-size:8pt;" UD_TD "background:#c9c9c9;color:#fff;text-align:left;font-weight:normal;"
    "vertical-align:bottom;border:#fff 1px solid;}\r\n"
    "td.ud {font-size:8pt;" UD_TD "background:#fff;vertical-align:top;}\r\n"
    "td.udofs {font-size:8pt;padding:0 8px 0 3px;" UD_MONO "background:#fff;vertical-align:top;text-align:right;}\r\n"
    "td.udsiz {font-size:8pt;padding:0 8px 0 3px;" UD_MONO "background:#fff;vertical-align:top;text-align:right;}\r\n"
    "td.udval {font-size:8pt;" UD_TD UD_MONO "background:#fff;vertical-align:top;text-align:right;}\r\n"
    "td.udfld {font-size:8pt;" UD_TD "background:#fff;vertical-align:top;}\r\n"
    "td.udbmfld {font-size:8pt;padding:0 3px 0 20px;background:#fff;vertical-align:top;white-space:nowrap;}\r\n"
    "td.udhex {font-size:8pt;" UD_TD UD_MONO "background:#fff;vertical-align:top;text-align:left;white-space:nowrap;}\r\n"
    "td.uddes {font-size:8pt;" UD_TD "background:#fff;vertical-align:top;}\r\n"
    UD_DIV(1, "", "12px", "0px", "4px", "1px")
    UD_DIV(2, "", "4px", "0px", "4px", "12px")
    UD_DIV(3, "", "2px", "0px", "2px", "0px")
    UD_DIV(4, "", "2px", "0px", "2px", "20px")
    UD_DIV(5, "", "6px", "0px", "6px", "20px")
    UD_DIV(6, "font-weight:bold;", "12px", "0", "4px", "0")
    UD_DIV(7, "font-weight:normal;", "2px", "0", "4px", "0")
    "a" UD_LINK "a:link" UD_LINK "a:hover" UD_LINK "a:visited" UD_LINK "a:active" UD_LINK
    "a.totop {color:#ccc;" UD_MONO "text-decoration:none;white-space:nowrap;margin-left:8px;}\r\n"
    ".error {color:#f00;}\r\n";

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

// One short line built on the stack (cells are far below its size).
class Line {
public:
    Line& Text(std::string_view t) {
        const size_t n = t.size() < sizeof buf_ - n_ ? t.size() : sizeof buf_ - n_;
        std::memcpy(buf_ + n_, t.data(), n);
        n_ += n;
        return *this;
    }
    Line& Hex(uint64_t value, int digits) {
        if (n_ + static_cast<size_t>(digits) > sizeof buf_) return *this;
        for (int i = digits - 1; i >= 0; --i) buf_[n_++] = kHexDigits[(value >> (4 * i)) & 0xF];
        return *this;
    }
    Line& Dec(uint64_t value) {
        char digits[20];
        int k = 0;
        do {
            digits[k++] = static_cast<char>('0' + value % 10);
            value /= 10;
        } while (value != 0);
        while (k > 0 && n_ < sizeof buf_) buf_[n_++] = digits[--k];
        return *this;
    }
    std::string_view View() const { return {buf_, n_}; }

private:
    char buf_[192];
    size_t n_ = 0;
};

bool Put(DECODE_CONTEXT& ctx, const Line& line) { return ctx.page && ctx.page->Append(line.View()); }

// Runs a write whole or not at all: on failure the page goes back to where
// it was (and stays full).
template <class F>
bool Whole(DECODE_CONTEXT& ctx, F write) {
    if (ctx.page == nullptr) return false;
    PageBuffer& page = *ctx.page;
    const PageMark mark = page.Mark();
    if (write(page)) return true;
    page.Rollback(mark);
    return false;
}

bool TextCell(DECODE_CONTEXT& ctx, std::string_view head, std::string_view text, std::string_view tail) {
    return Whole(ctx, [&](PageBuffer& p) { return p.Append(head) && p.AppendText(text) && p.Append(tail); });
}

std::string_view Str(const char* s) { return s ? std::string_view(s) : std::string_view(); }

// Hex dump bytes ("XX&nbsp;", a line break before every 8th), cut at the limit.
bool HexDumpBody(PageBuffer& p, std::span<const uint8_t> bytes) {
    const size_t n = bytes.size() < kHexDumpLimit ? bytes.size() : kHexDumpLimit;
    for (size_t i = 0; i < n; i += 8) {
        Line line;
        if (i != 0) line.Text("<br>");
        for (size_t j = i; j < n && j < i + 8; ++j) line.Hex(bytes[j], 2).Text("&nbsp;");
        if (!p.Append(line.View())) return false;
    }
    if (bytes.size() > n) {
        const size_t more = bytes.size() - n;
        return p.AppendF("<br>(%" PRIu64 " more byte%s not shown)", static_cast<uint64_t>(more), more == 1 ? "" : "s");
    }
    return true;
}

bool WordArrayBody(PageBuffer& p, std::span<const uint8_t> bytes) {
    const size_t n = bytes.size() < kHexDumpLimit ? bytes.size() : kHexDumpLimit;
    const size_t words = n / 2;
    for (size_t w = 0; w < words; ++w) {
        const unsigned value = bytes[2 * w] | (bytes[2 * w + 1] << 8);
        Line line;
        line.Text((w != 0 && w % 4 == 0) ? "<br>" : "").Hex(value, 4).Text((w % 4 == 3) ? "h" : "h&nbsp;");
        if (!p.Append(line.View())) return false;
    }
    if (n % 2 != 0 && !p.AppendF("%s%02Xh", (words != 0 && words % 4 == 0) ? "<br>" : "", bytes[n - 1])) {
        return false;
    }
    if (bytes.size() > n) {
        const size_t more = bytes.size() - n;
        return p.AppendF("<br>(%" PRIu64 " more byte%s not shown)", static_cast<uint64_t>(more), more == 1 ? "" : "s");
    }
    return true;
}

// Begin row, offset, name, size; the caller's value and description; end row.
template <class F>
bool Row(DECODE_CONTEXT& ctx, uint32_t offset, const char* name, uint32_t size, F valueAndDescription) {
    return BeginTableRow(ctx) && WriteOffsetCell(ctx, offset) && WriteFieldNameCell(ctx, name) &&
           WriteSizeCell(ctx, size) && valueAndDescription() && EndTableRow(ctx);
}

bool BitRow(DECODE_CONTEXT& ctx, const char* name, uint32_t byteCount, uint32_t mask, uint32_t value,
            const char* description, bool error) {
    char label[8];
    char pattern[40];
    FormatBitLabel(mask, label, sizeof label);
    FormatBitPattern(byteCount, mask, value, pattern, sizeof pattern);
    return BeginTableRow(ctx) && (!ctx.offsetColumn || WriteEmptyCell(ctx)) && WriteBitFieldNameCell(ctx, label, name) &&
           (!ctx.sizeColumn || WriteEmptyCell(ctx)) &&
           (error ? WriteErrorBitPatternValueCell(ctx, pattern) : WriteBitPatternValueCell(ctx, pattern)) &&
           (error ? WriteErrorDescriptionCell(ctx, description) : WriteDescriptionCell(ctx, description)) &&
           EndTableRow(ctx);
}

} // namespace

// --- Cells -----------------------------------------------------------------

bool WriteEmptyCell(DECODE_CONTEXT& ctx) {
    return ctx.page && ctx.page->Append("<td class=\"ud\"></td>\r\n");
}

bool WriteFieldNameCell(DECODE_CONTEXT& ctx, const char* name) {
    return TextCell(ctx, "<td class=\"udfld\"><nobr>", Str(name), "</nobr></td>\r\n");
}

bool WriteOffsetCell(DECODE_CONTEXT& ctx, uint32_t offset) {
    if (!ctx.offsetColumn) return ctx.page != nullptr && !ctx.page->full();
    return Put(ctx, Line().Text("<td class=\"udofs\">").Dec(offset).Text("</td>\r\n"));
}

bool WriteSizeCell(DECODE_CONTEXT& ctx, uint32_t size) {
    if (!ctx.sizeColumn) return ctx.page != nullptr && !ctx.page->full();
    return Put(ctx, Line().Text("<td class=\"udsiz\">").Dec(size).Text("</td>\r\n"));
}

bool WriteDescriptionCell(DECODE_CONTEXT& ctx, const char* text) {
    if (text == nullptr) return WriteEmptyCell(ctx);
    return TextCell(ctx, "<td class=\"uddes\">", text, "</td>\r\n");
}

bool WriteErrorDescriptionCell(DECODE_CONTEXT& ctx, const char* text) {
    if (text == nullptr) return WriteEmptyCell(ctx);
    return TextCell(ctx, "<td class=\"uddes\"><span class=\"error\">", text, "</span></td>\r\n");
}

bool WriteNibbleValueCell(DECODE_CONTEXT& ctx, uint8_t value) {
    return Put(ctx, Line().Text("<td class=\"udval\">").Hex(value, 1).Text("h</td>\r\n"));
}

bool WriteByteValueCell(DECODE_CONTEXT& ctx, uint8_t value) {
    return Put(ctx, Line().Text("<td class=\"udval\">").Hex(value, 2).Text("h</td>\r\n"));
}

bool WriteErrorByteValueCell(DECODE_CONTEXT& ctx, uint8_t value) {
    return Put(ctx, Line().Text("<td class=\"udval\"><span class=\"error\">").Hex(value, 2).Text("h</span></td>\r\n"));
}

bool WriteWordValueCell(DECODE_CONTEXT& ctx, uint16_t value) {
    return Put(ctx, Line().Text("<td class=\"udval\">").Hex(value, 4).Text("h</td>\r\n"));
}

bool WriteErrorWordValueCell(DECODE_CONTEXT& ctx, uint16_t value) {
    return Put(ctx, Line().Text("<td class=\"udval\"><span class=\"error\">").Hex(value, 4).Text("h</span></td>\r\n"));
}

bool WriteTriByteValueCell(DECODE_CONTEXT& ctx, uint32_t value) {
    return Put(ctx, Line().Text("<td class=\"udval\">").Hex(value, 6).Text("h</td>\r\n"));
}

bool WriteDwordValueCell(DECODE_CONTEXT& ctx, uint32_t value) {
    return Put(ctx, Line().Text("<td class=\"udval\">").Hex(value, 8).Text("h</td>\r\n"));
}

bool WriteQwordValueCell(DECODE_CONTEXT& ctx, uint64_t value) {
    return Put(ctx, Line().Text("<td class=\"udval\">").Hex(value, 16).Text("h</td>\r\n"));
}

bool WriteBytePairValueCell(DECODE_CONTEXT& ctx, uint8_t first, uint8_t second) {
    return Put(ctx, Line().Text("<td class=\"udval\">").Hex(first, 2).Text("h&nbsp;").Hex(second, 2).Text("h</td>\r\n"));
}

bool WriteQuotedValueCell(DECODE_CONTEXT& ctx, std::string_view text) {
    return TextCell(ctx, "<td class=\"udval\">\"", text, "\"</td>\r\n");
}

bool WriteGuidValueCell(DECODE_CONTEXT& ctx, std::span<const uint8_t> g) {
    if (g.size() < 16) return WriteErrorHexDumpCell(ctx, g);
    const uint32_t d1 = g[0] | (g[1] << 8) | (g[2] << 16) | (static_cast<uint32_t>(g[3]) << 24);
    return ctx.page &&
           ctx.page->AppendF("<td class=\"udval\"><nobr>%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X</nobr></td>\r\n",
                             d1, g[4] | (g[5] << 8), g[6] | (g[7] << 8), g[8], g[9], g[10], g[11], g[12], g[13], g[14],
                             g[15]);
}

bool WriteBitPatternValueCell(DECODE_CONTEXT& ctx, const char* pattern) {
    return TextCell(ctx, "<td class=\"udval\"><nobr>", Str(pattern), "&nbsp;</nobr></td>\r\n");
}

bool WriteErrorBitPatternValueCell(DECODE_CONTEXT& ctx, const char* pattern) {
    return TextCell(ctx, "<td class=\"udval\"><span class=\"error\"><nobr>", Str(pattern),
                    "&nbsp;</nobr></span></td>\r\n");
}

bool WriteBitFieldNameCell(DECODE_CONTEXT& ctx, const char* bitLabel, const char* name) {
    return Whole(ctx, [&](PageBuffer& p) {
        return p.Append("<td class=\"udbmfld\"><nobr>") && p.AppendText(Str(bitLabel)) && p.Append(": ") &&
               p.AppendText(Str(name)) && p.Append("</nobr></td>\r\n");
    });
}

bool WriteHexDumpCell(DECODE_CONTEXT& ctx, std::span<const uint8_t> bytes) {
    return Whole(ctx, [&](PageBuffer& p) {
        return p.Append("<td class=\"udhex\"><nobr>") && HexDumpBody(p, bytes) && p.Append("</nobr></td>\r\n");
    });
}

bool WriteErrorHexDumpCell(DECODE_CONTEXT& ctx, std::span<const uint8_t> bytes) {
    return Whole(ctx, [&](PageBuffer& p) {
        return p.Append("<td class=\"udhex\"><span class=\"error\"><nobr>") && HexDumpBody(p, bytes) &&
               p.Append("</nobr></span></td>\r\n");
    });
}

bool WriteWordArrayCell(DECODE_CONTEXT& ctx, std::span<const uint8_t> bytes) {
    return Whole(ctx, [&](PageBuffer& p) {
        return p.Append("<td class=\"udhex\"><nobr>") && WordArrayBody(p, bytes) && p.Append("</nobr></td>\r\n");
    });
}

// --- Frames ------------------------------------------------------------------

bool BeginFieldTable(DECODE_CONTEXT& ctx) {
    return Whole(ctx, [&](PageBuffer& p) {
        if (!p.Open(PageElement::Table, "<table cellspacing=\"0\">\r\n")) return false;
        if (!ctx.headerRow) return true;
        return p.AppendF("<tr valign=\"top\">%s<th class=\"ud\">Field</th>%s<th class=\"ud\">Value</th>"
                         "<th class=\"ud\">Description</th></tr>\r\n",
                         ctx.offsetColumn ? "<th class=\"ud\">Offset</th>" : "",
                         ctx.sizeColumn ? "<th class=\"ud\">Size</th>" : "");
    });
}

bool EndFieldTable(DECODE_CONTEXT& ctx) {
    return ctx.page && ctx.page->Close(PageElement::Table, "</table>\r\n");
}

bool BeginTableRow(DECODE_CONTEXT& ctx) {
    return ctx.page && ctx.page->Open(PageElement::Row, "<tr valign=\"top\">\r\n");
}

bool EndTableRow(DECODE_CONTEXT& ctx) {
    return ctx.page && ctx.page->Close(PageElement::Row, "</tr>\r\n");
}

bool WriteSpacerRow(DECODE_CONTEXT& ctx) {
    return ctx.page && ctx.page->Append("<tr><td style=\"height:.3em\"></td></tr>\r\n");
}

bool BeginIndentDiv(DECODE_CONTEXT& ctx) {
    if (!ctx.page || !ctx.page->Open(PageElement::Division, "<div class=\"uddiv2\">\r\n")) return false;
    ++ctx.divisionDepth;
    return true;
}

bool EndIndentDiv(DECODE_CONTEXT& ctx) {
    if (!ctx.page || !ctx.page->Close(PageElement::Division, "</div>\r\n")) return false;
    --ctx.divisionDepth;
    return true;
}

// --- Rows ----------------------------------------------------------------------

bool WriteByteRow(DECODE_CONTEXT& ctx, uint32_t offset, const char* name, uint32_t size, uint8_t value,
                  const char* description) {
    return Row(ctx, offset, name, size,
               [&] { return WriteByteValueCell(ctx, value) && WriteDescriptionCell(ctx, description); });
}

bool WriteErrorByteRow(DECODE_CONTEXT& ctx, uint32_t offset, const char* name, uint32_t size, uint8_t value,
                       const char* description) {
    return Row(ctx, offset, name, size,
               [&] { return WriteErrorByteValueCell(ctx, value) && WriteErrorDescriptionCell(ctx, description); });
}

bool WriteWordRow(DECODE_CONTEXT& ctx, uint32_t offset, const char* name, uint32_t size, uint16_t value,
                  const char* description) {
    return Row(ctx, offset, name, size,
               [&] { return WriteWordValueCell(ctx, value) && WriteDescriptionCell(ctx, description); });
}

bool WriteErrorWordRow(DECODE_CONTEXT& ctx, uint32_t offset, const char* name, uint32_t size, uint16_t value,
                       const char* description) {
    return Row(ctx, offset, name, size,
               [&] { return WriteErrorWordValueCell(ctx, value) && WriteErrorDescriptionCell(ctx, description); });
}

bool WriteDwordRow(DECODE_CONTEXT& ctx, uint32_t offset, const char* name, uint32_t size, uint32_t value,
                   const char* description) {
    return Row(ctx, offset, name, size,
               [&] { return WriteDwordValueCell(ctx, value) && WriteDescriptionCell(ctx, description); });
}

bool WriteQwordRow(DECODE_CONTEXT& ctx, uint32_t offset, const char* name, uint32_t size, uint64_t value,
                   const char* description) {
    return Row(ctx, offset, name, size,
               [&] { return WriteQwordValueCell(ctx, value) && WriteDescriptionCell(ctx, description); });
}

bool WriteValueRow(DECODE_CONTEXT& ctx, uint32_t offset, const char* name, std::span<const uint8_t> v,
                   const char* description) {
    const uint32_t size = static_cast<uint32_t>(v.size());
    return Row(ctx, offset, name, size, [&] {
        bool ok;
        switch (v.size()) {
        case 1: ok = WriteByteValueCell(ctx, v[0]); break;
        case 2: ok = WriteWordValueCell(ctx, static_cast<uint16_t>(v[0] | (v[1] << 8))); break;
        case 3: ok = WriteTriByteValueCell(ctx, v[0] | (v[1] << 8) | (v[2] << 16)); break;
        case 4: ok = WriteDwordValueCell(ctx, v[0] | (v[1] << 8) | (v[2] << 16) | (static_cast<uint32_t>(v[3]) << 24)); break;
        default: ok = WriteHexDumpCell(ctx, v); break;
        }
        return ok && WriteDescriptionCell(ctx, description);
    });
}

bool WriteBytesRow(DECODE_CONTEXT& ctx, uint32_t offset, const char* name, std::span<const uint8_t> bytes,
                   const char* description) {
    return Row(ctx, offset, name, static_cast<uint32_t>(bytes.size()),
               [&] { return WriteHexDumpCell(ctx, bytes) && WriteDescriptionCell(ctx, description); });
}

bool WriteErrorBytesRow(DECODE_CONTEXT& ctx, uint32_t offset, const char* name, std::span<const uint8_t> bytes,
                        const char* description) {
    return Row(ctx, offset, name, static_cast<uint32_t>(bytes.size()),
               [&] { return WriteErrorHexDumpCell(ctx, bytes) && WriteErrorDescriptionCell(ctx, description); });
}

bool WriteWordArrayRow(DECODE_CONTEXT& ctx, uint32_t offset, const char* name, std::span<const uint8_t> bytes,
                       const char* description) {
    return Row(ctx, offset, name, static_cast<uint32_t>(bytes.size()),
               [&] { return WriteWordArrayCell(ctx, bytes) && WriteDescriptionCell(ctx, description); });
}

bool WriteGuidRow(DECODE_CONTEXT& ctx, uint32_t offset, const char* name, std::span<const uint8_t> guid,
                  const char* description) {
    return Row(ctx, offset, name, 16, [&] {
        if (guid.size() < 16) {
            return WriteErrorHexDumpCell(ctx, guid) && WriteErrorDescriptionCell(ctx, "Incomplete GUID");
        }
        return WriteGuidValueCell(ctx, guid.first(16)) && WriteDescriptionCell(ctx, description);
    });
}

bool WriteQuotedRow(DECODE_CONTEXT& ctx, uint32_t offset, const char* name, uint32_t size, std::string_view text,
                    const char* description) {
    return Row(ctx, offset, name, size,
               [&] { return WriteQuotedValueCell(ctx, text) && WriteDescriptionCell(ctx, description); });
}

bool WriteBitFieldRow(DECODE_CONTEXT& ctx, const char* name, uint32_t byteCount, uint32_t mask, uint32_t value,
                      const char* description) {
    return BitRow(ctx, name, byteCount, mask, value, description, false);
}

bool WriteErrorBitFieldRow(DECODE_CONTEXT& ctx, const char* name, uint32_t byteCount, uint32_t mask,
                           uint32_t value, const char* description) {
    return BitRow(ctx, name, byteCount, mask, value, description, true);
}

bool WriteUndecodedBytesRow(DECODE_CONTEXT& ctx, uint32_t offset, std::span<const uint8_t> bytes) {
    if (bytes.empty()) return ctx.page != nullptr && !ctx.page->full();
    char text[48];
    std::snprintf(text, sizeof text, "%" PRIu64 " byte%s not decoded", static_cast<uint64_t>(bytes.size()), bytes.size() == 1 ? "" : "s");
    return WriteErrorBytesRow(ctx, offset, "Undecoded", bytes, text);
}

// --- Formatting helpers ----------------------------------------------------------

size_t FormatBitLabel(uint32_t mask, char* out, size_t size) {
    if (out == nullptr || size == 0) return 0;
    out[0] = '\0';
    if (mask == 0) return 0;
    uint32_t low = 0;
    while (((mask >> low) & 1u) == 0) ++low;
    uint32_t high = low;
    while (high < 31 && ((mask >> (high + 1)) & 1u) != 0) ++high;
    const int n = high == low ? std::snprintf(out, size, "%u", low) : std::snprintf(out, size, "%u..%u", high, low);
    if (n < 0 || static_cast<size_t>(n) >= size) {
        out[0] = '\0';
        return 0;
    }
    return static_cast<size_t>(n);
}

size_t FormatBitPattern(uint32_t byteCount, uint32_t mask, uint32_t value, char* out, size_t size) {
    if (out == nullptr || size == 0) return 0;
    out[0] = '\0';
    if (byteCount < 1 || byteCount > 4 || size < byteCount * 9) return 0;
    size_t n = 0;
    for (int bit = static_cast<int>(byteCount * 8) - 1; bit >= 0; --bit) {
        const uint32_t b = 1u << bit;
        out[n++] = (mask & b) == 0 ? '.' : ((value & b) != 0 ? '1' : '0');
        if (bit % 8 == 0 && bit != 0) out[n++] = ' ';
    }
    out[n] = '\0';
    return n;
}

size_t FormatGuid(std::span<const uint8_t> g, char* out, size_t size) {
    if (out == nullptr || size == 0) return 0;
    out[0] = '\0';
    if (size < 39 || g.size() < 16) return 0;
    const uint32_t d1 = g[0] | (g[1] << 8) | (g[2] << 16) | (static_cast<uint32_t>(g[3]) << 24);
    std::snprintf(out, size, "{%08x-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x}", d1, g[4] | (g[5] << 8),
                  g[6] | (g[7] << 8), g[8], g[9], g[10], g[11], g[12], g[13], g[14], g[15]);
    return 38;
}

// --- Descriptor helpers --------------------------------------------------------

size_t FormatDescriptorAnchorName(const DECODE_CONTEXT& ctx, const uint8_t* descriptor, char* out, size_t size) {
    if (out == nullptr || size == 0) return 0;
    const uint8_t* base = ctx.anchorBase.data();
    const std::less<const uint8_t*> before;
    int n;
    if (descriptor != nullptr && base != nullptr && !before(descriptor, base) &&
        before(descriptor, base + ctx.anchorBase.size())) {
        n = std::snprintf(out, size, "n%u_%" PRIu64, ctx.anchorSet, static_cast<uint64_t>(descriptor - base));
    } else {
        n = std::snprintf(out, size, "n%u_x", ctx.anchorSet);
    }
    if (n < 0 || static_cast<size_t>(n) >= size) {
        out[0] = '\0';
        return 0;
    }
    return static_cast<size_t>(n);
}

bool WriteDescriptorAnchorTitle(DECODE_CONTEXT& ctx, const char* anchorName, std::string_view titleMarkup) {
    return Whole(ctx, [&](PageBuffer& p) {
        return p.Append("<div class=\"uddiv1\"><a name=\"") && p.AppendText(anchorName ? anchorName : "#") &&
               p.Append("\">") && p.Append(titleMarkup) && p.Append("</a></div>\r\n");
    });
}

size_t FormatBoldTitle(const char* title, const char* text, char* out, size_t size) {
    if (out == nullptr || size == 0) return 0;
    std::string s = "<b>";
    AppendMarkupText(s, Str(title));
    s += "</b> ";
    AppendMarkupText(s, Str(text));
    if (s.size() >= size) {
        out[0] = '\0';
        return 0;
    }
    std::memcpy(out, s.data(), s.size() + 1);
    return s.size();
}

size_t FormatDescriptorTitle(const char* name, const char* text, char* out, size_t size) {
    char title[256];
    std::snprintf(title, sizeof title, "%s Descriptor", name ? name : "");
    return FormatBoldTitle(title, text, out, size);
}

bool WriteBLengthRow(DECODE_CONTEXT& ctx, uint8_t expected) {
    if (!ctx.detail) return ctx.page != nullptr && !ctx.page->full();
    if (ctx.bytes.empty()) return WriteErrorBytesRow(ctx, 0, "bLength", ctx.bytes, "Missing");
    const uint8_t value = ctx.bytes[0];
    if (value == expected) return WriteByteRow(ctx, 0, "bLength", 1, value, nullptr);
    char text[40];
    std::snprintf(text, sizeof text, "Incorrect, should be %02Xh", expected);
    return WriteErrorByteRow(ctx, 0, "bLength", 1, value, text);
}

const char* IntervalName(uint32_t exponent) {
    static const char* const kNames[] = {"125 us", "250 us", "500 us", "1 ms",   "2 ms",   "4 ms",
                                         "8 ms",   "16 ms",  "32 ms",  "64 ms",  "128 ms", "256 ms",
                                         "512 ms", "1 s",    "2 s",    "4 s"};
    static_assert(std::size(kNames) == 16);
    return exponent >= 1 && exponent <= 16 ? kNames[exponent - 1] : "";
}

bool RenderUnrecognizedDescriptor(DECODE_CONTEXT& ctx) {
    if (ctx.bytes.size() < 2 || ctx.bytes[0] < 2) return false;
    const std::span<const uint8_t> d = ctx.bytes.first(ctx.bytes[0] < ctx.bytes.size() ? ctx.bytes[0] : ctx.bytes.size());
    const uint8_t type = d[1];
    const char* name = nullptr;
    const char* typeName = nullptr;
    switch ((type >> 5) & 3) {
    case 0:
        typeName = DescriptorTypeName(type);
        name = typeName ? typeName : "Unrecognized Standard";
        break;
    case 1: {
        const uint8_t subtype = d.size() >= 3 ? d[2] : 0;
        const std::span<const uint8_t> itf = ctx.descriptor.interfaceDescriptor;
        const bool haveItf = itf.size() >= 8;
        typeName = ClassDescriptorName(type, subtype, haveItf ? itf[5] : ctx.descriptor.bDeviceClass,
                                       haveItf ? itf[6] : ctx.descriptor.bDeviceSubClass,
                                       haveItf ? itf[7] : ctx.descriptor.bDeviceProtocol);
        name = typeName ? typeName : "Unrecognized Class-Specific";
        break;
    }
    case 2: name = "Unrecognized Vendor-Specific"; break;
    default: name = "Unrecognized"; break;
    }
    char anchor[24];
    char title[600];
    FormatDescriptorAnchorName(ctx, d.data(), anchor, sizeof anchor);
    FormatDescriptorTitle(name, nullptr, title, sizeof title);
    bool ok = WriteDescriptorAnchorTitle(ctx, anchor, title) && BeginFieldTable(ctx) &&
              WriteByteRow(ctx, 0, "bLength", 1, d[0], d.size() < d[0] ? "Longer than the bytes held" : nullptr) &&
              WriteByteRow(ctx, 1, "bDescriptorType", 1, type, typeName) &&
              (d.size() <= 2 || WriteBytesRow(ctx, 2, nullptr, d.subspan(2), nullptr));
    return EndFieldTable(ctx) && ok;
}

size_t GetStringDescriptorText(const DECODE_CONTEXT& ctx, uint32_t index, char* out, size_t size) {
    if (out == nullptr || size == 0) return 0;
    out[0] = '\0';
    if (ctx.stringCallback == nullptr || (index & 0xFF) == 0) return 0;
    char16_t wide[kStringDescriptorChars];
    uint32_t n = 0;
    try {
        n = ctx.stringCallback(static_cast<uint8_t>(index), wide, kStringDescriptorChars, ctx.userData);
    } catch (...) {
        n = 0;
    }
    if (n == 0 || n > kStringDescriptorChars) return 0;
    const std::string ansi = WideToAnsi(std::u16string_view(wide, WideLength(wide, n)));
    if (ansi.empty() || ansi.size() > 255 || size < ansi.size() + 3) return 0;
    size_t k = 0;
    out[k++] = '"';
    for (char c : ansi) {
        const auto b = static_cast<uint8_t>(c);
        out[k++] = (b >= 0x20 && b <= 0x7E) ? c : '.';
    }
    out[k++] = '"';
    out[k] = '\0';
    return k;
}

} // namespace brx
