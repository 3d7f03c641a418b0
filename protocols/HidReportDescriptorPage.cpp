#include "protocols/HidReportDescriptorPage.h"

#include <cinttypes>
#include <cstdio>
#include <span>
#include <string>

#include "base/Markup.h"
#include "capture/HidParser.h"
#include "decode/HtmlWriters.h"
#include "protocols/HidUsageNames.h"

namespace brx {

const std::string_view HID_REPORT_DESCRIPTOR_STYLE_SHEET =
    "div.hrddiv1 {font-size: 8pt; font-style: normal; text-decoration: none; margin-top: 12px; "
    "margin-right: 0; margin-bottom: 4px; margin-left: 1px; text-align: left}\r\n"
    "div.hrddiv2 {font-size: 8pt; font-style: normal; text-decoration: none; margin-top: 2px; "
    "margin-right: 0; margin-bottom: 2px; margin-left: 0; text-align: left}\r\n"
    "th.hrd {padding-top: 0; padding-right: 3px; padding-bottom: 0; padding-left: 3px; "
    "background-color: #c9c9c9; color: #fff; text-align: left; font-size: 8pt; white-space: nowrap; "
    "vertical-align: bottom; border: 1px solid #fff; font-weight: normal}\r\n"
    "td.hrdn {padding-top: 0; padding-right: 3px; padding-bottom: 0; padding-left: 3px; "
    "vertical-align: top; font-size: 8pt; white-space: nowrap; background-color: #fff}\r\n"
    "td.hrdm {padding-top: 0; padding-right: 3px; padding-bottom: 0; padding-left: 3px; "
    "font-family: \"Courier New\",Courier,mono; vertical-align: top; font-size: 8pt; text-align: left; "
    "white-space: nowrap; background-color: #fff}\r\n"
    "td.hrdnin {padding-top: 0; padding-right: 3px; padding-bottom: 0; padding-left: 3px; "
    "vertical-align: top; font-size: 8pt; white-space: nowrap; background-color: #e0ffe0; "
    "border: 1px solid #e0ffe0}\r\n"
    "td.hrdmin {padding-top: 0; padding-right: 3px; padding-bottom: 0; padding-left: 3px; "
    "font-family: \"Courier New\",Courier,mono; vertical-align: top; font-size: 8pt; text-align: left; "
    "white-space: nowrap; background-color: #e0ffe0; border: 1px solid #e0ffe0}\r\n"
    "td.hrdnout {padding-top: 0; padding-right: 3px; padding-bottom: 0; padding-left: 3px; "
    "vertical-align: top; font-size: 8pt; white-space: nowrap; background-color: #ffe4e4; "
    "border: 1px solid #ffe4e4}\r\n"
    "td.hrdmout {padding-top: 0; padding-right: 3px; padding-bottom: 0; padding-left: 3px; "
    "font-family: \"Courier New\",Courier,mono; vertical-align: top; font-size: 8pt; text-align: left; "
    "white-space: nowrap; background-color: #ffe4e4; border: 1px solid #ffe4e4}\r\n"
    "td.hrdnfea {padding-top: 0; padding-right: 3px; padding-bottom: 0; padding-left: 3px; "
    "vertical-align: top; font-size: 8pt; white-space: nowrap; background-color: #ffffd4; "
    "border: 1px solid #ffffd4}\r\n"
    "td.hrdmfea {padding-top: 0; padding-right: 3px; padding-bottom: 0; padding-left: 3px; "
    "font-family: \"Courier New\",Courier,mono; vertical-align: top; font-size: 8pt; text-align: left; "
    "white-space: nowrap; background-color: #ffffd4; border: 1px solid #ffffd4}\r\n";

namespace {

enum : uint8_t { kMain = 0, kGlobal = 1, kLocal = 2 };
constexpr uint32_t kMaxPush = 31;
constexpr uint32_t kMaxIndentDepth = 8;

// One table row: its texts and how it is drawn.
struct ItemRow {
    const char* tag = "";
    std::string value;
    const char* letter = "";
    uint32_t reportKind = 0;  // 0 none, 1 Input, 2 Output, 3 Feature
    bool bold = false;
    std::span<const uint8_t> raw;
};

class DescriptorTable {
public:
    DescriptorTable(DECODE_CONTEXT& ctx, uint32_t options) : ctx_(ctx), page_(*ctx.page), options_(options) {}

    bool Title(uint32_t interfaceNumber);
    bool Table();

private:
    bool Main(const HID_ITEM& item, ItemRow& row);
    bool Global(const HID_ITEM& item, ItemRow& row);
    bool Local(const HID_ITEM& item, ItemRow& row);
    bool CutItem(size_t pos);
    bool Row(const ItemRow& row);
    bool TextCell(const char* cls, const ItemRow& row, bool withTag, bool withValue);
    bool RawCell(const char* cls, std::span<const uint8_t> raw);
    std::string UsageValue(const HID_ITEM& item) const;

    DECODE_CONTEXT& ctx_;
    PageBuffer& page_;
    uint32_t options_;
    uint32_t depth_ = 0;
    uint16_t usagePage_ = 0;
    uint16_t saved_[kMaxPush] = {};
    uint32_t pushed_ = 0;
};

bool DescriptorTable::Title(uint32_t interfaceNumber) {
    const std::span<const uint8_t> d = ctx_.bytes;
    // The first usage of the descriptor, with its page, names it.
    uint16_t page = 0, usage = 0;
    size_t pos = 0;
    HID_ITEM item;
    while (HidReadItem(d.data(), d.size(), pos, item)) {
        if (item.type == kGlobal && item.tag == 0) {
            page = uint16_t(item.data);
        } else if (item.type == kLocal && item.tag == 0) {
            if (item.size == 4) page = uint16_t(item.data >> 16);
            usage = uint16_t(item.data);
            break;
        } else if (item.type == kMain && item.tag == 10) {
            break;
        }
    }
    char name[kHidNameSize];
    const char* usageText = page != 0 && usage != 0 ? HidUsageText(page, usage, name, sizeof name) : "";
    char title[48];
    if (interfaceNumber != kHidNoInterface)
        std::snprintf(title, sizeof title, "Interface %" PRIu32 " HID Report Descriptor", interfaceNumber);
    else
        std::snprintf(title, sizeof title, "HID Report Descriptor");
    char anchor[24];
    FormatDescriptorAnchorName(ctx_, d.data(), anchor, sizeof anchor);
    const PageMark mark = page_.Mark();
    if (page_.Append("<div class=\"hrddiv1\"><a name=\"") && page_.AppendText(anchor[0] ? anchor : "#") &&
        page_.Append("\"><b>") && page_.AppendText(title) && page_.Append("</b> ") &&
        page_.AppendText(usageText) && page_.Append("</a></div>\r\n"))
        return true;
    page_.Rollback(mark);
    return false;
}

bool DescriptorTable::Table() {
    if (!page_.Open(PageElement::Table, "<table cellspacing=\"0\">\r\n")) return false;
    if (options_ & HRD_HEADER_ROW) {
        const PageMark mark = page_.Mark();
        bool ok = page_.Open(PageElement::Row, "<tr>\r\n");
        if (options_ & HRD_SEPARATE_VALUE)
            ok = ok && page_.Append("<th class=\"hrd\">Item Tag</th>\r\n<th class=\"hrd\">Value</th>\r\n");
        else
            ok = ok && page_.Append("<th class=\"hrd\">Item Tag (Value)</th>\r\n");
        ok = ok && page_.Append("<th class=\"hrd\">Raw Data</th>\r\n");
        if (options_ & HRD_TYPE_COLUMN) ok = ok && page_.Append("<th class=\"hrd\">T</th>\r\n");
        if (options_ & HRD_COMMENT_COLUMN) ok = ok && page_.Append("<th class=\"hrd\">Comment</th>\r\n");
        ok = ok && page_.Close(PageElement::Row, "</tr>\r\n");
        if (!ok) {
            page_.Rollback(mark);
            return false;
        }
    }
    const std::span<const uint8_t> d = ctx_.bytes;
    size_t pos = 0;
    HID_ITEM item;
    for (;;) {
        if (!HidReadItem(d.data(), d.size(), pos, item)) {
            if (pos < d.size() && !CutItem(pos)) return false;
            break;
        }
        ItemRow row;
        row.raw = d.subspan(pos - 1 - item.size, 1 + item.size);
        bool ok = true;
        switch (item.type) {
        case kMain: ok = Main(item, row); break;
        case kGlobal: ok = Global(item, row); break;
        case kLocal: ok = Local(item, row); break;
        default: break;  // reserved item type: no row
        }
        if (!ok) return false;
    }
    return page_.Close(PageElement::Table, "</table>\r\n");
}

bool DescriptorTable::Main(const HID_ITEM& item, ItemRow& row) {
    row.tag = HidMainItemTagName(item.tag);
    row.letter = "m";
    char text[kHidItemTextSize];
    FormatHidMainItemData(item.tag, item.data, text, sizeof text);
    row.value = text;
    switch (item.tag) {
    case 8: case 9: case 11:
        row.bold = true;
        row.reportKind = item.tag == 8 ? 1 : item.tag == 9 ? 2 : 3;
        return Row(row);
    case 10:
        if (!Row(row)) return false;
        ++depth_;
        return true;
    case 12:
        if (depth_ > 0) --depth_;
        return Row(row);
    default:
        return true;
    }
}

bool DescriptorTable::Global(const HID_ITEM& item, ItemRow& row) {
    row.tag = HidGlobalItemTagName(item.tag);
    row.letter = "g";
    char text[kHidItemTextSize];
    switch (item.tag) {
    case 0:
        usagePage_ = uint16_t(item.data);
        row.value = HidUsagePageText(usagePage_, text, sizeof text);
        break;
    case 1: case 2: case 3: case 4:
        std::snprintf(text, sizeof text, "%" PRId32, item.sdata);
        row.value = text;
        break;
    case 5: {
        const char* exponent = HidUnitExponentText(item.data);
        if (exponent) row.value = exponent;
        break;
    }
    case 6:
        if (FormatHidUnit(item.data, text, sizeof text)) row.value = text;
        break;
    case 7: case 8: case 9:
        std::snprintf(text, sizeof text, "%" PRIu32, item.data);
        row.value = text;
        break;
    case 10:  // Push: a 32nd push saves nothing
        if (pushed_ < kMaxPush) saved_[pushed_++] = usagePage_;
        break;
    case 11:
        if (pushed_ > 0) usagePage_ = saved_[--pushed_];
        break;
    default:
        return true;
    }
    return Row(row);
}

std::string DescriptorTable::UsageValue(const HID_ITEM& item) const {
    char pageName[kHidNameSize], usageName[kHidNameSize];
    if (item.size == 4) {
        const uint16_t page = uint16_t(item.data >> 16);
        return std::string(HidUsagePageText(page, pageName, sizeof pageName)) + ":" +
               HidUsageText(page, uint16_t(item.data), usageName, sizeof usageName);
    }
    return HidUsageText(usagePage_, uint16_t(item.data), usageName, sizeof usageName);
}

bool DescriptorTable::Local(const HID_ITEM& item, ItemRow& row) {
    row.tag = HidLocalItemTagName(item.tag);
    row.letter = "l";
    char text[kHidItemTextSize];
    switch (item.tag) {
    case 0: case 1: case 2:
        row.value = UsageValue(item);
        return Row(row);
    case 3: case 4: case 5: case 7: case 8: case 9:
        std::snprintf(text, sizeof text, "%" PRIu32, item.data);
        row.value = text;
        return Row(row);
    case 10:
        if (item.data != 0) {
            const char* open = HidDelimiterText(item.data);
            row.value = open && item.data == 1 ? open : "";
            if (!Row(row)) return false;
            ++depth_;
            return true;
        }
        if (depth_ > 0) --depth_;
        row.value = "Close";
        return Row(row);
    default:
        return true;
    }
}

// The last item runs past the end: its tag (when its prefix is a short
// item's) and the bytes that are there.
bool DescriptorTable::CutItem(size_t pos) {
    const std::span<const uint8_t> d = ctx_.bytes;
    const uint8_t prefix = d[pos];
    ItemRow row;
    row.raw = d.subspan(pos);
    char text[kHidItemTextSize];
    if (prefix == 0xFE) {
        row.tag = "Long Item";
        row.value = "Cut: the item runs past the end of the descriptor";
    } else {
        const uint8_t type = (prefix >> 2) & 3, tag = prefix >> 4;
        const uint32_t size = (prefix & 3) == 3 ? 4 : prefix & 3;
        row.tag = type == kMain ? HidMainItemTagName(tag)
                : type == kGlobal ? HidGlobalItemTagName(tag)
                : type == kLocal ? HidLocalItemTagName(tag) : "Reserved";
        row.letter = type == kMain ? "m" : type == kGlobal ? "g" : type == kLocal ? "l" : "";
        std::snprintf(text, sizeof text, "Cut: %u of %" PRIu32 " data bytes held",
                      unsigned(d.size() - pos - 1), size);
        row.value = text;
    }
    return Row(row);
}

bool DescriptorTable::TextCell(const char* cls, const ItemRow& row, bool withTag, bool withValue) {
    static constexpr char kIndent[] = "&nbsp;";
    const uint32_t spaces = depth_ < kMaxIndentDepth ? 4 * depth_ : 32;
    if (!page_.AppendF("<td class=\"%s\">", cls)) return false;
    if (withTag) {
        for (uint32_t k = 0; k < spaces; ++k)
            if (!page_.Append(kIndent)) return false;
        if (row.bold && !page_.Append("<b>")) return false;
        if (!page_.AppendText(row.tag)) return false;
        if (row.bold && !page_.Append("</b>")) return false;
        if (withValue && !row.value.empty())
            if (!page_.Append(" (") || !page_.AppendText(row.value) || !page_.Append(")")) return false;
    } else if (withValue && !page_.AppendText(row.value)) {
        return false;
    }
    return page_.Append("</td>\r\n");
}

bool DescriptorTable::RawCell(const char* cls, std::span<const uint8_t> raw) {
    if (!page_.AppendF("<td class=\"%s\">", cls)) return false;
    for (size_t i = 0; i < raw.size(); ++i) {
        if (i > 0 && i % 8 == 0 && !page_.Append("<br>")) return false;
        if (!page_.AppendF("%02X&nbsp;", raw[i])) return false;
    }
    return page_.Append("</td>\r\n");
}

bool DescriptorTable::Row(const ItemRow& row) {
    static constexpr const char* kText[] = {"hrdn", "hrdnin", "hrdnout", "hrdnfea"};
    static constexpr const char* kRaw[] = {"hrdm", "hrdmin", "hrdmout", "hrdmfea"};
    const uint32_t kind = (options_ & HRD_REPORT_CLASSES) && row.reportKind <= 3 ? row.reportKind : 0;
    const PageMark mark = page_.Mark();
    bool ok = page_.Open(PageElement::Row, "<tr>\r\n");
    if (options_ & HRD_SEPARATE_VALUE)
        ok = ok && TextCell(kText[kind], row, true, false) && TextCell(kText[kind], row, false, true);
    else
        ok = ok && TextCell(kText[kind], row, true, true);
    ok = ok && RawCell(kRaw[kind], row.raw);
    if (options_ & HRD_TYPE_COLUMN)
        ok = ok && page_.AppendF("<td class=\"%s\">%s</td>\r\n", kText[kind], row.letter);
    if (options_ & HRD_COMMENT_COLUMN) ok = ok && page_.AppendF("<td class=\"%s\"></td>\r\n", kText[kind]);
    ok = ok && page_.Close(PageElement::Row, "</tr>\r\n");
    if (!ok) page_.Rollback(mark);
    return ok;
}

} // namespace

bool RenderHidReportDescriptor(DECODE_CONTEXT& ctx, uint32_t interfaceNumber, uint32_t options) {
    if (ctx.page == nullptr || ctx.bytes.empty()) return false;
    DescriptorTable table(ctx, options);
    if (table.Title(interfaceNumber)) table.Table();
    return true;
}

} // namespace brx
