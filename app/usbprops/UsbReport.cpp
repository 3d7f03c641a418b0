#include "app/usbprops/UsbReport.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <span>

#include "decode/BosDescriptors.h"
#include "decode/CodeNames.h"
#include "decode/HtmlWriters.h"
#include "decode/PageWriter.h"
#include "decode/StandardDescriptors.h"
#include "decode/UsbNames.h"
#include "protocols/ClassDecoders.h"
#include "protocols/HidReportDescriptorPage.h"

namespace brx {

namespace {

constexpr size_t kHeadingMaxChars = 255;
constexpr size_t kExportNameMaxChars = 260;

// The descriptor set of a descriptor request's reply: what follows the
// request header, as held.
std::span<const uint8_t> AfterRequestHeader(const std::vector<uint8_t>& reply) {
    if (reply.size() <= USB_DESCRIPTOR_REQUEST_HEADER) return {};
    return std::span<const uint8_t>(reply).subspan(USB_DESCRIPTOR_REQUEST_HEADER);
}

uint16_t Word(std::span<const uint8_t> bytes, size_t at) {
    return at + 1 < bytes.size() ? static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8) : 0;
}

// The hub descriptor inside USB_NODE_INFORMATION: at most its bLength, never
// past the 71 bytes the structure gives it or the bytes held.
std::span<const uint8_t> HubDescriptorOf(const DEVICE_NODE& node) {
    if (node.hubInfo.size() <= USB_NODE_INFO_HUB_DESCRIPTOR) return {};
    std::span<const uint8_t> d = std::span<const uint8_t>(node.hubInfo).subspan(USB_NODE_INFO_HUB_DESCRIPTOR);
    d = d.first(std::min<size_t>(d.size(), USB_NODE_INFO_HUB_DESCRIPTOR_MAX));
    if (d[0] >= 2 && d[0] < d.size()) d = d.first(d[0]);
    return d;
}

bool WritePowerRow(PageBuffer& page, const DEVICE_NODE& node) {
    const bool busPowered = node.hubInfo.size() > USB_NODE_INFO_BUS_POWERED && node.hubInfo[USB_NODE_INFO_BUS_POWERED];
    return WritePropertyRow(page, "Power", busPowered ? "Bus Powered" : "Self Powered");
}

// One decoder over one descriptor (or set), with its own anchors.
bool Run(DECODE_CONTEXT& ctx, std::span<const uint8_t> bytes, bool (*decode)(DECODE_CONTEXT&)) {
    if (bytes.empty() || ctx.full()) return !ctx.full();
    ctx.bytes = bytes;
    ctx.anchorBase = bytes;
    ++ctx.anchorSet;
    decode(ctx);
    return !ctx.full();
}

// A hub descriptor the hub decoder declines (QEMU's hub gives eight ports
// one byte of PortPwrCtrlMask) still shows, with its bytes.
bool DecodeHubOrUnrecognized(DECODE_CONTEXT& ctx) {
    const PageMark mark = ctx.page->Mark();
    if (DecodeHubDescriptor(ctx)) return true;
    ctx.page->Rollback(mark);
    return RenderUnrecognizedDescriptor(ctx);
}

void ClearLinks(DECODE_CONTEXT& ctx) {
    ctx.descriptor.configuration = {};
    ctx.descriptor.association = {};
    ctx.descriptor.interfaceDescriptor = {};
}

bool RenderHostControllerSummary(DECODE_CONTEXT& ctx, const USB_REPORT_SUMMARY& s) {
    PageBuffer& page = *ctx.page;
    if (!BeginHtmlTable(page)) return true;
    bool ok = WritePropertyNumberRow(page, "Universal Host Controllers", s.universal) &&
              WritePropertyNumberRow(page, "Open Host Controllers", s.open) &&
              WritePropertyNumberRow(page, "Enhanced Host Controllers", s.enhanced) &&
              WritePropertyNumberRow(page, "eXtensible Host Controllers", s.extensible);
    const uint64_t known = uint64_t(s.universal) + s.open + s.enhanced + s.extensible;
    if (ok && s.hostControllers > known)
        ok = WritePropertyNumberRow(page, "Unknown Host Controllers", static_cast<uint32_t>(s.hostControllers - known));
    ok = ok && WriteEmptyPropertyRow(page) && WritePropertyNumberRow(page, "Root Hubs", s.rootHubs) &&
         WritePropertyNumberRow(page, "External Hubs", s.externalHubs) &&
         WritePropertyNumberRow(page, "Devices (incl. External Hubs)", s.connectedPorts);
    if (ok) EndHtmlTable(page);
    return true;
}

bool RenderRootHubProperties(DECODE_CONTEXT& ctx, const DEVICE_NODE& node) {
    if (node.hubInfo.empty()) return true;
    PageBuffer& page = *ctx.page;
    if (BeginHtmlTable(page) && WritePowerRow(page, node)) EndHtmlTable(page);
    ClearLinks(ctx);
    ctx.deviceSpeed = -1;
    Run(ctx, HubDescriptorOf(node), DecodeHubOrUnrecognized);
    return true;
}

bool RenderConnectionRows(PageBuffer& page, const PORT_CONNECTION_INFO& c) {
    const char* status = ConnectionStatusName(c.connectionStatus, NAME_FRIENDLY);
    if (!WritePropertyRow(page, "Connection Status", status ? status : "Unknown")) return false;
    if (c.connectionStatus != 1) return true;
    const char* speed = c.speed >= 0 ? DeviceSpeedName(static_cast<uint32_t>(c.speed), NAME_FRIENDLY) : nullptr;
    return WritePropertyNumberRow(page, "Current Configuration", c.currentConfigurationValue) &&
           WritePropertyRow(page, "Speed", speed ? speed : "Unknown") &&
           WritePropertyNumberRow(page, "Device Address", c.deviceAddress) &&
           WritePropertyNumberRow(page, "Number Of Open Pipes", static_cast<uint32_t>(c.pipes.size()));
}

bool RenderHubOrDeviceProperties(DECODE_CONTEXT& ctx, const DEVICE_NODE& node) {
    PageBuffer& page = *ctx.page;
    const PORT_CONNECTION_INFO* c = node.connection.get();
    if (BeginHtmlTable(page)) {
        bool ok = true;
        if (c) {
            ok = RenderConnectionRows(page, *c);
            ctx.deviceSpeed = c->speed;
        }
        if (ok && !node.hubInfo.empty()) ok = WritePowerRow(page, node);
        if (ok) EndHtmlTable(page);
    }

    std::span<const uint8_t> device;
    if (c) device = c->deviceDescriptor;
    if (!node.hubInfo.empty()) {
        ClearLinks(ctx);
        if (c) ctx.descriptor.bcdUSB = Word(device, 2);
        if (!Run(ctx, HubDescriptorOf(node), DecodeHubOrUnrecognized)) return true;
    }
    if (!c || c->connectionStatus != 1) return true;

    const std::span<const uint8_t> config = AfterRequestHeader(node.configDescriptor);
    const std::span<const uint8_t> otherSpeed = AfterRequestHeader(node.otherSpeedConfig);
    const std::span<const uint8_t> bos = AfterRequestHeader(node.bos);
    const std::span<const uint8_t> qualifier(node.deviceQualifier);

    ClearLinks(ctx);
    ctx.descriptor.configuration = config;
    if (!Run(ctx, device, DecodeDeviceDescriptor)) return true;
    ClearLinks(ctx);
    if (!Run(ctx, bos, DecodeBosDescriptorSet)) return true;
    if (!Run(ctx, qualifier, DecodeDeviceQualifierDescriptor)) return true;

    DESCRIPTOR_FIELDS& f = ctx.descriptor;
    auto deviceFields = [&](std::span<const uint8_t> from) {
        f.bDeviceClass = from.size() > 4 ? from[4] : 0;
        f.bDeviceSubClass = from.size() > 5 ? from[5] : 0;
        f.bDeviceProtocol = from.size() > 6 ? from[6] : 0;
        f.bcdUSB = Word(from, 2);
    };
    deviceFields(device);
    f.idVendor = Word(device, 8);
    f.idProduct = Word(device, 10);
    f.bcdDevice = Word(device, 12);
    ClearLinks(ctx);
    if (!Run(ctx, config, DecodeConfigurationDescriptorSet)) return true;
    if (qualifier.size() >= USB_DEVICE_QUALIFIER_SIZE) deviceFields(qualifier);
    ClearLinks(ctx);
    if (!Run(ctx, otherSpeed, DecodeConfigurationDescriptorSet)) return true;
    ClearLinks(ctx);

    for (const REPORT_DESCRIPTOR_ENTRY& r : node.reportDescriptors) {
        if (ctx.full()) break;
        if (r.descriptor.empty()) continue;
        ctx.bytes = r.descriptor;
        ctx.anchorBase = r.descriptor;
        ++ctx.anchorSet;
        RenderHidReportDescriptor(ctx, r.interfaceNumber, HRD_HEADER_ROW);
    }
    return true;
}

DECODE_CONTEXT ReportContext(PageBuffer& page, const DEVICE_NODE* node, const USB_REPORT_OPTIONS& o) {
    DECODE_CONTEXT ctx;
    ctx.page = &page;
    ctx.headerRow = o.headerRow;
    ctx.offsetColumn = o.offsetColumn;
    ctx.sizeColumn = o.sizeColumn;
    ctx.expand = o.expand;
    ctx.detail = o.detail;
    ctx.stringCallback = NodeStringDescriptor;
    ctx.userData = const_cast<DEVICE_NODE*>(node);
    ctx.nodeOwner = node;
    ctx.deviceSpeed = -1;
    ctx.classDecoders = &kClassDecoders;
    return ctx;
}

bool HasReportDescriptors(const DEVICE_NODE* node, bool wholeTree) {
    return node && !wholeTree && !node->reportDescriptors.empty();
}

bool CanRender(const DEVICE_NODE* node, bool wholeTree) {
    return wholeTree || (node && node->kind >= NODE_HOST_CONTROLLER && node->kind <= NODE_DEVICE);
}

bool Contains(std::u16string_view text, std::u16string_view what) {
    return text.find(what) != std::u16string_view::npos;
}

} // namespace

HostControllerKind ClassifyHostController(std::u16string_view ids) {
    while (!ids.empty()) {
        const size_t end = std::min(ids.find(u'\0'), ids.size());
        const std::u16string_view one = ids.substr(0, end);
        if (one.empty()) break;
        if (Contains(one, u"CC_0C0300")) return HostControllerKind::Universal;
        if (Contains(one, u"CC_0C0310")) return HostControllerKind::Open;
        if (Contains(one, u"CC_0C0320")) return HostControllerKind::Enhanced;
        if (Contains(one, u"CC_0C0330")) return HostControllerKind::Extensible;
        ids.remove_prefix(std::min(end + 1, ids.size()));
    }
    return HostControllerKind::Unknown;
}

void CountHostController(USB_REPORT_SUMMARY& s, HostControllerKind kind) {
    switch (kind) {
    case HostControllerKind::Universal: ++s.universal; break;
    case HostControllerKind::Open: ++s.open; break;
    case HostControllerKind::Enhanced: ++s.enhanced; break;
    case HostControllerKind::Extensible: ++s.extensible; break;
    case HostControllerKind::Unknown: break;
    }
}

uint32_t NodeStringDescriptor(uint8_t index, char16_t* buffer, uint32_t capacity, void* userData) {
    const auto* node = static_cast<const DEVICE_NODE*>(userData);
    if (index == 0 || !node || !buffer || capacity == 0) return 0;
    for (const STRING_DESCRIPTOR_ENTRY& e : node->strings) {
        if (e.index != index || e.descriptor.empty()) continue;
        const uint32_t bLength = e.descriptor[0];
        if (bLength <= 2) continue;
        // The text is what bLength claims and the entry holds.
        const uint32_t held = static_cast<uint32_t>(std::min<size_t>(bLength, e.descriptor.size()));
        if (held <= 2) continue;
        const uint32_t chars = (held - 2) / 2;
        if (chars + 1 > capacity) continue;
        for (uint32_t i = 0; i < chars; ++i)
            buffer[i] = static_cast<char16_t>(e.descriptor[2 + 2 * i] | e.descriptor[3 + 2 * i] << 8);
        buffer[chars] = 0;
        return chars;
    }
    return 0;
}

bool RenderNodeProperties(DECODE_CONTEXT& ctx, const DEVICE_NODE* node, bool wholeTree,
                          const USB_REPORT_SUMMARY& summary) {
    if (!ctx.page) return false;
    if (wholeTree) return RenderHostControllerSummary(ctx, summary);
    if (!node) return false;
    switch (node->kind) {
    case NODE_HOST_CONTROLLER: return true;   // a host controller's page is empty
    case NODE_ROOT_HUB: return RenderRootHubProperties(ctx, *node);
    case NODE_EXTERNAL_HUB:
    case NODE_DEVICE: return RenderHubOrDeviceProperties(ctx, *node);
    default: return false;
    }
}

bool WriteUsbPropertiesPage(PageBuffer& page, const DEVICE_NODE* node, bool wholeTree,
                            const USB_REPORT_SUMMARY& summary, const USB_REPORT_OPTIONS& options) {
    page.Reset();
    if (!CanRender(node, wholeTree)) return false;
    const std::string_view sheets[] = {DESCRIPTOR_STYLE_SHEET, HasReportDescriptors(node, wholeTree)
                                                                   ? HID_REPORT_DESCRIPTOR_STYLE_SHEET
                                                                   : std::string_view()};
    if (!BeginPage(page, "", sheets)) {   // not even the head fits
        page.Reset();
        return false;
    }
    DECODE_CONTEXT ctx = ReportContext(page, wholeTree ? nullptr : node, options);
    if (!RenderNodeProperties(ctx, wholeTree ? nullptr : node, wholeTree, summary)) {
        page.Reset();
        return false;
    }
    ClosePage(page);
    return true;
}

bool WriteReportHeading(PageBuffer& page, std::u16string_view name) {
    const PageMark mark = page.Mark();
    if (!page.Append("<p align=\"left\" style=\"padding-top:3px;padding-right:3px;padding-bottom:0px;padding-left:3px;"
                     "font-family:Arial,Verdana,Helvetica,sans-serif;font-size:9pt;font-weight:bold;\">")) {
        page.Rollback(mark);
        return false;
    }
    size_t chars = 0;
    for (size_t i = 0; i < name.size() && chars < kHeadingMaxChars; ++i, ++chars) {
        uint32_t c = name[i];
        if (c == 0) break;
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < name.size() && name[i + 1] >= 0xDC00 && name[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (name[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;   // a lone surrogate
        }
        if (c < 32 || (c >= 127 && c <= 159)) c = '.';
        if (!page.AppendF("&#x%04X;", c)) {
            page.Rollback(mark);
            return false;
        }
    }
    if (!page.Append("</p>\r\n")) {
        page.Rollback(mark);
        return false;
    }
    return true;
}

bool WriteSavedUsbReport(PageBuffer& page, const DEVICE_NODE* node, bool wholeTree, const USB_REPORT_SUMMARY& summary,
                         std::string_view product, std::string_view link) {
    page.Reset();
    if (!CanRender(node, wholeTree)) return false;
    char title[256];
    std::snprintf(title, sizeof title, "%.*s Report", static_cast<int>(std::min<size_t>(product.size(), 200)),
                  product.data());
    const std::string_view sheets[] = {DESCRIPTOR_STYLE_SHEET, HasReportDescriptors(node, wholeTree)
                                                                   ? HID_REPORT_DESCRIPTOR_STYLE_SHEET
                                                                   : std::string_view()};
    if (!BeginPage(page, title, sheets)) {
        page.Reset();
        return false;
    }
    const DEVICE_NODE* shown = wholeTree ? nullptr : node;
    if (shown && !shown->name.empty()) WriteReportHeading(page, shown->name);
    DECODE_CONTEXT ctx = ReportContext(page, shown, USB_REPORT_OPTIONS{});
    if (!RenderNodeProperties(ctx, shown, wholeTree, summary)) {
        page.Reset();
        return false;
    }
    if (!page.full()) WriteGeneratedByFooter(page, product, link);
    ClosePage(page);
    return true;
}

WString DefaultExportFileName(std::u16string_view name) {
    WString out;
    for (char16_t c : name) {
        if (out.size() >= kExportNameMaxChars || c == 0) break;
        const bool bad = c < 32 || std::u16string_view(u"\"*/:<>?\\|").find(c) != std::u16string_view::npos;
        out.push_back(bad ? u' ' : c);
    }
    return out;
}

} // namespace brx

namespace brx {
WString ExportDirectoryOf(std::u16string_view path) {
    const size_t slash = path.find_last_of(u"\\/");
    if (slash == std::u16string_view::npos) return {};
    const size_t name = slash + 1;
    if (name < 3 || name > 259) return {};
    const bool driveRoot = slash == 2 && path[1] == u':';
    return WString(path.substr(0, driveRoot ? name : slash));
}
} // namespace brx
