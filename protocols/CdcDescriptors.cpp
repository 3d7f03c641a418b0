#include "protocols/CdcDescriptors.h"

#include <cstdio>
#include <cstring>
#include <functional>
#include <iterator>

#include "decode/HtmlWriters.h"
#include "decode/StandardDescriptors.h"
#include "decode/UsbNames.h"
#include "protocols/ClassRows.h"

namespace brx {
namespace {

constexpr uint8_t kCsInterface = 0x24;
constexpr uint8_t kCsEndpoint = 0x25;
constexpr uint8_t kClassComm = 0x02;
constexpr uint8_t kClassData = 0x0A;

// Interface descriptor fields.
constexpr size_t kIfcNumber = 2, kIfcClass = 5, kIfcSubClass = 6, kIfcString = 8, kIfcSize = 9;

constexpr const char* kSubtypeNames[] = {
    "Header", "Call Management", "Abstract Control Management", "Direct Line Management", "Telephone Ringer",
    "Telephone Call", "Union", "Country Selection", "Telephone Operational Modes", "USB Terminal",
    "Network Channel Terminal", "Protocol Unit", "Extension Unit", "Multi-Channel Management",
    "CAPI Control Management", "Ethernet Networking", "ATM Networking", "Wireless Handset Control Model",
    "Mobile Direct Line Model", "MDLM Detail", "Device Management Model", "OBEX", "Wireless Command Set",
    "Wireless Command Set Detail", "Telephone Control Model", "OBEX Service Identifier"};
static_assert(std::size(kSubtypeNames) == 26);

constexpr uint8_t kExpectedLengths[] = {5, 5, 4, 4, 5, 7, 0, 0, 4, 0, 7, 0, 0,
                                        4, 4, 13, 12, 5, 21, 0, 7, 5, 22, 0, 7, 22};
static_assert(std::size(kExpectedLengths) == 26);

constexpr const char* kEthernetStatistics[] = {
    "Xmit OK", "Rcv OK", "Xmit Error", "Rcv Error", "Rcv No Buffer", "Directed Bytes Xmit",
    "Directed Frames Xmit", "Multicast Bytes Xmit", "Multicast Frames Xmit", "Broadcast Bytes Xmit",
    "Broadcast Frames Xmit", "Directed Bytes Rcv", "Directed Frames Rcv", "Multicast Bytes Rcv",
    "Multicast Frames Rcv", "Broadcast Bytes Rcv", "Broadcast Frames Rcv", "Rcv CRC Error",
    "Transmit Queue Length", "Rcv Error Alignment", "Xmit One Collision", "Xmit More Collisions",
    "Xmit Deferred", "Xmit Max Collisions", "Rcv Overrun", "Xmit Underrun", "Xmit Heartbeat Failure",
    "Xmit Times CRS Lost", "Xmit Late Collisions", "Reserved", "Reserved", "Reserved"};
static_assert(std::size(kEthernetStatistics) == 32);

constexpr const char* kReservedError = "Reserved, should be zero";
constexpr int kAnyAlternate = -1;

// The part of a set that counts: wTotalLength, but no more than is held.
size_t ConfigurationEnd(std::span<const uint8_t> set) {
    if (set.size() < 4) return 0;
    const size_t total = size_t(set[2] | (set[3] << 8));
    return total < set.size() ? total : set.size();
}

bool IsConfiguration(std::span<const uint8_t> set) {
    return set.size() >= 4 && (set[1] == 0x02 || set[1] == 0x07) && set[0] > 8 && ConfigurationEnd(set) > 8 &&
           size_t(set[2] | (set[3] << 8)) > 8;
}

// Offset of `inner` inside `outer`, or -1 when it does not lie inside.
long OffsetIn(std::span<const uint8_t> outer, std::span<const uint8_t> inner) {
    if (outer.empty() || inner.empty()) return -1;
    const std::less_equal<const uint8_t*> le;
    if (!le(outer.data(), inner.data()) || !le(inner.data() + inner.size(), outer.data() + outer.size())) return -1;
    return long(inner.data() - outer.data());
}

// The descriptor being decoded: its length and the bytes actually held.
struct Functional {
    DECODE_CONTEXT& ctx;
    std::span<const uint8_t> d;
    uint8_t length() const { return d[0]; }
    uint8_t subtype() const { return d[2]; }
    bool Has(size_t offset, size_t size) const { return offset + size <= d.size() && offset + size <= length(); }
    uint16_t Word(size_t o) const { return uint16_t(d[o] | (d[o + 1] << 8)); }
    uint32_t Dword(size_t o) const { return d[o] | (d[o + 1] << 8) | (d[o + 2] << 16) | (uint32_t(d[o + 3]) << 24); }

    // Rows that stop (false) where the descriptor's bytes end.
    bool Byte(size_t o, const char* name, const char* text, bool error = false) {
        if (!Has(o, 1)) return false;
        return error ? WriteErrorByteRow(ctx, uint32_t(o), name, 1, d[o], text)
                     : WriteByteRow(ctx, uint32_t(o), name, 1, d[o], text);
    }
    bool Word16(size_t o, const char* name, const char* text, bool error = false) {
        if (!Has(o, 2)) return false;
        return error ? WriteErrorWordRow(ctx, uint32_t(o), name, 2, Word(o), text)
                     : WriteWordRow(ctx, uint32_t(o), name, 2, Word(o), text);
    }
    bool Dword32(size_t o, const char* name, const char* text) {
        if (!Has(o, 4)) return false;
        return WriteDwordRow(ctx, uint32_t(o), name, 4, Dword(o), text);
    }
    bool Version(size_t o, const char* name) {
        if (!Has(o, 2)) return false;
        const uint16_t bcd = Word(o);
        if (bcd < 0x0100) return Word16(o, name, "Must be at least 0100h (1.0)", true);
        char text[8];
        FormatBcdVersion(bcd, text, sizeof text);
        return Word16(o, name, text);
    }
    bool String(size_t o, const char* name) {
        if (!Has(o, 1)) return false;
        char text[300];
        GetStringDescriptorText(ctx, d[o], text, sizeof text);
        return Byte(o, name, text[0] ? text : nullptr);
    }
    bool Guid(size_t o, const char* name) {
        if (!Has(o, 16)) return false;
        char text[40];
        const bool named = FormatGuid(d.subspan(o, 16), text, sizeof text) != 0;
        return WriteBytesRow(ctx, uint32_t(o), name, d.subspan(o, 16), named ? text : nullptr);
    }
    // The bitmap's own row, then its bit rows.
    bool Bitmap(size_t o, size_t width, const char* name, const char* zeroText, uint32_t reserved,
                std::span<const BIT_ROW> bits) {
        if (!Has(o, width)) return false;
        const uint32_t v = width == 1 ? d[o] : width == 2 ? Word(o) : Dword(o);
        const char* text = v == 0 ? zeroText : nullptr;
        const bool ok = width == 1 ? Byte(o, name, text) : width == 2 ? Word16(o, name, text) : Dword32(o, name, text);
        return ok && WriteBitRows(ctx, uint32_t(width), v, reserved, kReservedError, bits);
    }
};

const uint8_t* InterfaceOf(const DECODE_CONTEXT& ctx) {
    const auto ifc = ctx.descriptor.interfaceDescriptor;
    return ifc.size() >= kIfcSize ? ifc.data() : nullptr;
}

// The text of an interface found in the configuration: its string, else a
// class name (union: a communication interface by its subclass).
const char* DescribeInterface(const DECODE_CONTEXT& ctx, std::span<const uint8_t> ifc, bool unionRule, char* out,
                              size_t size) {
    if (GetStringDescriptorText(ctx, ifc[kIfcString], out, size) != 0) return out;
    const uint8_t cls = ifc[kIfcClass], sub = ifc[kIfcSubClass];
    if (cls == kClassData) return InterfaceClassName(cls);
    if (unionRule && cls == kClassComm) return ClassSubclassName(cls, sub);
    if (cls == 0) return nullptr;
    const char* subName = sub != 0 ? ClassSubclassName(cls, sub) : nullptr;
    return subName ? subName : InterfaceClassName(cls);
}

bool InterfaceRow(Functional& f, size_t o, const char* name, bool unionRule) {
    if (!f.Has(o, 1)) return false;
    const auto ifc = FindInterfaceDescriptor(f.ctx.descriptor.configuration, f.d[o], kAnyAlternate);
    if (ifc.empty()) return f.Byte(o, name, "Interface not found in config", true);
    char text[300];
    return f.Byte(o, name, DescribeInterface(f.ctx, ifc, unionRule, text, sizeof text));
}

bool ChildRows(Functional& f, size_t from) {
    char name[24], text[300];
    for (size_t o = from, i = 0; o < f.length(); ++o, ++i) {
        if (!f.Has(o, 1)) return false;
        std::snprintf(name, sizeof name, "bChildId%u", unsigned(i));
        const auto entity = FindEntityInConfiguration(f.ctx.descriptor.configuration,
                                                      f.ctx.descriptor.interfaceDescriptor, f.d[o]);
        bool ok;
        if (entity.empty())
            ok = f.Byte(o, name, "Terminal or Unit not found", true);
        else
            ok = f.Byte(o, name, DescribeCdcEntity(f.ctx, f.d[o], text, sizeof text) ? text : nullptr);
        if (!ok) return false;
    }
    return true;
}

void ChannelText(uint8_t channel, char* out, size_t size) {
    if (channel != 0)
        std::snprintf(out, size, "B%u-Channel", unsigned(channel));
    else
        std::snprintf(out, size, "D-Channel");
}

// --- Subtype decoders (the table title and header rows are written) ------------

bool Header(Functional& f) { return f.Version(3, "bcdCDC"); }

bool CallManagement(Functional& f) {
    static constexpr BIT_ROW kCallBit = {"Call Management", 0x01, "Handles call management itself",
                                         "Does not handle call management itself"};
    if (!f.Has(3, 1)) return false;
    const uint8_t caps = f.d[3];
    bool ok = f.Byte(3, "bmCapabilities", nullptr) && WriteBitRows(f.ctx, 1, caps, 0xFC, kReservedError, {});
    if (ok && f.ctx.expand) {
        if ((caps & 3) == 2)
            ok = WriteErrorBitFieldRow(f.ctx, "Data Ifc Usage", 1, 0x02, caps, "Should be zero if bit D0 is reset to 0");
        else
            ok = WriteBitFieldRow(f.ctx, "Data Ifc Usage", 1, 0x02, caps,
                                  (caps & 2) ? "Call management over Data Ifc" : "Call management only over Comm Ifc");
        ok = ok && WriteBitRows(f.ctx, 1, caps, 0, nullptr, {&kCallBit, 1});
    }
    if (!ok || !f.Has(4, 1)) return false;
    if ((caps & 3) != 3) return f.Byte(4, "bDataInterface", nullptr);
    const auto ifc = FindInterfaceDescriptor(f.ctx.descriptor.configuration, f.d[4], kAnyAlternate);
    if (ifc.empty()) return f.Byte(4, "bDataInterface", "Interface not found in config", true);
    if (ifc[kIfcClass] != kClassData) return f.Byte(4, "bDataInterface", "Must be Data Class interface", true);
    char text[300];
    return f.Byte(4, "bDataInterface", GetStringDescriptorText(f.ctx, ifc[kIfcString], text, sizeof text) ? text : nullptr);
}

bool AbstractControl(Functional& f) {
    static constexpr BIT_ROW kBits[] = {
        {"Connection", 0x08, "Network Connection notification supported", nullptr},
        {"Send Break", 0x04, "Send Break request supported", nullptr},
        {"Line Coding", 0x02, "Line Coding requests and Serial State notification supported", nullptr},
        {"Comm Features", 0x01, "Set/Clear/Get Comm Feature requests supported", nullptr}};
    return f.Bitmap(3, 1, "bmCapabilities", "Requests/notifications not supported", 0xF0, kBits);
}

bool DirectLine(Functional& f) {
    static constexpr BIT_ROW kBits[] = {{"Extra Pulse", 0x04, "Extra Pulse Setup request required", nullptr},
                                        {"Auxiliary Jack", 0x02, "Auxiliary Line requests/notification supported", nullptr},
                                        {"Pulse Requests", 0x01, "Pulse Dialing requests supported", nullptr}};
    return f.Bitmap(3, 1, "bmCapabilities", "Requests/notifications not supported", 0xF8, kBits);
}

bool TelephoneRinger(Functional& f) {
    if (!f.Has(3, 1)) return false;
    const uint8_t steps = f.d[3];
    char text[40];
    bool ok;
    if (steps > 128) {
        ok = f.Byte(3, "bRingerVolSteps", "Should be less than or equal to 128", true);
    } else {
        std::snprintf(text, sizeof text, "%u discrete volume steps", steps == 0 ? 256u : unsigned(steps));
        ok = f.Byte(3, "bRingerVolSteps", text);
    }
    return ok && f.Byte(4, "bNumRingerPatterns", nullptr);
}

bool TelephoneCall(Functional& f) {
    static constexpr BIT_ROW kBits[] = {
        {"State Change Notification", 0x20, "Supports line state change notification",
         "Doesn't support line state change notification"},
        {"DTMF Digits Input", 0x10, "Can report DTMF digits input remotely over the telephone line",
         "Cannot report DTMF digits input remotely over the telephone line"},
        {"Incoming Ringing", 0x08, "Reports incoming distinctive ringing patterns", "Reports only incoming ringing"},
        {"Caller ID Info", 0x04, "Reports caller ID information", "Doesn't report caller ID"},
        {"State Reporting", 0x02, "Reports ringback, busy, and fast busy states", "Reports only dialing state"},
        {"Dialtone Reporting", 0x01, "Reports interrupted dialtone in addition to normal dialtone",
         "Reports only dialtone"}};
    return f.Bitmap(3, 4, "bmCapabilities", nullptr, 0xFFFFFFC0u, kBits);
}

bool Union(Functional& f) {
    const uint8_t* cur = InterfaceOf(f.ctx);
    if (!f.Has(3, 1) || cur == nullptr) return false;
    bool ok;
    char text[300], name[32];
    if (f.d[3] != cur[kIfcNumber]) {
        ok = f.Byte(3, "bControlInterface", "Should match the Ifc number of Ifc descriptor", true);
    } else {
        ok = f.Byte(3, "bControlInterface",
                    GetStringDescriptorText(f.ctx, cur[kIfcString], text, sizeof text) ? text : nullptr);
    }
    for (size_t i = 0; ok && 4 + i < f.length(); ++i) {
        std::snprintf(name, sizeof name, "bSubordinateInterface%u", unsigned(i));
        ok = InterfaceRow(f, 4 + i, name, true);
    }
    return ok;
}

bool CountrySelection(Functional& f) {
    bool ok = f.String(3, "iCountryCodeRelDate");
    char name[24];
    const size_t n = f.length() >= 4 ? (f.length() - 4u) / 2 : 0;
    for (size_t i = 0; ok && i < n; ++i) {
        std::snprintf(name, sizeof name, "wCountryCode%u", unsigned(i));
        const size_t o = 4 + 2 * i;
        if (!f.Has(o, 2)) return false;
        ok = f.Word16(o, name, CountryName(f.Word(o)));
    }
    return ok;
}

bool OperationalModes(Functional& f) {
    static constexpr BIT_ROW kBits[] = {
        {"Computer Centric Mode", 0x04, "Supports Computer Centric mode", "Doesn't support Computer Centric mode"},
        {"Standalone Mode", 0x02, "Supports Standalone mode", "Doesn't support Standalone mode"},
        {"Simple Mode", 0x01, "Supports Simple mode", "Doesn't support Simple mode"}};
    return f.Bitmap(3, 1, "bmCapabilities", nullptr, 0xF8, kBits);
}

bool UsbTerminal(Functional& f) {
    static constexpr BIT_ROW kBits[] = {{"Wrapper Usage", 0x01, "Protocol wrapper used", "No protocol wrapper used"}};
    return f.Byte(3, "bEntityId", nullptr) && InterfaceRow(f, 4, "bInInterfaceNo", false) &&
           InterfaceRow(f, 5, "bOutInterfaceNo", false) && f.Bitmap(6, 1, "bmOptions", nullptr, 0xFE, kBits) &&
           ChildRows(f, 7);
}

bool NetworkChannelTerminal(Functional& f) {
    if (!f.Has(3, 4)) return false;
    char channel[24];
    const bool isdn = f.d[6] == 1;
    ChannelText(f.d[5], channel, sizeof channel);
    const uint8_t phy = f.d[6];
    bool ok = f.Byte(3, "bEntityId", nullptr) && f.String(4, "iName") &&
              f.Byte(5, "bChannelIndex", isdn ? channel : nullptr);
    if (!ok) return false;
    if (phy >= 2 && phy <= 200) return f.Byte(6, "bPhysicalInterface", "In reserved range", true);
    return f.Byte(6, "bPhysicalInterface", phy == 1 ? "ISDN" : phy > 200 ? "Vendor-Specific" : nullptr);
}

bool ProtocolUnit(Functional& f) {
    return f.Byte(3, "bEntityId", nullptr) && f.Has(4, 1) &&
           f.Byte(4, "bProtocol", ClassProtocolName(kClassData, 0, f.d[4])) && ChildRows(f, 5);
}

bool ExtensionUnit(Functional& f) {
    return f.Byte(3, "bEntityId", nullptr) && f.Byte(4, "bExtensionCode", nullptr) && ChildRows(f, 6);
}

bool MultiChannel(Functional& f) {
    static constexpr BIT_ROW kBits[] = {{"Set Unit", 0x04, "Set Unit Parameter request supported", nullptr},
                                        {"Clear Unit", 0x02, "Clear Unit Parameter request supported", nullptr},
                                        {"Unit Params", 0x01, "Unit parameters stored in non-volatile memory", nullptr}};
    return f.Bitmap(3, 1, "bmCapabilities", "Requests/notifications not supported", 0xF8, kBits);
}

bool CapiControl(Functional& f) {
    static constexpr BIT_ROW kBits[] = {{"CAPI Device Type", 0x01, "Intelligent CAPI device", "Simple CAPI device"}};
    return f.Bitmap(3, 1, "bmCapabilities", nullptr, 0xFE, kBits);
}

bool SegmentSize(Functional& f, size_t o, const char* name) {
    if (!f.Has(o, 2)) return false;
    char text[24];
    FormatByteCount(f.Word(o), text, sizeof text);
    return f.Word16(o, name, text);
}

bool EthernetNetworking(Functional& f) {
    if (!f.String(3, "iMACAddress") || !f.Has(4, 4)) return false;
    const uint32_t stats = f.Dword(4);
    bool ok = f.Dword32(4, "bmEthernetStatistics", stats == 0 ? "Get Ethernet Statistic request not supported" : nullptr);
    if (ok && stats != 0 && f.ctx.expand) {
        for (int bit = 31; ok && bit >= 0; --bit) {
            if (bit >= 29 && !f.ctx.detail) continue;
            ok = WriteBitFieldRow(f.ctx, kEthernetStatistics[bit], 4, 1u << bit, stats,
                                  (stats >> bit) & 1 ? "Supported" : nullptr);
        }
    }
    ok = ok && SegmentSize(f, 8, "wMaxSegmentSize") && f.Has(10, 2);
    if (!ok) return false;
    const uint16_t filters = f.Word(10);
    ok = f.Word16(10, "wNumberMCFilters", nullptr);
    if (ok && f.ctx.expand) {
        char text[64];
        if ((filters & 0x7FFF) == 0)
            std::snprintf(text, sizeof text, "Set Ethernet Multicast Filters request not supported");
        else
            std::snprintf(text, sizeof text, "%u", unsigned(filters & 0x7FFF));
        ok = WriteBitFieldRow(f.ctx, "Hashing", 2, 0x8000, filters,
                              (filters & 0x8000) ? "Imperfect multicast address filtering (hashing)"
                                                 : "Perfect multicast address filtering (no hashing)") &&
             WriteBitFieldRow(f.ctx, "MC Filters", 2, 0x7FFF, filters, text);
    }
    return ok && f.Byte(12, "bNumberPowerFilters", nullptr);
}

bool AtmNetworking(Functional& f) {
    static constexpr BIT_ROW kData[] = {
        {"Type 3", 0x08, "AAL5 SDU", nullptr},
        {"Type 2", 0x04, "ATM header template + concatenated ATM cell payloads", nullptr},
        {"Type 1", 0x02, "Concatenated ATM cells", nullptr}};
    static constexpr BIT_ROW kStats[] = {
        {"VC US Cells Sent", 0x10, "Counts upstream cells sent on a per VC basis", nullptr},
        {"VC DS Cells Received", 0x08, "Counts downstream cells received on a per VC basis", nullptr},
        {"DS Cells HEC Err Cor", 0x04, "Counts cells with HEC error detected and corrected", nullptr},
        {"US Cells Sent", 0x02, "Counts upstream cells sent", nullptr},
        {"DS Cells Received", 0x01, "Counts downstream cells received", nullptr}};
    if (!f.String(3, "iEndSystemIdentifier") || !f.Bitmap(4, 1, "bmDataCapabilities", nullptr, 0xF0, kData))
        return false;
    if (f.ctx.expand) {
        const uint8_t v = f.d[4];
        const bool ok = (v & 1) ? WriteErrorBitFieldRow(f.ctx, "Reserved", 1, 0x01, v, kReservedError)
                                : WriteBitFieldRow(f.ctx, "Reserved", 1, 0x01, v, nullptr);
        if (!ok) return false;
    }
    if (!f.Bitmap(5, 1, "bmATMDeviceStatistics", nullptr, 0xE0, kStats) || !SegmentSize(f, 6, "wType2MaxSegmentSize") ||
        !SegmentSize(f, 8, "wType3MaxSegmentSize") || !f.Has(10, 2))
        return false;
    char text[16];
    std::snprintf(text, sizeof text, "%u", unsigned(f.Word(10)));
    return f.Word16(10, "wMaxVC", text);
}

bool VersionOnly(Functional& f) { return f.Version(3, "bcdVersion"); }

bool MobileDirectLine(Functional& f) { return f.Version(3, "bcdVersion") && f.Guid(5, "bGUID"); }

bool Detail(Functional& f) {
    if (!f.Byte(3, "bGuidDescriptorType", nullptr)) return false;
    if (f.length() <= 4) return true;
    size_t n = f.length() - 4u;
    if (f.d.size() < 4 + n) n = f.d.size() - 4;
    return n == 0 || WriteBytesRow(f.ctx, 4, "bDetailData", f.d.subspan(4, n), nullptr);
}

bool VersionAndCommand(Functional& f) {
    if (!f.Version(3, "bcdVersion") || !f.Has(5, 2)) return false;
    char text[16];
    std::snprintf(text, sizeof text, "%u", unsigned(f.Word(5)));
    return f.Word16(5, "wMaxCommand", text);
}

bool WirelessCommandSet(Functional& f) {
    return f.Version(3, "bcdVersion") && f.String(5, "iCommandSet") && f.Guid(6, "bGUID");
}

bool ObexServiceIdentifier(Functional& f) {
    static constexpr BIT_ROW kBits[] = {{"Obex Role", 0x01, "OBEX Client", "OBEX Server"}};
    return f.Bitmap(3, 1, "bmOBEXRole", nullptr, 0xFE, kBits) && f.Guid(4, "bOBEXServiceUUID") &&
           f.Word16(20, "wOBEXServiceVersion", nullptr);
}

struct SubtypeDecoder {
    uint8_t minimum;
    bool (*fields)(Functional&);
};

constexpr SubtypeDecoder CDC_FUNCTIONAL_DECODERS[] = {
    {5, Header},          {5, CallManagement},     {4, AbstractControl},   {4, DirectLine},
    {5, TelephoneRinger}, {7, TelephoneCall},      {4, Union},             {4, CountrySelection},
    {4, OperationalModes}, {7, UsbTerminal},       {7, NetworkChannelTerminal}, {5, ProtocolUnit},
    {6, ExtensionUnit},   {4, MultiChannel},       {4, CapiControl},       {13, EthernetNetworking},
    {12, AtmNetworking},  {5, VersionOnly},        {21, MobileDirectLine}, {4, Detail},
    {7, VersionAndCommand}, {5, VersionOnly},      {22, WirelessCommandSet}, {4, Detail},
    {7, VersionAndCommand}, {22, ObexServiceIdentifier}};
static_assert(std::size(CDC_FUNCTIONAL_DECODERS) == 26);

constexpr SubtypeDecoder CDC_DATA_FUNCTIONAL_DECODERS[] = {{5, Header}};

// The common frame; false (nothing written) when bFunctionLength is below
// the decoder's minimum.
bool RunDecoder(DECODE_CONTEXT& ctx, const SubtypeDecoder& decoder) {
    Functional f{ctx, ctx.bytes};
    if (f.length() < decoder.minimum) return false;
    if (!WriteFunctionalDescriptorTitle(ctx) || !BeginFieldTable(ctx) ||
        !WriteFunctionalDescriptorHeaderRows(ctx))
        return true;
    decoder.fields(f); // stops where the bytes or the page end: the table is then incomplete
    EndFieldTable(ctx);
    return true;
}

} // namespace

bool WriteFunctionalDescriptorTitle(DECODE_CONTEXT& ctx) {
    const auto d = ctx.bytes;
    if (d.size() < 3) return false;
    const char* name = d[1] == kCsEndpoint ? "CS Endpoint" : CdcSubtypeName(d[2]);
    char title[128], subtitle[64] = "", markup[400], anchor[24];
    std::snprintf(title, sizeof title, "%s Functional Descriptor", name);
    if (d[1] == kCsInterface && d[2] == 0x0A && d.size() > 6 && d[0] > 6 && d[6] == 1) {
        ChannelText(d[5], subtitle, sizeof subtitle);
    } else if (d[1] == kCsInterface && d[2] == 0x0B && d.size() > 4 && d[0] > 4) {
        const char* protocol = ClassProtocolName(kClassData, 0, d[4]);
        if (protocol) std::snprintf(subtitle, sizeof subtitle, "%s", protocol);
    }
    FormatDescriptorAnchorName(ctx, d.data(), anchor, sizeof anchor);
    FormatBoldTitle(title, subtitle[0] ? subtitle : nullptr, markup, sizeof markup);
    return WriteDescriptorAnchorTitle(ctx, anchor, markup);
}

bool WriteFunctionalDescriptorHeaderRows(DECODE_CONTEXT& ctx) {
    const auto d = ctx.bytes;
    if (!ctx.detail) return true;
    if (d.size() < 3) return false;
    const uint8_t expected = d[1] == kCsInterface ? CdcExpectedFunctionLength(d[2]) : 0;
    char error[40];
    std::snprintf(error, sizeof error, "Incorrect, should be %02Xh", unsigned(expected));
    const bool bad = expected != 0 && d[0] != expected;
    return (bad ? WriteErrorByteRow(ctx, 0, "bFunctionLength", 1, d[0], error)
                : WriteByteRow(ctx, 0, "bFunctionLength", 1, d[0], nullptr)) &&
           WriteByteRow(ctx, 1, "bDescriptorType", 1, d[1],
                        d[1] == kCsInterface ? "CS Interface" : d[1] == kCsEndpoint ? "CS Endpoint" : nullptr) &&
           WriteByteRow(ctx, 2, "bDescriptorSubtype", 1, d[2], d[1] == kCsInterface ? CdcSubtypeName(d[2]) : nullptr);
}

const char* CdcSubtypeName(uint8_t subtype) {
    if (subtype < std::size(kSubtypeNames)) return kSubtypeNames[subtype];
    return (subtype & 0x80) ? "Vendor-Specific" : "Unknown";
}

uint8_t CdcExpectedFunctionLength(uint8_t subtype) {
    return subtype < std::size(kExpectedLengths) ? kExpectedLengths[subtype] : 0;
}

const char* CdcEthernetStatisticName(uint32_t bit) {
    return bit < std::size(kEthernetStatistics) ? kEthernetStatistics[bit] : nullptr;
}

std::span<const uint8_t> FindEntityInConfiguration(std::span<const uint8_t> set,
                                                   std::span<const uint8_t> ifc, uint8_t id) {
    if (id == 0 || !IsConfiguration(set) || ifc.size() < kIfcSize) return {};
    if (ifc[kIfcClass] != kClassComm || (ifc[kIfcSubClass] != 0x04 && ifc[kIfcSubClass] != 0x05)) return {};
    const long start = OffsetIn(set, ifc);
    const size_t end = ConfigurationEnd(set);
    if (start < 0 || size_t(start) >= end || ifc[0] < 2) return {};
    for (size_t at = size_t(start) + ifc[0]; at + 2 <= end;) {
        const uint8_t length = set[at];
        const uint8_t type = set[at + 1];
        if (length < 2 || type == 0x04 || type == 0x0B) break;
        if (length > end - at) break; // not wholly inside the configuration
        if (type == kCsInterface && length > 3 && set[at + 2] >= 0x09 && set[at + 2] <= 0x0C && set[at + 3] == id)
            return set.subspan(at, length);
        at += length;
    }
    return {};
}

bool DescribeCdcEntity(const DECODE_CONTEXT& ctx, uint8_t id, char* out, size_t size) {
    if (out == nullptr || size == 0) return false;
    out[0] = '\0';
    const auto e = FindEntityInConfiguration(ctx.descriptor.configuration, ctx.descriptor.interfaceDescriptor, id);
    if (e.empty()) return false;
    switch (e[2]) {
    case 0x0A: // Network Channel Terminal
        if (e.size() > 4 && GetStringDescriptorText(ctx, e[4], out, size) != 0) return true;
        if (e.size() > 6 && e[6] == 1) {
            ChannelText(e.size() > 5 ? e[5] : 0, out, size);
            return true;
        }
        return false;
    case 0x0B: { // Protocol Unit
        const char* name = e.size() > 4 ? ClassProtocolName(kClassData, 0, e[4]) : nullptr;
        if (name == nullptr) return false;
        std::snprintf(out, size, "%s", name);
        return true;
    }
    case 0x0C: // Extension Unit
        return e.size() > 5 && GetStringDescriptorText(ctx, e[5], out, size) != 0;
    default: // USB Terminal
        return false;
    }
}

bool RenderUnknownFunctionalDescriptor(DECODE_CONTEXT& ctx) {
    const auto d = ctx.bytes;
    if (ctx.page == nullptr || d.size() < 3) return false;
    if (!WriteFunctionalDescriptorTitle(ctx) || !BeginFieldTable(ctx) || !WriteFunctionalDescriptorHeaderRows(ctx))
        return true;
    size_t end = d[0] < d.size() ? d[0] : d.size();
    if (end > 3) WriteBytesRow(ctx, 3, nullptr, d.subspan(3, end - 3), nullptr);
    EndFieldTable(ctx);
    return true;
}

bool DecodeCdcFunctionalDescriptor(DECODE_CONTEXT& ctx) {
    const uint8_t* ifc = InterfaceOf(ctx);
    const auto d = ctx.bytes;
    if (ctx.page == nullptr || ifc == nullptr || d.size() < 3) return false;
    const uint8_t cls = ifc[kIfcClass];
    if ((cls != kClassComm && cls != kClassData) || d[0] < 3 || d[1] != kCsInterface) return false;
    const SubtypeDecoder* decoder = nullptr;
    if (cls == kClassComm && d[2] < std::size(CDC_FUNCTIONAL_DECODERS))
        decoder = &CDC_FUNCTIONAL_DECODERS[d[2]];
    else if (cls == kClassData && d[2] < std::size(CDC_DATA_FUNCTIONAL_DECODERS))
        decoder = &CDC_DATA_FUNCTIONAL_DECODERS[d[2]];
    const PageMark mark = ctx.page->Mark();
    if (decoder && RunDecoder(ctx, *decoder)) return true;
    ctx.page->Rollback(mark);
    return RenderUnknownFunctionalDescriptor(ctx);
}

} // namespace brx
