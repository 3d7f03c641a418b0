#include "protocols/HidReportValues.h"

#include <cinttypes>
#include <cstdio>
#include <string>

#include "protocols/HidUsageNames.h"

namespace brx {

const std::string_view HID_REPORT_STYLE_SHEET =
    "div.hrptdiv1 {font-size: 8pt; font-style: normal; text-decoration: none; margin-top: 12px; "
    "margin-right: 0; margin-bottom: 4px; margin-left: 1px; text-align: left}\r\n"
    "th.hrpt {padding-top: 1px; padding-right: 3px; padding-bottom: 1px; padding-left: 3px; "
    "background-color: #c9c9c9; color: #fff; text-align: left; font-size: 8pt; white-space: nowrap; "
    "vertical-align: bottom; border: 1px solid #fff; font-weight: normal}\r\n"
    "td.hrpt {padding-top: 0; padding-right: 10px; padding-bottom: 0; padding-left: 3px; "
    "vertical-align: top; font-size: 8pt; white-space: nowrap; background-color: #fff}\r\n";

namespace {

bool IsSigned(const HID_REPORT_ITEM& item) { return item.logicalMin < 0 || item.logicalMax < 0; }

// One bound of a range: "%i", or with hexadecimal "%Xh" ("%X" for 0); a
// negative bound in hexadecimal keeps its sign ("-7Fh").
std::string Bound(int32_t v, bool hex) {
    char text[16];
    if (!hex) {
        std::snprintf(text, sizeof text, "%" PRId32, v);
    } else {
        const uint32_t magnitude = v < 0 ? 0u - uint32_t(v) : uint32_t(v);
        std::snprintf(text, sizeof text, "%s%" PRIX32 "%s", v < 0 ? "-" : "", magnitude, v == 0 ? "" : "h");
    }
    return text;
}

std::string RangeText(const HID_REPORT_ITEM& item, uint32_t options) {
    if (item.isButton) return "Off..On";
    const bool hex = options & HRPT_HEXADECIMAL;
    std::string s = "[" + Bound(item.logicalMin, hex) + ".." + Bound(item.logicalMax, hex);
    if ((options & HRPT_PHYSICAL_ALWAYS) || item.physicalMin != item.logicalMin ||
        item.physicalMax != item.logicalMax)
        s += "]/[" + Bound(item.physicalMin, hex) + ".." + Bound(item.physicalMax, hex);
    return s + "]";
}

bool Cell(PageBuffer& page, std::string_view text) {
    return page.Append("<td class=\"hrpt\">") && page.AppendText(text) && page.Append("</td>\r\n");
}

} // namespace

const char* HidReportUsageText(uint16_t page, uint16_t usage, char* buf, size_t size) {
    const char* name = usage != 0 ? HidUsageName(page, usage, buf, size) : nullptr;
    if (name) return name;
    std::snprintf(buf, size, "Unknown %u", unsigned(usage));
    return buf;
}

void FormatHidReportValue(const HID_REPORT_ITEM& item, bool hexadecimal, char* buf, size_t size) {
    if (item.isButton) {
        std::snprintf(buf, size, "%s", item.value & 0xFF ? "On" : "Off");
    } else if (IsSigned(item)) {
        const std::string s = Bound(int32_t(item.value), hexadecimal);
        std::snprintf(buf, size, "%s", s.c_str());
    } else if (hexadecimal) {
        std::snprintf(buf, size, "%" PRIX32 "%s", item.value, item.value == 0 ? "" : "h");
    } else {
        std::snprintf(buf, size, "%" PRIu32, item.value);
    }
}

bool RenderHidReportFields(const HID_REPORT_TABLE_CONTEXT& ctx) {
    if (ctx.page == nullptr || ctx.items == nullptr || ctx.itemCount == 0) return false;
    PageBuffer& page = *ctx.page;
    const PageMark mark = page.Mark();
    bool ok = true;
    if (ctx.options & HRPT_TITLE) {
        static constexpr const char* kTypes[] = {"HID", "Input", "Output", "Feature"};
        const char* type = kTypes[ctx.reportType <= 3 ? ctx.reportType : 0];
        char title[32], name[kHidNameSize];
        if (ctx.reportId != 0)
            std::snprintf(title, sizeof title, "%s Report (ID %u)", type, unsigned(ctx.reportId));
        else
            std::snprintf(title, sizeof title, "%s Report", type);
        const char* suffix =
            ctx.usagePage != 0 && ctx.usage != 0 ? HidReportUsageText(ctx.usagePage, ctx.usage, name, sizeof name) : "";
        ok = page.Append("<div class=\"hrptdiv1\"><b>") && page.AppendText(title) && page.Append("</b> ") &&
             page.AppendText(suffix) && page.Append("</div>\r\n");
    }
    ok = ok && page.Open(PageElement::Table, "<table cellspacing=\"0\">\r\n");
    if (ok && (ctx.options & HRPT_HEADER_ROW)) {
        ok = page.Open(PageElement::Row, "<tr>\r\n") &&
             (!(ctx.options & HRPT_TYPE_COLUMN) || page.Append("<th class=\"hrpt\">T</th>\r\n")) &&
             page.Append("<th class=\"hrpt\">Usage</th>\r\n") &&
             (!(ctx.options & HRPT_RANGE_COLUMN) || page.Append("<th class=\"hrpt\">Range Lg/Ph</th>\r\n")) &&
             page.Append("<th class=\"hrpt\">Value</th>\r\n") && page.Close(PageElement::Row, "</tr>\r\n");
    }
    for (uint32_t i = 0; ok && i < ctx.itemCount; ++i) {
        const HID_REPORT_ITEM& item = ctx.items[i];
        char name[kHidNameSize], value[24];
        FormatHidReportValue(item, ctx.options & HRPT_HEXADECIMAL, value, sizeof value);
        ok = page.Open(PageElement::Row, "<tr>\r\n") &&
             (!(ctx.options & HRPT_TYPE_COLUMN) || Cell(page, item.isButton ? "Btn" : "Val")) &&
             Cell(page, HidReportUsageText(item.usagePage, item.usage, name, sizeof name)) &&
             (!(ctx.options & HRPT_RANGE_COLUMN) || Cell(page, RangeText(item, ctx.options))) &&
             Cell(page, value) && page.Close(PageElement::Row, "</tr>\r\n");
    }
    ok = ok && page.Close(PageElement::Table, "</table>\r\n");
    if (!ok) page.Rollback(mark);
    return ok;
}

} // namespace brx
