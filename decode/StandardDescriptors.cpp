#include "decode/StandardDescriptors.h"

#include <cstdio>
#include <cstring>

#include "base/Markup.h"
#include "decode/BosDescriptors.h"
#include "decode/ClassDecoders.h"
#include "decode/DescriptorRows.h"
#include "decode/HtmlWriters.h"
#include "decode/UsbNames.h"
#include "decode/VendorNames.h"

namespace brx {

using namespace rows;

namespace {

constexpr uint8_t kDevice = 0x01;
constexpr uint8_t kConfiguration = 0x02;
constexpr uint8_t kString = 0x03;
constexpr uint8_t kInterface = 0x04;
constexpr uint8_t kEndpoint = 0x05;
constexpr uint8_t kQualifier = 0x06;
constexpr uint8_t kOtherSpeed = 0x07;
constexpr uint8_t kAssociation = 0x0B;
constexpr uint8_t kBos = 0x0F;
constexpr uint8_t kCompanion = 0x30;

// Speeds of DECODE_CONTEXT::deviceSpeed.
constexpr int32_t kLow = 0, kFull = 1, kHigh = 2, kSuper = 3;

bool IsSet(std::span<const uint8_t> set) {
    return set.size() >= 9 && (set[1] == kConfiguration || set[1] == kOtherSpeed) && set[0] > 8 && W(set, 2) > 8;
}

// Offset of an inner span in the set, or npos when it does not start inside it.
size_t OffsetIn(std::span<const uint8_t> set, std::span<const uint8_t> inner) {
    const auto base = reinterpret_cast<uintptr_t>(set.data());
    const auto at = reinterpret_cast<uintptr_t>(inner.data());
    if (set.empty() || inner.data() == nullptr || at < base || at >= base + set.size()) return static_cast<size_t>(-1);
    return at - base;
}

// Calls visit(offset, length, type) for each whole descriptor of the set in
// order (bounded by the held bytes and wTotalLength); stops when visit
// returns false or at a malformed descriptor.
template <class F>
void ForEachInSet(std::span<const uint8_t> set, F visit) {
    if (!IsSet(set)) return;
    const size_t end = W(set, 2) < set.size() ? W(set, 2) : set.size();
    for (size_t at = 0; at + 2 <= end;) {
        const size_t length = set[at];
        if (length < 2 || at + length > end) return;
        if (!visit(at, length, set[at + 1])) return;
        at += length;
    }
}

bool Anchored(DECODE_CONTEXT& ctx, std::span<const uint8_t> d, const char* titleMarkup) {
    char anchor[24];
    FormatDescriptorAnchorName(ctx, d.data(), anchor, sizeof anchor);
    return WriteDescriptorAnchorTitle(ctx, anchor, titleMarkup ? titleMarkup : "");
}

// A descriptor's rows with its table frame: true once accepted, whatever the
// page's room (a full page shows its truncation line).
template <class F>
bool Table(DECODE_CONTEXT& ctx, std::span<const uint8_t> d, const char* titleMarkup, F rows) {
    if (Anchored(ctx, d, titleMarkup) && BeginFieldTable(ctx)) {
        rows();
        EndFieldTable(ctx);
    }
    return true;
}

// bDeviceClass / bDeviceSubClass / bDeviceProtocol rules of the device and
// qualifier descriptors.
void ClassRows(DECODE_CONTEXT& ctx, std::span<const uint8_t> d, bool iad) {
    const uint8_t cls = d[4], sub = d[5], protocol = d[6];
    if (iad && cls != 0xEF) {
        Byte(ctx, 4, "bDeviceClass", cls, "IAD is used. Should be EFh (Miscellaneous Device Class).", true);
    } else {
        Byte(ctx, 4, "bDeviceClass", cls, DeviceClassName(cls));
    }
    if (ctx.detail) {
        if (iad) {
            if (sub != 0x02) Byte(ctx, 5, "bDeviceSubClass", sub, "IAD is used. Should be 02h (Common Class).", true);
            else Byte(ctx, 5, "bDeviceSubClass", sub, ClassSubclassName(cls, sub));
        } else if (cls != 0) {
            Byte(ctx, 5, "bDeviceSubClass", sub, sub != 0 ? ClassSubclassName(cls, sub) : nullptr);
        } else if (sub != 0) {
            Byte(ctx, 5, "bDeviceSubClass", sub, "Should be zero if bDeviceClass is zero", true);
        } else {
            Byte(ctx, 5, "bDeviceSubClass", sub, nullptr);
        }
        if (iad && protocol != 0x01) {
            Byte(ctx, 6, "bDeviceProtocol", protocol, "IAD is used. Should be 01h (Interface Association Descriptor).",
                 true);
        } else {
            const char* name = ClassProtocolName(cls, sub, protocol);
            if (name == nullptr && iad) name = ClassProtocolName(0xEF, 0x02, protocol);
            Byte(ctx, 6, "bDeviceProtocol", protocol, name);
        }
    }
}

// The subclass rule of interfaces and IADs ("Should be zero if <class field> is zero").
void SubclassRow(DECODE_CONTEXT& ctx, uint32_t offset, const char* name, uint8_t cls, uint8_t sub, const char* rule) {
    if (!ctx.detail) return;
    if (cls != 0) Byte(ctx, offset, name, sub, sub != 0 ? ClassSubclassName(cls, sub) : nullptr);
    else if (sub != 0) Byte(ctx, offset, name, sub, rule, true);
    else Byte(ctx, offset, name, sub, nullptr);
}

uint32_t TransferType(uint8_t attributes) { return attributes & 3; }
const char* TransferTypeName(uint32_t type) {
    static const char* const kNames[] = {"Control", "Isochronous", "Bulk", "Interrupt"};
    return kNames[type & 3];
}

} // namespace

// --- Walk helpers ------------------------------------------------------------

bool WriteWalkStop(DECODE_CONTEXT& ctx, uint32_t offset, std::span<const uint8_t> bytes, const char* name,
                   const char* reason) {
    if (!BeginFieldTable(ctx)) return false;
    const bool ok = WriteErrorBytesRow(ctx, offset, name, bytes, reason);
    return EndFieldTable(ctx) && ok;
}

// --- Queries -----------------------------------------------------------------

std::span<const uint8_t> FindInterfaceDescriptor(std::span<const uint8_t> set, uint8_t number, int alternate) {
    std::span<const uint8_t> found;
    ForEachInSet(set, [&](size_t at, size_t length, uint8_t type) {
        if (type == kInterface && length > 8 && set[at + 2] == number && (alternate < 0 || set[at + 3] == alternate)) {
            found = set.subspan(at, length);
            return false;
        }
        return true;
    });
    return found;
}

std::span<const uint8_t> FindPreviousInterfaceDescriptor(std::span<const uint8_t> set,
                                                         std::span<const uint8_t> interfaceDescriptor) {
    const size_t target = OffsetIn(set, interfaceDescriptor);
    std::span<const uint8_t> previous, result;
    ForEachInSet(set, [&](size_t at, size_t length, uint8_t type) {
        if (at == target) {
            result = previous;
            return false;
        }
        if (type == kInterface && length > 8) previous = set.subspan(at, length);
        return at < target;
    });
    return result;
}

int IsFirstInterfaceDescriptor(std::span<const uint8_t> set, std::span<const uint8_t> interfaceDescriptor) {
    int result = -1;
    const size_t target = OffsetIn(set, interfaceDescriptor);
    ForEachInSet(set, [&](size_t at, size_t length, uint8_t type) {
        if (type == kInterface && length > 8) {
            result = at == target ? 1 : 0;
            return false;
        }
        return true;
    });
    return result;
}

bool CountEndpointDescriptors(std::span<const uint8_t> set, std::span<const uint8_t> interfaceDescriptor,
                              uint32_t& count) {
    count = 0;
    const size_t target = OffsetIn(set, interfaceDescriptor);
    if (!IsSet(set) || target == static_cast<size_t>(-1)) return !set.empty();
    bool inside = false;
    ForEachInSet(set, [&](size_t at, size_t, uint8_t type) {
        if (at == target) {
            inside = true;
            return true;
        }
        if (!inside) return true;
        if (type == kInterface) return false;
        if (type == kEndpoint) ++count;
        return true;
    });
    return true;
}

size_t GetInterfaceGroupLength(std::span<const uint8_t> d) {
    if (d.size() < 9 || d[1] != kInterface || d[0] < 9 || d[0] > d.size()) return 0;
    size_t at = d[0];
    while (at + 2 <= d.size()) {
        const size_t length = d[at];
        if (length < 2 || at + length > d.size()) break;
        if (d[at + 1] == kInterface || d[at + 1] == kAssociation) break;
        at += length;
    }
    return at;
}

size_t GetIadGroupLength(std::span<const uint8_t> d) {
    if (d.size() < 8 || d[1] != kAssociation || d[0] < 8 || d[0] > d.size()) return 0;
    const uint32_t limit = static_cast<uint32_t>(d[2]) + d[3];
    size_t at = d[0];
    while (at + 2 <= d.size()) {
        const size_t length = d[at];
        if (length < 2 || at + length > d.size()) break;
        const uint8_t type = d[at + 1];
        if (type == kAssociation) break;
        if (type == kInterface) {
            if (length < 3 || d[at + 2] >= limit) break;
            const size_t group = GetInterfaceGroupLength(d.subspan(at));
            if (group < 9) break;
            at += group;
            continue;
        }
        at += length;
    }
    return at;
}

bool ConfigurationHasIad(std::span<const uint8_t> set, bool& hasIad) {
    hasIad = false;
    if (set.size() < 9 || (set[1] != kConfiguration && set[1] != kOtherSpeed) || set[0] < 9 || W(set, 2) < 9) {
        return false;
    }
    const size_t total = W(set, 2);
    if (total <= 16) return true;
    const size_t end = total < set.size() ? total : set.size();
    for (size_t at = 0; at < end;) {
        if (at + 2 > end) return false;
        const size_t length = set[at];
        if (length < 2 || at + length > end) return false;
        if (set[at + 1] == kAssociation && length > 7) {
            hasIad = true;
            return true;
        }
        at += length;
    }
    return true;
}

// --- Titles ------------------------------------------------------------------

size_t FormatConfigurationTitle(std::span<const uint8_t> c, uint16_t version, char* out, size_t size) {
    if (out == nullptr || size == 0) return 0;
    out[0] = '\0';
    if (c.size() < 9) return 0;
    char title[64];
    std::snprintf(title, sizeof title, "%s Descriptor %d", c[1] == kOtherSpeed ? "Other Speed Configuration" : "Configuration",
                  c[5]);
    const uint8_t attributes = c[7], power = c[8];
    const bool self = (attributes & 0x40) != 0, bit7 = (attributes & 0x80) != 0;
    char text[48] = "";
    if (version == 0x0100) {
        if (self && !bit7) std::snprintf(text, sizeof text, "Self Powered");
        else if (!self && bit7) std::snprintf(text, sizeof text, "Bus Powered, %d mA", power * 2);
    } else if (power == 0 && self) {
        std::snprintf(text, sizeof text, "Self Powered");
    } else if (power != 0 && !self) {
        std::snprintf(text, sizeof text, "Bus Powered, %d mA", power * (version == 0x0300 ? 8 : 2));
    }
    return FormatBoldTitle(title, text, out, size);
}

size_t FormatInterfaceTitle(std::span<const uint8_t> d, char* out, size_t size) {
    if (out == nullptr || size == 0) return 0;
    out[0] = '\0';
    if (d.size() < 9 || d[1] != kInterface) return 0;
    char title[64], text[160];
    std::snprintf(title, sizeof title, "Interface Descriptor %d/%d", d[2], d[3]);
    const char* cls = d[5] != 0 ? InterfaceClassName(d[5]) : nullptr;
    const char* unit = d[4] == 1 ? "Endpoint" : "Endpoints";
    if (cls) std::snprintf(text, sizeof text, " %s, %d %s", cls, d[4], unit);
    else std::snprintf(text, sizeof text, " %d %s", d[4], unit);
    return FormatBoldTitle(title, text, out, size);
}

size_t FormatIadTitle(std::span<const uint8_t> d, char* out, size_t size) {
    if (out == nullptr || size == 0) return 0;
    out[0] = '\0';
    if (d.size() < 8 || d[1] != kAssociation) return 0;
    const char* text = (d[5] != 0 && d[4] != 0xFF) ? ClassSubclassName(d[4], d[5]) : InterfaceClassName(d[4]);
    return FormatBoldTitle("Interface Association Descriptor", text, out, size);
}

size_t FormatEndpointTitle(std::span<const uint8_t> e, int32_t speed, char* out, size_t size) {
    if (out == nullptr || size == 0) return 0;
    out[0] = '\0';
    if (e.size() < 7) return 0;
    char title[48], text[96];
    const uint8_t address = e[2], interval = e[6];
    std::snprintf(title, sizeof title, "Endpoint Descriptor %02X", address & 0x8F);
    const int number = address & 0x0F;
    const char* dir = (address & 0x80) ? "In" : "Out";
    const int packet = W(e, 4) & 0x7FF;
    const bool fast = speed == kHigh || speed == kSuper;
    switch (TransferType(e[3])) {
    case 0: std::snprintf(text, sizeof text, " %d, Control, %d bytes", number, packet); break;
    case 2: std::snprintf(text, sizeof text, " %d %s, Bulk, %d bytes", number, dir, packet); break;
    case 1:
        if (speed == kFull && interval >= 1 && interval <= 16)
            std::snprintf(text, sizeof text, " %d %s, Isochronous, %d ms", number, dir, 1 << (interval - 1));
        else if (fast && interval >= 1 && interval <= 16)
            std::snprintf(text, sizeof text, " %d %s, Isochronous, %s", number, dir, IntervalName(interval));
        else std::snprintf(text, sizeof text, " %d %s, Isochronous", number, dir);
        break;
    default:
        if ((speed == kLow || speed == kFull) && interval != 0)
            std::snprintf(text, sizeof text, " %d %s, Interrupt, %d ms", number, dir, interval);
        else if (fast && interval >= 1 && interval <= 16)
            std::snprintf(text, sizeof text, " %d %s, Interrupt, %s", number, dir, IntervalName(interval));
        else std::snprintf(text, sizeof text, " %d %s, Interrupt", number, dir);
        break;
    }
    return FormatBoldTitle(title, text, out, size);
}

// --- Decoders ----------------------------------------------------------------

bool DecodeDeviceDescriptor(DECODE_CONTEXT& ctx) {
    const auto d = Held(ctx.bytes);
    if (d.size() < 18 || d[1] != kDevice) return false;
    bool iad = false;
    ConfigurationHasIad(ctx.descriptor.configuration, iad);
    char product[300] = "";
    if (d[15] != 0) {
        const size_t n = GetStringDescriptorText(ctx, d[15], product, sizeof product);
        if (n >= 2) { // without its quotes
            std::memmove(product, product + 1, n - 2);
            product[n - 2] = '\0';
        }
    }
    char title[700];
    FormatDescriptorTitle("Device", product, title, sizeof title);
    return Table(ctx, d, title, [&] {
        WriteBLengthRow(ctx, 0x12);
        TypeRow(ctx, d);
        const uint16_t bcd = W(d, 2);
        switch (bcd) {
        case 0x0100: case 0x0110: case 0x0200: case 0x0210: case 0x0250: case 0x0300:
            Word(ctx, 2, "bcdUSB", bcd, UsbSpecVersionName(bcd));
            break;
        case 0x0101: Word(ctx, 2, "bcdUSB", bcd, "Fails WHQL testing. Should be 0110h", true); break;
        default: Word(ctx, 2, "bcdUSB", bcd, "Invalid revision", true); break;
        }
        ClassRows(ctx, d, iad);
        const uint8_t mps = d[7];
        bool valid;
        const char* invalid;
        switch (ctx.deviceSpeed) {
        case kLow: valid = mps == 8; invalid = "Should be 8 bytes for low-speed devices"; break;
        case kHigh: valid = mps == 64; invalid = "Should be 64 bytes for high-speed devices"; break;
        case kSuper:
            valid = mps == 9;
            invalid = "09h is the only valid value in this field when operating in SuperSpeed mode";
            break;
        case kFull:
            valid = mps == 8 || mps == 9 || mps == 16 || mps == 32 || mps == 64;
            invalid = "Should be 8, 16, 32, or 64 bytes for full-speed devices";
            break;
        default:
            valid = mps == 8 || mps == 9 || mps == 16 || mps == 32 || mps == 64;
            invalid = "Should be 8, 16, 32, or 64 bytes";
            break;
        }
        char text[32];
        if (valid) Byte(ctx, 7, "bMaxPacketSize0", mps, BytesText(ctx.deviceSpeed == kSuper ? 512 : mps, text));
        else Byte(ctx, 7, "bMaxPacketSize0", mps, invalid, true);
        Word(ctx, 8, "idVendor", W(d, 8), VendorName(W(d, 8)));
        Word(ctx, 10, "idProduct", W(d, 10), nullptr);
        if (ctx.detail) {
            char bcdText[8] = "";
            FormatBcdVersion(W(d, 12), bcdText, sizeof bcdText);
            Word(ctx, 12, "bcdDevice", W(d, 12), bcdText);
        }
        StringRow(ctx, 14, "iManufacturer", d[14]);
        StringRow(ctx, 15, "iProduct", d[15]);
        if (ctx.detail) {
            StringRow(ctx, 16, "iSerialNumber", d[16]);
            Byte(ctx, 17, "bNumConfigurations", d[17], d[17] == 0 ? "Should be greater than zero" : nullptr, d[17] == 0);
        }
    });
}

bool DecodeDeviceQualifierDescriptor(DECODE_CONTEXT& ctx) {
    const auto d = Held(ctx.bytes);
    if (d.size() < 10 || d[1] != kQualifier) return false;
    bool iad = false;
    ConfigurationHasIad(ctx.descriptor.configuration, iad);
    char title[96];
    FormatDescriptorTitle("Device Qualifier", nullptr, title, sizeof title);
    return Table(ctx, d, title, [&] {
        WriteBLengthRow(ctx, 0x0A);
        TypeRow(ctx, d);
        const uint16_t bcd = W(d, 2);
        if (bcd < 0x0200) Word(ctx, 2, "bcdUSB", bcd, "Must be at least 0200h (2.0)", true);
        else Word(ctx, 2, "bcdUSB", bcd, UsbSpecVersionName(bcd));
        ClassRows(ctx, d, iad);
        const uint8_t mps = d[7];
        const bool valid = mps == 64 || (ctx.deviceSpeed != kHigh && ctx.deviceSpeed != kSuper &&
                                         (mps == 8 || mps == 16 || mps == 32));
        char text[32];
        if (valid) {
            Byte(ctx, 7, "bMaxPacketSize0", mps, BytesText(mps, text));
        } else {
            const char* invalid = ctx.deviceSpeed == kFull    ? "Should be 8, 16, 32, or 64 bytes for full-speed devices"
                                  : ctx.deviceSpeed == kHigh  ? "Should be 64 bytes for high-speed devices"
                                  : ctx.deviceSpeed == kSuper ? "09h is the only valid value in this field when operating in SuperSpeed mode"
                                                              : "Should be 8, 16, 32, or 64 bytes";
            Byte(ctx, 7, "bMaxPacketSize0", mps, invalid, true);
        }
        if (ctx.detail) {
            Byte(ctx, 8, "bNumConfigurations", d[8], d[8] == 0 ? "Should be greater than zero" : nullptr, d[8] == 0);
            Byte(ctx, 9, "bReserved", d[9], d[9] != 0 ? "Reserved, should be zero" : nullptr, d[9] != 0);
        }
    });
}

namespace {

// Bit 7 of a configuration's bmAttributes: its name has a line break.
bool ConfigurationBit7Row(DECODE_CONTEXT& ctx, uint8_t attributes) {
    char pattern[16];
    FormatBitPattern(1, 0x80, attributes, pattern, sizeof pattern);
    return BeginTableRow(ctx) && (!ctx.offsetColumn || WriteEmptyCell(ctx)) &&
           ctx.page->Append("<td class=\"udbmfld\"><nobr>7: Reserved (set to one)<br>(bus-powered for 1.0)</nobr></td>\r\n") &&
           (!ctx.sizeColumn || WriteEmptyCell(ctx)) && WriteBitPatternValueCell(ctx, pattern) &&
           WriteDescriptionCell(ctx, nullptr) && EndTableRow(ctx);
}

} // namespace

bool DecodeConfigurationDescriptor(DECODE_CONTEXT& ctx) {
    const auto d = Held(ctx.bytes);
    if (d.size() < 9 || (d[1] != kConfiguration && d[1] != kOtherSpeed)) return false;
    char title[200];
    FormatConfigurationTitle(d, VersionWord(ctx), title, sizeof title);
    return Table(ctx, d, title, [&] {
        WriteBLengthRow(ctx, 0x09);
        TypeRow(ctx, d);
        if (ctx.detail) Word(ctx, 2, "wTotalLength", W(d, 2), nullptr);
        Byte(ctx, 4, "bNumInterfaces", d[4], d[4] == 0 ? "Should be greater than zero" : nullptr, d[4] == 0);
        Byte(ctx, 5, "bConfigurationValue", d[5], d[5] == 0 ? "Should be greater than zero" : nullptr, d[5] == 0);
        if (ctx.detail) StringRow(ctx, 6, "iConfiguration", d[6]);
        const uint8_t a = d[7];
        char text[48];
        std::snprintf(text, sizeof text, "%s%s", (a & 0x40) ? "Self Powered" : "Bus Powered",
                      (a & 0x20) ? ", Remote Wakeup" : "");
        Byte(ctx, 7, "bmAttributes", a, text);
        if (ctx.expand) {
            ReservedBits(ctx, 1, 0x1F, a);
            Bits(ctx, "Remote Wakeup", 1, 0x20, a, (a & 0x20) ? "Yes" : "No");
            Bits(ctx, "Self Powered", 1, 0x40, a, (a & 0x40) ? "Yes" : "No, Bus Powered");
            if (ctx.detail) ConfigurationBit7Row(ctx, a);
        }
        const uint8_t power = d[8];
        if (power == 0 && !(a & 0x40)) {
            Byte(ctx, 8, "bMaxPower", power, "Bus-powered device should indicate the amount of bus power required", true);
        } else if (ctx.deviceSpeed == kSuper && d[1] == kConfiguration) {
            std::snprintf(text, sizeof text, "%d mA", power * 8);
            if (power < 0x71) Byte(ctx, 8, "bMaxPower", power, text);
            else Byte(ctx, 8, "bMaxPower", power, "Should be less than or equal to 70h (900 mA)", true);
        } else {
            std::snprintf(text, sizeof text, "%d mA", power * 2);
            if (power > 0xFA) Byte(ctx, 8, "bMaxPower", power, "Should be less than or equal to FAh (500 mA)", true);
            else Byte(ctx, 8, "bMaxPower", power, text);
        }
    });
}

bool DecodeInterfaceDescriptor(DECODE_CONTEXT& ctx) {
    const auto d = Held(ctx.bytes);
    if (d.size() < 9 || d[1] != kInterface) return false;
    const auto set = ctx.descriptor.configuration;
    const bool haveSet = IsSet(set);
    char title[300];
    FormatInterfaceTitle(d, title, sizeof title);
    return Table(ctx, d, title, [&] {
        if (ctx.detail) {
            if (d[0] == 0x09 || d[0] == 0x0B) {
                Byte(ctx, 0, "bLength", d[0], nullptr);
            } else {
                char text[40];
                std::snprintf(text, sizeof text, "Incorrect, should be %02Xh", d[0] < 12 ? 0x09 : 0x0B);
                Byte(ctx, 0, "bLength", d[0], text, true);
            }
        }
        TypeRow(ctx, d);
        const int first = haveSet ? IsFirstInterfaceDescriptor(set, d) : -1;
        const auto previous = haveSet && first == 0 ? FindPreviousInterfaceDescriptor(set, d) : std::span<const uint8_t>();
        const uint8_t number = d[2], alternate = d[3];
        const char* fault = nullptr;
        if (first == 1 && number != 0) fault = "Should be zero for the first interface descriptor in the configuration";
        if (first != 1 && previous.size() > 8 && number != previous[2] && number != previous[2] + 1)
            fault = "Should be one greater than the interface number of the previous interface descriptor";
        if (haveSet && number >= set[4]) fault = "Should be smaller than the total number of interfaces for the configuration";
        Byte(ctx, 2, "bInterfaceNumber", number, fault, fault != nullptr);
        fault = nullptr;
        if (first == 1) {
            if (alternate != 0) fault = "Should be zero for the first interface descriptor in the configuration";
        } else if (previous.size() > 8 && previous[2] == number) {
            if (alternate != previous[3] + 1)
                fault = "Should be one greater than the alternate setting number of the previous interface descriptor";
        } else if (alternate != 0) {
            fault = "Should be zero";
        }
        Byte(ctx, 3, "bAlternateSetting", alternate, fault, fault != nullptr);
        uint32_t endpoints = 0;
        const bool counted = haveSet && OffsetIn(set, d) != static_cast<size_t>(-1) && CountEndpointDescriptors(set, d, endpoints);
        const bool mismatch = counted && endpoints != d[4];
        Byte(ctx, 4, "bNumEndpoints", d[4], mismatch ? "Should match the actual number of endpoint descriptors" : nullptr,
             mismatch);
        Byte(ctx, 5, "bInterfaceClass", d[5], d[5] != 0 ? InterfaceClassName(d[5]) : nullptr);
        SubclassRow(ctx, 6, "bInterfaceSubClass", d[5], d[6], "Should be zero if bInterfaceClass is zero");
        if (ctx.detail) {
            Byte(ctx, 7, "bInterfaceProtocol", d[7], ClassProtocolName(d[5], d[6], d[7]));
            StringRow(ctx, 8, "iInterface", d[8]);
        }
        if (d[0] > 10 && d.size() >= 11) Word(ctx, 9, "wNumClasses", W(d, 9), nullptr);
    });
}

bool DecodeInterfaceAssociationDescriptor(DECODE_CONTEXT& ctx) {
    const auto d = Held(ctx.bytes);
    if (d.size() < 8 || d[1] != kAssociation) return false;
    const auto set = ctx.descriptor.configuration;
    const bool haveSet = IsSet(set);
    char title[300];
    FormatIadTitle(d, title, sizeof title);
    return Table(ctx, d, title, [&] {
        WriteBLengthRow(ctx, 0x08);
        TypeRow(ctx, d);
        const bool firstBad = haveSet && d[2] >= set[4];
        Byte(ctx, 2, "bFirstInterface", d[2],
             firstBad ? "Should be less than the total number of interfaces in the configuration" : nullptr, firstBad);
        const char* fault = nullptr;
        if (d[3] == 0) fault = "Should be greater than zero";
        else if (haveSet && set[4] < d[2] + d[3])
            fault = "The highest linked interface number should be less than or equal to the total number of "
                    "interfaces in the configuration";
        Byte(ctx, 3, "bInterfaceCount", d[3], fault, fault != nullptr);
        Byte(ctx, 4, "bFunctionClass", d[4], d[4] != 0 ? InterfaceClassName(d[4]) : nullptr);
        SubclassRow(ctx, 5, "bFunctionSubClass", d[4], d[5], "Should be zero if bFunctionClass is zero");
        if (ctx.detail) {
            Byte(ctx, 6, "bFunctionProtocol", d[6], d[6] != 0 ? ClassProtocolName(d[4], d[5], d[6]) : nullptr);
            StringRow(ctx, 7, "iFunction", d[7]);
        }
    });
}

bool DecodeEndpointDescriptor(DECODE_CONTEXT& ctx) {
    const auto d = Held(ctx.bytes);
    if (d.size() < 7 || d[1] != kEndpoint) return false;
    const int32_t speed = ctx.deviceSpeed;
    const bool fast = speed == kHigh || speed == kSuper;
    char title[300];
    FormatEndpointTitle(d, speed, title, sizeof title);
    return Table(ctx, d, title, [&] {
        if (ctx.detail) {
            if (d[0] == 0x07 || d[0] == 0x09) {
                Byte(ctx, 0, "bLength", d[0], nullptr);
            } else {
                char text[40];
                std::snprintf(text, sizeof text, "Incorrect, should be %02Xh", d[0] < 10 ? 0x07 : 0x09);
                Byte(ctx, 0, "bLength", d[0], text, true);
            }
        }
        TypeRow(ctx, d);
        const uint8_t address = d[2], a = d[3], interval = d[6];
        const uint32_t type = TransferType(a);
        char text[96];
        if (type == 0) std::snprintf(text, sizeof text, "%d", address & 0x0F);
        else std::snprintf(text, sizeof text, "%d %s", address & 0x0F, (address & 0x80) ? "In" : "Out");
        Byte(ctx, 2, "bEndpointAddress", address, text);
        static const char* const kSync[] = {"No Sync", "Asynchronous", "Adaptive", "Synchronous"};
        static const char* const kUsage[] = {"Data", "Feedback", "Implicit Feedback Data"};
        if (type == 1) {
            const uint32_t usage = (a >> 4) & 3;
            std::snprintf(text, sizeof text, "Isochronous, %s%s%s", kSync[(a >> 2) & 3], usage < 3 ? ", " : "",
                          usage < 3 ? kUsage[usage] : "");
        } else {
            std::snprintf(text, sizeof text, "%s", TransferTypeName(type));
        }
        Byte(ctx, 3, "bmAttributes", a, text);
        if (ctx.expand) {
            Bits(ctx, "Transfer Type", 1, 0x03, a, TransferTypeName(type));
            const uint16_t version = VersionWord(ctx);
            auto isoRows = [&] {
                Bits(ctx, "Sync Type", 1, 0x0C, a, kSync[(a >> 2) & 3]);
                const uint32_t usage = (a >> 4) & 3;
                Bits(ctx, "Usage Type", 1, 0x30, a, usage < 3 ? kUsage[usage] : "Reserved");
                ReservedBits(ctx, 1, 0xC0, a);
            };
            switch (version) {
            case 0x0100: case 0x0101: case 0x0110: ReservedBits(ctx, 1, 0xFC, a); break;
            case 0x0200: case 0x0210: case 0x0250:
                if (type == 1) isoRows();
                else ReservedBits(ctx, 1, 0xFC, a);
                break;
            case 0x0300:
                if (type == 1) {
                    isoRows();
                } else if (type == 3) {
                    ReservedBits(ctx, 1, 0x0C, a);
                    static const char* const kInterruptUsage[] = {"Periodic", "Notification", "Reserved", "Reserved"};
                    Bits(ctx, "Usage Type", 1, 0x30, a, kInterruptUsage[(a >> 4) & 3]);
                    ReservedBits(ctx, 1, 0xC0, a);
                } else {
                    ReservedBits(ctx, 1, 0xC0, a);
                }
                break;
            default:
                if (ctx.detail) Bits(ctx, "Reserved", 1, 0xFC, a, nullptr);
                break;
            }
        }
        const uint16_t packet = W(d, 4);
        char bytes[32];
        BytesText(packet & 0x7FF, bytes);
        const uint32_t extra = (packet >> 11) & 3;
        if (speed == kHigh && (type == 1 || type == 3) && (extra == 1 || extra == 2)) {
            std::snprintf(text, sizeof text, "%s, %s", bytes,
                          extra == 1 ? "1 additional transaction (2 per microframe)"
                                     : "2 additional transactions (3 per microframe)");
        } else {
            std::snprintf(text, sizeof text, "%s", bytes);
        }
        Word(ctx, 4, "wMaxPacketSize", packet, text);
        const char* intervalText = nullptr;
        if (type == 1) {
            if (speed == kFull && interval >= 1 && interval <= 16) {
                std::snprintf(text, sizeof text, "%d ms", 1 << (interval - 1));
                intervalText = text;
            } else if (fast && interval >= 1 && interval <= 16) {
                intervalText = IntervalName(interval);
            }
        } else if (type == 3) {
            if ((speed == kLow || speed == kFull) && interval != 0) {
                std::snprintf(text, sizeof text, "%d ms", interval);
                intervalText = text;
            } else if (fast && interval >= 1 && interval <= 16) {
                intervalText = IntervalName(interval);
            }
        }
        Byte(ctx, 6, "bInterval", interval, intervalText);
        if (d[0] > 8 && d.size() >= 9) {
            Byte(ctx, 7, "bRefresh", d[7], nullptr);
            Byte(ctx, 8, "bSynchAddress", d[8], nullptr);
        }
    });
}

bool DecodeSsEndpointCompanionDescriptor(DECODE_CONTEXT& ctx) {
    const auto d = Held(ctx.bytes);
    if (d.size() < 6 || d[1] != kCompanion) return false;
    // The transfer type of the endpoint descriptor right before it, when the
    // set holds one there.
    int type = -1;
    const auto set = ctx.descriptor.configuration;
    const size_t at = OffsetIn(set, d);
    if (at != static_cast<size_t>(-1) && at >= 25 && at + 6 <= set.size() && set[at - 7] == 7 &&
        set[at - 6] == kEndpoint) {
        type = static_cast<int>(TransferType(set[at - 4]));
    }
    char title[96];
    FormatBoldTitle("SuperSpeed Endpoint Companion", nullptr, title, sizeof title);
    return Table(ctx, d, title, [&] {
        WriteBLengthRow(ctx, 0x06);
        TypeRow(ctx, d, nullptr);
        const uint8_t burst = d[2], a = d[3];
        char text[48];
        if (type == 0) {
            Byte(ctx, 2, "bMaxBurst", burst, burst != 0 ? "Must be zero for Control endpoints" : nullptr, burst != 0);
        } else if (burst == 0) {
            Byte(ctx, 2, "bMaxBurst", burst, "One packet at a time");
        } else if (burst > 15) {
            Byte(ctx, 2, "bMaxBurst", burst, "The value is in the reserved range", true);
        } else {
            std::snprintf(text, sizeof text, "Up to %d packets at a time", burst + 1);
            Byte(ctx, 2, "bMaxBurst", burst, text);
        }
        Byte(ctx, 3, "bmAttributes", a, nullptr);
        if (ctx.expand && type >= 0) {
            if (type == 2) {
                const uint32_t streams = a & 0x1F;
                if (streams == 0) {
                    Bits(ctx, "MaxStreams", 1, 0x1F, a, nullptr);
                } else if (streams > 16) {
                    Bits(ctx, "MaxStreams", 1, 0x1F, a, "The value is in the invalid range", true);
                } else {
                    std::snprintf(text, sizeof text, "%u streams supported", 1u << streams);
                    Bits(ctx, "MaxStreams", 1, 0x1F, a, text);
                }
                ReservedBits(ctx, 1, 0xE0, a);
            } else if (type == 1) {
                const uint32_t mult = a & 3;
                if (burst == 0 && mult != 0) {
                    Bits(ctx, "Mult", 1, 0x03, a, "Should be set to zero if bMaxBurst field is zero", true);
                } else if (mult > 2) {
                    Bits(ctx, "Mult", 1, 0x03, a, "The value is in the invalid range", true);
                } else {
                    std::snprintf(text, sizeof text, "%u packets maximum", (mult + 1) * (burst + 1u));
                    Bits(ctx, "Mult", 1, 0x03, a, text);
                }
                ReservedBits(ctx, 1, 0xFC, a);
            } else {
                ReservedBits(ctx, 1, 0xFF, a);
            }
        }
        const uint16_t bytes = W(d, 4);
        const bool bad = (type == 0 || type == 2) && bytes != 0;
        Word(ctx, 4, "wBytesPerInterval", bytes, bad ? "Must be zero for Control and Bulk endpoints" : nullptr, bad);
    });
}

bool DecodeStringDescriptor(DECODE_CONTEXT& ctx, uint32_t index) {
    if (ctx.bytes.size() <= 3 || ctx.bytes[0] <= 3 || ctx.bytes[1] != kString) return false;
    const auto d = Held(ctx.bytes);
    char title[96];
    FormatDescriptorTitle("String", nullptr, title, sizeof title);
    return Table(ctx, d, title, [&] {
        WriteBLengthRow(ctx, d[0]);
        TypeRow(ctx, d);
        const size_t n = (d.size() - 2) / 2;
        if (index == 0 || (index == kUnknownStringIndex && d[0] <= 6)) {
            for (size_t i = 0; i < n && !ctx.full(); ++i) {
                char name[24];
                std::snprintf(name, sizeof name, "wLANGID[%u]", static_cast<unsigned>(i));
                const uint16_t id = W(d, 2 + 2 * i);
                Word(ctx, static_cast<uint32_t>(2 + 2 * i), name, id, LangIdName(id));
            }
            return;
        }
        std::u16string text;
        for (size_t i = 0; i < n; ++i) text.push_back(static_cast<char16_t>(W(d, 2 + 2 * i)));
        PageBuffer& page = *ctx.page;
        const PageMark mark = page.Mark();
        const bool ok = BeginTableRow(ctx) && WriteOffsetCell(ctx, 2) && WriteFieldNameCell(ctx, "bString") &&
                        WriteSizeCell(ctx, static_cast<uint32_t>(2 * n)) && WriteWordArrayCell(ctx, d.subspan(2, 2 * n)) &&
                        page.Append("<td class=\"uddes\">&quot;") && page.AppendWide(text) &&
                        page.Append("&quot;</td>\r\n") && EndTableRow(ctx);
        if (!ok) page.Rollback(mark);
    });
}

// --- Dispatch and walkers ------------------------------------------------------

bool DecodeClassSpecificDescriptor(DECODE_CONTEXT& ctx) {
    const auto d = ctx.bytes;
    if (d.size() < 2 || d[0] < 2 || (d[1] & 0x60) != 0x20) return false;
    const auto itf = ctx.descriptor.interfaceDescriptor;
    if (itf.size() >= 9) {
        const CLASS_DESCRIPTOR_ROW* row = FindClassDescriptorRow(ClassDecodersOf(ctx), itf[5], itf[6]);
        if (row != nullptr && row->decode != nullptr && ctx.page != nullptr) {
            const PageMark mark = ctx.page->Mark();
            if (row->decode(ctx)) return true;
            ctx.page->Rollback(mark);
        }
    }
    return RenderUnrecognizedDescriptor(ctx);
}

bool DecodeDescriptor(DECODE_CONTEXT& ctx) {
    const auto d = ctx.bytes;
    if (d.size() < 2 || d[0] < 2 || ctx.page == nullptr) return false;
    const uint8_t type = d[1];
    const PageMark mark = ctx.page->Mark();
    if (type == kCompanion) {
        if (DecodeSsEndpointCompanionDescriptor(ctx)) return true;
        ctx.page->Rollback(mark);
    }
    switch ((type >> 5) & 3) {
    case 1: return DecodeClassSpecificDescriptor(ctx);
    case 2:
    case 3: return RenderUnrecognizedDescriptor(ctx);
    default: break;
    }
    bool ok = false;
    switch (type & 0x1F) {
    case kDevice: ok = DecodeDeviceDescriptor(ctx); break;
    case kConfiguration:
    case kOtherSpeed: ok = DecodeConfigurationDescriptor(ctx); break;
    case kString: ok = DecodeStringDescriptor(ctx, kUnknownStringIndex); break;
    case kInterface: ok = DecodeInterfaceDescriptor(ctx); break;
    case kEndpoint: ok = DecodeEndpointDescriptor(ctx); break;
    case kQualifier: ok = DecodeDeviceQualifierDescriptor(ctx); break;
    case kAssociation: ok = DecodeInterfaceAssociationDescriptor(ctx); break;
    case kBos: ok = DecodeBosDescriptor(ctx); break;
    default: break;
    }
    if (ok) return true;
    ctx.page->Rollback(mark);
    return RenderUnrecognizedDescriptor(ctx);
}

namespace {

// Runs f with ctx.bytes set to `bytes`, then restores them.
template <class F>
auto With(DECODE_CONTEXT& ctx, std::span<const uint8_t> bytes, F f) {
    const auto saved = ctx.bytes;
    ctx.bytes = bytes;
    const auto result = f();
    ctx.bytes = saved;
    return result;
}

} // namespace

bool DecodeInterfaceGroup(DECODE_CONTEXT& ctx, size_t groupLength) {
    const auto group = ctx.bytes.first(groupLength < ctx.bytes.size() ? groupLength : ctx.bytes.size());
    if (group.size() <= 8 || group[1] != kInterface || group[0] <= 8) return false;
    if (!With(ctx, Held(group), [&] { return DecodeInterfaceDescriptor(ctx); })) return false;
    BeginIndentDiv(ctx);
    ctx.descriptor.interfaceDescriptor = Held(group);
    WalkDescriptors(ctx, group, Held(group).size(), group.size(),
                    [](DECODE_CONTEXT& c, std::span<const uint8_t> rest, size_t) -> size_t {
                        With(c, rest.first(rest[0]), [&] { return DecodeDescriptor(c); });
                        return rest[0];
                    });
    ctx.descriptor.interfaceDescriptor = {};
    EndIndentDiv(ctx);
    return true;
}

bool DecodeInterfaceAssociationGroup(DECODE_CONTEXT& ctx, size_t groupLength) {
    const auto group = ctx.bytes.first(groupLength < ctx.bytes.size() ? groupLength : ctx.bytes.size());
    if (group.size() <= 7 || group[1] != kAssociation || group[0] <= 7) return false;
    if (!With(ctx, Held(group), [&] { return DecodeInterfaceAssociationDescriptor(ctx); })) return false;
    BeginIndentDiv(ctx);
    ctx.descriptor.association = Held(group);
    WalkDescriptors(ctx, group, Held(group).size(), group.size(),
                    [](DECODE_CONTEXT& c, std::span<const uint8_t> rest, size_t) -> size_t {
                        if (rest[1] == kInterface) {
                            const size_t g = GetInterfaceGroupLength(rest);
                            if (g > 8) {
                                With(c, rest.first(g), [&] { return DecodeInterfaceGroup(c, g); });
                                return g;
                            }
                        }
                        With(c, rest.first(rest[0]), [&] { return DecodeDescriptor(c); });
                        return rest[0];
                    });
    ctx.descriptor.association = {};
    EndIndentDiv(ctx);
    return true;
}

bool DecodeConfigurationDescriptorSet(DECODE_CONTEXT& ctx) {
    const auto set = ctx.bytes;
    if (set.size() < 9 || set[0] < 9 || (set[1] != kConfiguration && set[1] != kOtherSpeed) || ctx.page == nullptr) {
        return false;
    }
    if (ctx.anchorBase.empty()) ctx.anchorBase = set;
    if (!With(ctx, Held(set), [&] { return DecodeConfigurationDescriptor(ctx); })) return false;
    const size_t total = W(set, 2);
    if (total <= 17) return true;
    ctx.descriptor.configuration = set.first(total < set.size() ? total : set.size());
    WalkDescriptors(ctx, set, set[0], total, [](DECODE_CONTEXT& c, std::span<const uint8_t> rest, size_t) -> size_t {
        const uint8_t type = rest[1];
        if (type == kAssociation) {
            const size_t g = GetIadGroupLength(rest);
            if (g > 7) {
                BeginIndentDiv(c);
                With(c, rest.first(g), [&] { return DecodeInterfaceAssociationGroup(c, g); });
                EndIndentDiv(c);
                return g;
            }
        } else if (type == kInterface) {
            const size_t g = GetInterfaceGroupLength(rest);
            if (g > 8) {
                BeginIndentDiv(c);
                With(c, rest.first(g), [&] { return DecodeInterfaceGroup(c, g); });
                EndIndentDiv(c);
                return g;
            }
        }
        With(c, rest.first(rest[0]), [&] { return DecodeDescriptor(c); });
        return rest[0];
    });
    return true;
}

} // namespace brx
