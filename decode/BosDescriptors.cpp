#include "decode/BosDescriptors.h"

#include <cstdio>

#include "decode/DescriptorRows.h"
#include "decode/HtmlWriters.h"
#include "decode/StandardDescriptors.h"

namespace brx {

using namespace rows;

namespace {

constexpr uint8_t kBos = 0x0F;
constexpr uint8_t kCapability = 0x10;
constexpr uint8_t kHub = 0x29;
constexpr uint8_t kSuperSpeedHub = 0x2A;

constexpr uint8_t kUsb20Extension = 0x02;
constexpr uint8_t kSuperSpeedUsb = 0x03;
constexpr uint8_t kContainerId = 0x04;

const char* CapabilityName(uint8_t type) {
    switch (type) {
    case kUsb20Extension: return "USB 2.0 Extension";
    case kSuperSpeedUsb: return "SuperSpeed USB";
    case kContainerId: return "Container ID";
    default: return nullptr;
    }
}

template <class F>
bool Table(DECODE_CONTEXT& ctx, std::span<const uint8_t> d, const char* titleMarkup, F rows) {
    char anchor[24];
    FormatDescriptorAnchorName(ctx, d.data(), anchor, sizeof anchor);
    if (WriteDescriptorAnchorTitle(ctx, anchor, titleMarkup) && BeginFieldTable(ctx)) {
        rows();
        EndFieldTable(ctx);
    }
    return true;
}

// A capability's table: title, the common rows, then the capability's own.
template <class F>
bool Capability(DECODE_CONTEXT& ctx, std::span<const uint8_t> d, const char* name, uint8_t expectedLength, F rows) {
    char text[96], title[160];
    std::snprintf(text, sizeof text, "%s %s - %s", "Device Capability", "Descriptor", name);
    FormatBoldTitle(text, "", title, sizeof title);
    return Table(ctx, d, title, [&] {
        WriteBLengthRow(ctx, expectedLength);
        TypeRow(ctx, d);
        if (ctx.detail) Byte(ctx, 2, "bDevCapabilityType", d[2], CapabilityName(d[2]));
        rows();
    });
}

bool IsCapability(std::span<const uint8_t> d, size_t least) { return d.size() >= least && d[1] == kCapability; }

const char* YesNo(bool yes) { return yes ? "Yes" : "No"; }

// wHubCharacteristics with its bit rows; thinkTime: the TT rows of USB 2.0 hubs.
void HubCharacteristicsRows(DECODE_CONTEXT& ctx, uint16_t c, bool thinkTime) {
    Word(ctx, 3, "wHubCharacteristics", c, nullptr);
    if (!ctx.expand) return;
    static const char* const kSwitching[] = {"Ganged", "Individual port", "None", "None"};
    static const char* const kThink[] = {"At most 8 FS bit times", "At most 16 FS bit times", "At most 24 FS bit times",
                                         "At most 32 FS bit times"};
    Bits(ctx, "Power Switching", 2, 0x0003, c, kSwitching[c & 3]);
    Bits(ctx, "Compound Device", 2, 0x0004, c, (c & 4) ? "Part of" : "Not part of");
    static const char* const kOverCurrent[] = {"Global", "Individual port", "None", "None"};
    Bits(ctx, "Over-current Protection", 2, 0x0018, c, kOverCurrent[(c >> 3) & 3]);
    if (thinkTime) {
        Bits(ctx, "TT Think Time", 2, 0x0060, c, kThink[(c >> 5) & 3]);
        Bits(ctx, "Port Indicators", 2, 0x0080, c, (c & 0x80) ? "Supported" : "Not supported");
        if (ctx.detail) Bits(ctx, "Reserved", 2, 0xFF00, c, nullptr);
    } else if (ctx.detail) {
        Bits(ctx, "Reserved", 2, 0xFFE0, c, nullptr);
    }
}

// "Port n" bit rows of a port bitmap held in `bitmap` (ports 1..last).
void PortRows(DECODE_CONTEXT& ctx, std::span<const uint8_t> bitmap, uint32_t last, bool checkReserved) {
    const uint32_t width = bitmap.size() < 4 ? static_cast<uint32_t>(bitmap.size()) : 4;
    uint32_t value = 0;
    for (uint32_t i = 0; i < width; ++i) value |= static_cast<uint32_t>(bitmap[i]) << (8 * i);
    if (checkReserved) {
        Bits(ctx, "Reserved", width, 1, value, (value & 1) ? "Reserved, should be zero" : nullptr, (value & 1) != 0);
    } else {
        Bits(ctx, "Reserved", width, 1, value, nullptr);
    }
    const uint32_t bits = width * 8;
    for (uint32_t port = 1; port <= last && port < bits && !ctx.full(); ++port) {
        char name[16];
        std::snprintf(name, sizeof name, "Port %u", port);
        Bits(ctx, name, width, 1u << port, value, nullptr);
    }
}

} // namespace

bool DecodeBosDescriptor(DECODE_CONTEXT& ctx) {
    const auto d = Held(ctx.bytes);
    if (d.size() < 5 || d[1] != kBos) return false;
    char text[96], title[160];
    std::snprintf(text, sizeof text, "%s Descriptor", "Binary Device Object Store (BOS) ");
    FormatBoldTitle(text, "", title, sizeof title);
    return Table(ctx, d, title, [&] {
        WriteBLengthRow(ctx, 0x05);
        TypeRow(ctx, d);
        if (ctx.detail) Word(ctx, 2, "wTotalLength", W(d, 2), nullptr);
        Byte(ctx, 4, "bNumDeviceCaps", d[4], nullptr);
    });
}

bool DecodeBosDescriptorSet(DECODE_CONTEXT& ctx) {
    const auto set = ctx.bytes;
    if (set.size() < 5 || set[0] < 5 || set[1] != kBos || ctx.page == nullptr) return false;
    if (ctx.anchorBase.empty()) ctx.anchorBase = set;
    const auto saved = ctx.bytes;
    ctx.bytes = Held(set);
    const bool ok = DecodeBosDescriptor(ctx);
    ctx.bytes = saved;
    if (!ok) return false;
    BeginIndentDiv(ctx);
    const size_t total = W(set, 2);
    if (total > 6) {
        WalkDescriptors(ctx, set, set[0], total, [](DECODE_CONTEXT& c, std::span<const uint8_t> rest, size_t) -> size_t {
            const auto keep = c.bytes;
            c.bytes = rest.first(rest[0]);
            if (rest[1] == kCapability) {
                const PageMark mark = c.page->Mark();
                if (!DecodeDeviceCapabilityDescriptor(c)) {
                    c.page->Rollback(mark);
                    RenderUnrecognizedDescriptor(c);
                }
            } else {
                DecodeDescriptor(c);
            }
            c.bytes = keep;
            return rest[0];
        });
    }
    EndIndentDiv(ctx);
    return true;
}

bool DecodeDeviceCapabilityDescriptor(DECODE_CONTEXT& ctx) {
    const auto d = Held(ctx.bytes);
    if (!IsCapability(d, 4)) return false;
    switch (d[2]) {
    case kUsb20Extension:
        if (d[0] == 7 && DecodeUsb20ExtensionCapability(ctx)) return true;
        break;
    case kSuperSpeedUsb:
        if (DecodeSuperSpeedUsbCapability(ctx)) return true;
        break;
    case kContainerId:
        if (DecodeContainerIdCapability(ctx)) return true;
        break;
    default: break;
    }
    return DecodeUnrecognizedCapability(ctx);
}

bool DecodeContainerIdCapability(DECODE_CONTEXT& ctx) {
    const auto d = Held(ctx.bytes);
    if (!IsCapability(d, 20) || d[2] != kContainerId) return false;
    return Capability(ctx, d, "Container ID", 0x14, [&] {
        if (ctx.detail) Byte(ctx, 3, "bReserved", d[3], d[3] != 0 ? "Reserved, should be zero" : nullptr, d[3] != 0);
        WriteGuidRow(ctx, 4, "ContainerID", d.subspan(4, 16), nullptr);
    });
}

bool DecodeUsb20ExtensionCapability(DECODE_CONTEXT& ctx) {
    const auto d = Held(ctx.bytes);
    if (!IsCapability(d, 7) || d[2] != kUsb20Extension) return false;
    return Capability(ctx, d, "USB 2.0 Extension", 0x07, [&] {
        const uint32_t a = D(d, 3);
        WriteDwordRow(ctx, 3, "bmAttributes", 4, a, nullptr);
        if (!ctx.expand) return;
        ReservedBits(ctx, 4, 0x1, a);
        if (a & 2) Bits(ctx, "Link Power Management", 4, 0x2, a, "Yes");
        else Bits(ctx, "Link Power Management", 4, 0x2, a, "Should be set to one", true);
        if (ctx.detail) {
            Bits(ctx, "Reserved", 4, 0xFFFFFFFCu, a, a > 3 ? "Reserved, should be zero" : nullptr, a > 3);
        }
    });
}

bool DecodeSuperSpeedUsbCapability(DECODE_CONTEXT& ctx) {
    const auto d = Held(ctx.bytes);
    if (!IsCapability(d, 10) || d[2] != kSuperSpeedUsb) return false;
    return Capability(ctx, d, "SuperSpeed USB", 0x0A, [&] {
        const uint8_t a = d[3];
        Byte(ctx, 3, "bmAttributes", a, nullptr);
        if (ctx.expand) {
            ReservedBits(ctx, 1, 0x01, a);
            Bits(ctx, "Latency Tolerance Messages", 1, 0x02, a, YesNo(a & 2));
            ReservedBits(ctx, 1, 0xFC, a);
        }
        const uint16_t speeds = W(d, 4);
        Word(ctx, 4, "wSpeedsSupported", speeds, nullptr);
        static const char* const kSpeeds[] = {"Low-Speed", "Full-Speed", "High-Speed", "Super-Speed"};
        if (ctx.expand) {
            for (uint32_t bit = 0; bit < 4; ++bit) Bits(ctx, kSpeeds[bit], 2, 1u << bit, speeds, YesNo(speeds & (1u << bit)));
            ReservedBits(ctx, 2, 0xFFF0, speeds);
        }
        char text[48];
        const uint8_t functionality = d[6];
        if (functionality <= 3) std::snprintf(text, sizeof text, "%s %s", kSpeeds[functionality], "and above");
        Byte(ctx, 6, "bFunctionalitySupport", functionality, functionality <= 3 ? text : nullptr);
        const uint8_t u1 = d[7];
        if (u1 == 0) {
            Byte(ctx, 7, "bU1DevExitLat", u1, nullptr);
        } else if (u1 > 10) {
            Byte(ctx, 7, "bU1DevExitLat", u1, "The value is in the reserved range", true);
        } else {
            std::snprintf(text, sizeof text, "Less than %d \xB5s", u1);
            Byte(ctx, 7, "bU1DevExitLat", u1, text);
        }
        const uint16_t u2 = W(d, 8);
        if (u2 == 0) {
            Word(ctx, 8, "wU2DevExitLat", u2, nullptr);
        } else if (u2 > 0x0800) {
            Word(ctx, 8, "wU2DevExitLat", u2, "The value is in the reserved range", true);
        } else {
            std::snprintf(text, sizeof text, "Less than %d \xB5s", u2);
            Word(ctx, 8, "wU2DevExitLat", u2, text);
        }
    });
}

bool DecodeUnrecognizedCapability(DECODE_CONTEXT& ctx) {
    const auto d = Held(ctx.bytes);
    if (!IsCapability(d, 4)) return false;
    return Capability(ctx, d, "Unrecognized", d[0], [&] { WriteBytesRow(ctx, 3, nullptr, d.subspan(3), nullptr); });
}

bool DecodeHubDescriptor(DECODE_CONTEXT& ctx) {
    if (ctx.bytes.size() < 2) return false;
    switch (ctx.bytes[1]) {
    case kHub:
    case 0x00: return DecodeUsb20HubDescriptor(ctx);
    case kSuperSpeedHub: return DecodeSuperSpeedHubDescriptor(ctx);
    default: return false;
    }
}

bool DecodeUsb20HubDescriptor(DECODE_CONTEXT& ctx) {
    const auto d = Held(ctx.bytes);
    if (d.size() < 9 || (d[1] != kHub && d[1] != 0x00)) return false;
    const uint32_t ports = d[2];
    const size_t n = ports / 8 + 1;
    if (d[0] < (ports / 8) * 2 + 9 || d.size() < 7 + 2 * n) return false;
    const uint16_t version = VersionWord(ctx);
    char text[48], title[160];
    std::snprintf(text, sizeof text, "%u Ports", ports);
    FormatDescriptorTitle("Hub", text, title, sizeof title);
    return Table(ctx, d, title, [&] {
        if (ctx.detail) {
            Byte(ctx, 0, "bDescLength", d[0], nullptr);
            Byte(ctx, 1, "bDescriptorType", d[1], d[1] == kHub ? "Hub" : nullptr);
        }
        Byte(ctx, 2, "bNbrPorts", d[2], ports >= 10 ? text : nullptr);
        HubCharacteristicsRows(ctx, W(d, 3), version == 0 || version == 0x0200);
        char value[32];
        std::snprintf(value, sizeof value, "%d ms", d[5] * 2);
        Byte(ctx, 5, "bPwrOn2PwrGood", d[5], d[5] != 0 ? value : nullptr);
        std::snprintf(value, sizeof value, "%d mA", d[6]);
        Byte(ctx, 6, "bHubContrCurrent", d[6], d[6] != 0 ? value : nullptr);
        const auto removable = d.subspan(7, n);
        const uint32_t last = ports < 32 ? ports : 32;
        if (ports < 8) Byte(ctx, 7, "DeviceRemovable", removable[0], nullptr);
        else WriteBytesRow(ctx, 7, "DeviceRemovable", removable, nullptr);
        if (ctx.expand) PortRows(ctx, removable, last, true);
        const auto mask = d.subspan(7 + n, n);
        bool allSet = true;
        for (uint8_t b : mask) allSet = allSet && b == 0xFF;
        const bool error = version != 0x0100 && !allSet;
        const char* fault = error ? "All bits should be set to one" : nullptr;
        if (n == 1) Byte(ctx, static_cast<uint32_t>(7 + n), "PortPwrCtrlMask", mask[0], fault, error);
        else if (error) WriteErrorBytesRow(ctx, static_cast<uint32_t>(7 + n), "PortPwrCtrlMask", mask, fault);
        else WriteBytesRow(ctx, static_cast<uint32_t>(7 + n), "PortPwrCtrlMask", mask, nullptr);
        if (version == 0x0100 && ctx.expand) PortRows(ctx, mask, last, false);
    });
}

bool DecodeSuperSpeedHubDescriptor(DECODE_CONTEXT& ctx) {
    const auto d = Held(ctx.bytes);
    if (d.size() < 12 || d[0] < 12 || d[1] != kSuperSpeedHub) return false;
    char text[48], title[160];
    std::snprintf(text, sizeof text, "%u Ports", d[2]);
    FormatDescriptorTitle("SuperSpeed Hub", text, title, sizeof title);
    return Table(ctx, d, title, [&] {
        if (ctx.detail) {
            Byte(ctx, 0, "bDescLength", d[0], nullptr);
            Byte(ctx, 1, "bDescriptorType", d[1], "SuperSpeed Hub");
        }
        Byte(ctx, 2, "bNbrPorts", d[2], nullptr);
        HubCharacteristicsRows(ctx, W(d, 3), false);
        char value[32];
        std::snprintf(value, sizeof value, "%d ms", d[5] * 2);
        Byte(ctx, 5, "bPwrOn2PwrGood", d[5], d[5] != 0 ? value : nullptr);
        std::snprintf(value, sizeof value, "%d mA", d[6] * 4);
        Byte(ctx, 6, "bHubContrCurrent", d[6], d[6] != 0 ? value : nullptr);
        const uint8_t latency = d[7];
        if (latency >= 11) {
            Byte(ctx, 7, "bHubHdrDecLat", latency, "The value is in the reserved range", true);
        } else if (latency == 0) {
            Byte(ctx, 7, "bHubHdrDecLat", latency, "Much less than 0.1 \xB5s");
        } else {
            std::snprintf(value, sizeof value, "%d.%d \xB5s", latency / 10, latency % 10);
            Byte(ctx, 7, "bHubHdrDecLat", latency, value);
        }
        const uint16_t delay = W(d, 8);
        std::snprintf(value, sizeof value, "%d ns", delay);
        Word(ctx, 8, "wHubDelay", delay, delay != 0 ? value : nullptr);
        const uint16_t removable = W(d, 10);
        Word(ctx, 10, "DeviceRemovable", removable, nullptr);
        if (ctx.expand) PortRows(ctx, d.subspan(10, 2), d[2] < 15 ? d[2] : 15, true);
    });
}

} // namespace brx
