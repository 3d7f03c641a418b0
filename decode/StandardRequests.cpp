#include "decode/StandardRequests.h"

#include <cstdio>

#include "decode/BosDescriptors.h"
#include "decode/ClassDecoders.h"
#include "decode/DescriptorRows.h"
#include "decode/HtmlWriters.h"
#include "decode/RequestNames.h"
#include "decode/SetupRows.h"
#include "decode/StandardDescriptors.h"
#include "decode/UsbNames.h"

namespace brx {

using namespace rows;

namespace {

enum : uint8_t {
    kGetStatus = 0,
    kClearFeature = 1,
    kSetFeature = 3,
    kSetAddress = 5,
    kGetDescriptor = 6,
    kSetDescriptor = 7,
    kGetConfiguration = 8,
    kSetConfiguration = 9,
    kGetInterface = 10,
    kSetInterface = 11,
    kSynchFrame = 12,
    kSetSel = 48,
    kSetIsochDelay = 49,
};

// The setup packet's fields (a field not held reads 0; the row writers write
// no row for it).
struct Setup {
    uint8_t bytes[8] = {};
    explicit Setup(std::span<const uint8_t> s) {
        for (size_t i = 0; i < 8 && i < s.size(); ++i) bytes[i] = s[i];
    }
    uint8_t type() const { return bytes[0]; }
    uint8_t request() const { return bytes[1]; }
    uint16_t value() const { return static_cast<uint16_t>(bytes[2] | (bytes[3] << 8)); }
    uint16_t index() const { return static_cast<uint16_t>(bytes[4] | (bytes[5] << 8)); }
    uint8_t recipient() const { return bytes[0] & 0x1F; }
};

// The data stage when it is present with at least n bytes (and, for data
// from the device, at the completion).
std::span<const uint8_t> Data(const DECODE_CONTEXT& ctx, size_t n, bool fromDevice) {
    const auto& r = ctx.request;
    if (!r.dataPresent || r.data.data() == nullptr || r.data.size() < n) return {};
    if (fromDevice && !r.completion) return {};
    return r.data;
}

// The setup table of a request: title, the common rows, the request's rows.
template <class F>
void SetupTable(DECODE_CONTEXT& ctx, F rows) {
    if (!ctx.setupAsSent) return;
    WriteStandardRequestTitle(ctx);
    if (BeginFieldTable(ctx)) {
        WriteStandardSetupRows(ctx);
        rows();
        EndFieldTable(ctx);
    }
}

void GenericRows(DECODE_CONTEXT& ctx) {
    if (BeginFieldTable(ctx)) {
        WriteStandardSetupRows(ctx);
        WriteSetupValueRow(ctx, nullptr);
        WriteSetupIndexRow(ctx, nullptr);
        WriteSetupLengthRow(ctx, nullptr);
        EndFieldTable(ctx);
    }
}

// "Endpoint 1 In" of wIndex's low byte.
const char* EndpointText(uint16_t index, char (&out)[32]) {
    char number[16];
    FormatEndpointNumber(static_cast<uint8_t>(index), number, sizeof number);
    std::snprintf(out, sizeof out, "%s %s", "Endpoint", number);
    return out;
}

const char* FeatureName(uint8_t recipient, uint16_t selector) {
    switch (recipient) {
    case 0:
        switch (selector) {
        case 1: return "Remote Wakeup";
        case 2: return "Test Mode";
        case 6: return "Debug Mode";
        case 48: return "U1 Enable";
        case 49: return "U2 Enable";
        case 50: return "LTM Enable";
        case 51: return "B-device notify host release";
        default: return nullptr;
        }
    case 1: return selector == 0 ? "Function Suspend" : nullptr;
    case 2: return selector == 0 ? "Halt" : nullptr;
    default: return nullptr;
    }
}

void FeatureValueRow(DECODE_CONTEXT& ctx, const Setup& s) {
    const char* name = FeatureName(s.recipient(), s.value());
    char text[64];
    if (name) std::snprintf(text, sizeof text, "%s: %s", "Feature", name);
    WriteSetupValueRow(ctx, name ? text : nullptr);
}

// wIndex of CLEAR_FEATURE (and of SET_FEATURE's other cases).
void FeatureIndexRow(DECODE_CONTEXT& ctx, const Setup& s) {
    char text[32];
    switch (s.recipient()) {
    case 0: WriteCheckedSetupIndexRow(ctx, 0, nullptr); break;
    case 1: WriteSetupIndexRow(ctx, "Interface"); break;
    case 2: WriteSetupIndexRow(ctx, EndpointText(s.index(), text)); break;
    default: WriteSetupIndexRow(ctx, nullptr); break;
    }
}

// A status word's table (GET_STATUS data).
template <class F>
void StatusTable(DECODE_CONTEXT& ctx, const char* title, uint16_t status, F bits) {
    WriteSectionTitle(ctx, title);
    if (BeginFieldTable(ctx)) {
        Word(ctx, 0, "Status", status, nullptr);
        if (ctx.expand) bits();
        EndFieldTable(ctx);
    }
}

void ReservedStatus(DECODE_CONTEXT& ctx, uint32_t mask, uint16_t status) {
    if (!ctx.detail) return;
    const bool set = (status & mask) != 0;
    Bits(ctx, "Reserved", 2, mask, status, set ? "Should be zero" : nullptr, set);
}

const char* EnabledText(bool on) { return on ? "Enabled" : "Disabled"; }

// A one-field data table (GET_CONFIGURATION, GET_INTERFACE, SYNCH_FRAME).
void ValueTable(DECODE_CONTEXT& ctx, const char* title, const char* name, std::span<const uint8_t> value) {
    WriteSectionTitle(ctx, title);
    if (BeginFieldTable(ctx)) {
        WriteValueRow(ctx, 0, name, value, nullptr);
        EndFieldTable(ctx);
    }
}

} // namespace

uint16_t RequestVersionWord(const DECODE_CONTEXT& ctx) {
    return ctx.request.version != 0 ? ctx.request.version : VersionWord(ctx);
}

DECODE_CONTEXT NestedDescriptorContext(const DECODE_CONTEXT& ctx, std::span<const uint8_t> bytes, uint16_t versionWord) {
    DECODE_CONTEXT nested;
    nested.page = ctx.page;
    nested.headerRow = ctx.headerRow;
    nested.offsetColumn = ctx.offsetColumn;
    nested.sizeColumn = ctx.sizeColumn;
    nested.expand = ctx.expand;
    nested.detail = ctx.detail;
    nested.divisionDepth = ctx.divisionDepth;
    nested.bytes = bytes;
    nested.anchorSet = ctx.anchorSet;
    nested.classDecoders = ctx.classDecoders;
    nested.deviceSpeed = -1;
    nested.fallbackVersion = static_cast<int16_t>(versionWord);
    return nested;
}

bool WriteStandardRequestTitle(DECODE_CONTEXT& ctx) {
    const Setup s(ctx.bytes);
    const char* name = StandardRequestName(s.request(), NAME_FRIENDLY);
    if (!WriteSectionTitle(ctx, name ? name : "Setup Packet")) return false;
    const char* description = StandardRequestDescription(s.bytes);
    return description == nullptr || WriteSubsectionTitle(ctx, description);
}

bool WriteStandardSetupRows(DECODE_CONTEXT& ctx) {
    const Setup s(ctx.bytes);
    WriteSetupRequestTypeRow(ctx);
    if (ctx.expand) {
        WriteSetupRecipientRow(ctx);
        WriteSetupTypeRow(ctx);
        switch (s.request()) {
        case kGetStatus: case kGetDescriptor: case kGetConfiguration: case kGetInterface: case kSynchFrame:
            WriteCheckedSetupDirectionRow(ctx, 1);
            break;
        case kClearFeature: case kSetFeature: case kSetAddress: case kSetDescriptor: case kSetConfiguration:
        case kSetInterface: case kSetSel: case kSetIsochDelay:
            WriteCheckedSetupDirectionRow(ctx, 0);
            break;
        default: WriteSetupDirectionRow(ctx); break;
        }
    }
    return WriteSetupRequestRow(ctx, StandardRequestName(s.request(), NAME_FRIENDLY));
}

bool DecodeGetStatus(DECODE_CONTEXT& ctx) {
    const Setup s(ctx.bytes);
    SetupTable(ctx, [&] {
        WriteSetupValueRow(ctx, nullptr);
        char text[32];
        switch (s.type()) {
        case 0x80: WriteCheckedSetupIndexRow(ctx, 0, nullptr); break;
        case 0x81: WriteSetupIndexRow(ctx, "Interface"); break;
        case 0x82: WriteSetupIndexRow(ctx, EndpointText(s.index(), text)); break;
        default: WriteSetupIndexRow(ctx, nullptr); break;
        }
        WriteCheckedSetupLengthRow(ctx, 2, nullptr);
    });
    const auto data = Data(ctx, 2, true);
    if (data.empty() || !(s.type() & 0x80)) return true;
    const uint16_t status = W(data, 0);
    const bool usb3 = RequestVersionWord(ctx) == 0x0300;
    switch (s.recipient()) {
    case 0:
        StatusTable(ctx, "Device Status", status, [&] {
            Bits(ctx, "Self-powered", 2, 0x0001, status, (status & 1) ? "Self Powered" : "Bus Powered");
            Bits(ctx, "Remote Wakeup", 2, 0x0002, status, EnabledText(status & 2));
            if (usb3) {
                Bits(ctx, "U1 Enable", 2, 0x0004, status, EnabledText(status & 4));
                Bits(ctx, "U2 Enable", 2, 0x0008, status, EnabledText(status & 8));
                Bits(ctx, "LTM Enable", 2, 0x0010, status, EnabledText(status & 0x10));
            }
            ReservedStatus(ctx, usb3 ? 0xFFE0 : 0xFFFC, status);
        });
        break;
    case 1:
        StatusTable(ctx, "Interface Status", status, [&] {
            if (usb3) {
                const bool capable = status & 1;
                Bits(ctx, "Function Remote Wake Capable", 2, 0x0001, status, capable ? "Yes" : "No");
                if (!(status & 2)) Bits(ctx, "Function Remote Wakeup", 2, 0x0002, status, capable ? "Disabled (default)" : nullptr);
                else if (capable) Bits(ctx, "Function Remote Wakeup", 2, 0x0002, status, "Enabled");
                else Bits(ctx, "Function Remote Wakeup", 2, 0x0002, status, "Should be zero", true);
            }
            ReservedStatus(ctx, usb3 ? 0xFFFC : 0xFFFF, status);
        });
        break;
    case 2:
        StatusTable(ctx, "Endpoint Status", status, [&] {
            Bits(ctx, "Halt", 2, 0x0001, status, (status & 1) ? "Halted" : nullptr);
            ReservedStatus(ctx, 0xFFFE, status);
        });
        break;
    default: break;
    }
    return true;
}

bool DecodeClearFeature(DECODE_CONTEXT& ctx) {
    const Setup s(ctx.bytes);
    SetupTable(ctx, [&] {
        FeatureValueRow(ctx, s);
        FeatureIndexRow(ctx, s);
        WriteCheckedSetupLengthRow(ctx, 0, nullptr);
    });
    return true;
}

bool DecodeSetFeature(DECODE_CONTEXT& ctx) {
    const Setup s(ctx.bytes);
    SetupTable(ctx, [&] {
        FeatureValueRow(ctx, s);
        const uint8_t low = s.bytes[4], high = s.bytes[5];
        const bool held = ctx.bytes.size() >= 6;
        if (s.recipient() == 0 && s.value() == 2) {
            if (held) Byte(ctx, 4, "wIndex.LowByte", low, low != 0 ? "Should be zero" : nullptr, low != 0);
            const char* mode = TestModeName(high, NAME_FRIENDLY);
            char text[96];
            if (mode) std::snprintf(text, sizeof text, "%s: %s", "Test Selector", mode);
            WriteSetupIndexHighByteRow(ctx, mode ? text : nullptr);
        } else if (s.recipient() == 0 && s.value() == 6) {
            WriteCheckedSetupIndexRow(ctx, 0, nullptr);
        } else if (s.type() == 0x01 && s.value() == 0) {
            WriteSetupIndexLowByteRow(ctx, "Interface");
            WriteSetupIndexHighByteRow(ctx, "Suspend Options");
            if (ctx.expand && held) {
                Bits(ctx, "Function Suspend State", 1, 0x01, high, (high & 1) ? "Low power" : "Normal operation (default)");
                Bits(ctx, "Function Remote Wakeup", 1, 0x02, high, (high & 2) ? "Enabled" : "Disabled (default)");
                if (ctx.detail) Bits(ctx, "Reserved", 1, 0xFC, high, high > 3 ? "Should be zero" : nullptr, high > 3);
            }
        } else {
            FeatureIndexRow(ctx, s);
        }
        WriteCheckedSetupLengthRow(ctx, 0, nullptr);
    });
    return true;
}

bool DecodeSetAddress(DECODE_CONTEXT& ctx) {
    const Setup s(ctx.bytes);
    SetupTable(ctx, [&] {
        WriteSetupValueRow(ctx, s.type() == 0 ? "Address" : nullptr);
        WriteCheckedSetupIndexRow(ctx, 0, nullptr);
        WriteCheckedSetupLengthRow(ctx, 0, nullptr);
    });
    return true;
}

bool DecodeGetConfiguration(DECODE_CONTEXT& ctx) {
    if (Setup(ctx.bytes).type() != 0x80) return false;
    SetupTable(ctx, [&] {
        WriteCheckedSetupValueRow(ctx, 0, nullptr);
        WriteCheckedSetupIndexRow(ctx, 0, nullptr);
        WriteCheckedSetupLengthRow(ctx, 1, nullptr);
    });
    const auto data = Data(ctx, 1, true);
    if (!data.empty()) ValueTable(ctx, "Configuration Value", "Configuration", data.first(1));
    return true;
}

bool DecodeSetConfiguration(DECODE_CONTEXT& ctx) {
    if (Setup(ctx.bytes).type() != 0x00) return false;
    SetupTable(ctx, [&] {
        WriteSetupValueRow(ctx, "Configuration Value");
        WriteCheckedSetupIndexRow(ctx, 0, nullptr);
        WriteCheckedSetupLengthRow(ctx, 0, nullptr);
    });
    return true;
}

bool DecodeGetInterface(DECODE_CONTEXT& ctx) {
    if (Setup(ctx.bytes).type() != 0x81) return false;
    SetupTable(ctx, [&] {
        WriteCheckedSetupValueRow(ctx, 0, nullptr);
        WriteSetupIndexRow(ctx, "Interface");
        WriteCheckedSetupLengthRow(ctx, 1, nullptr);
    });
    const auto data = Data(ctx, 1, true);
    if (!data.empty()) ValueTable(ctx, "Alternate Setting", "Alternate Setting", data.first(1));
    return true;
}

bool DecodeSetInterface(DECODE_CONTEXT& ctx) {
    if (Setup(ctx.bytes).type() != 0x01) return false;
    SetupTable(ctx, [&] {
        WriteSetupValueRow(ctx, "Alternate Setting");
        WriteSetupIndexRow(ctx, "Interface");
        WriteCheckedSetupLengthRow(ctx, 0, nullptr);
    });
    return true;
}

bool DecodeSynchFrame(DECODE_CONTEXT& ctx) {
    const Setup s(ctx.bytes);
    if (s.type() != 0x82) return false;
    SetupTable(ctx, [&] {
        char text[32];
        WriteCheckedSetupValueRow(ctx, 0, nullptr);
        WriteSetupIndexRow(ctx, EndpointText(s.index(), text));
        WriteCheckedSetupLengthRow(ctx, 2, nullptr);
    });
    const auto data = Data(ctx, 2, true);
    if (!data.empty()) ValueTable(ctx, "Frame Number", "Frame Number", data.first(2));
    return true;
}

bool DecodeSetSel(DECODE_CONTEXT& ctx) {
    if (Setup(ctx.bytes).type() != 0x00) return false;
    SetupTable(ctx, [&] {
        WriteCheckedSetupValueRow(ctx, 0, nullptr);
        WriteCheckedSetupIndexRow(ctx, 0, nullptr);
        WriteCheckedSetupLengthRow(ctx, 6, nullptr);
    });
    const auto data = Data(ctx, 6, false);
    if (data.empty()) return true;
    WriteSectionTitle(ctx, "Exit Latency Values");
    if (BeginFieldTable(ctx)) {
        struct Field {
            const char* name;
            uint32_t offset, size;
        };
        static constexpr Field kFields[] = {{"U1SEL", 0, 1}, {"U1PEL", 1, 1}, {"U2SEL", 2, 2}, {"U2PEL", 4, 2}};
        for (const Field& f : kFields) {
            const uint32_t value = f.size == 1 ? data[f.offset] : W(data, f.offset);
            char text[32];
            std::snprintf(text, sizeof text, "%u \xB5s", value);
            WriteValueRow(ctx, f.offset, f.name, data.subspan(f.offset, f.size), text);
        }
        EndFieldTable(ctx);
    }
    return true;
}

bool DecodeSetIsochDelay(DECODE_CONTEXT& ctx) {
    const Setup s(ctx.bytes);
    if (s.type() != 0x00) return false;
    SetupTable(ctx, [&] {
        char text[32];
        std::snprintf(text, sizeof text, "%u ns delay", s.value());
        WriteSetupValueRow(ctx, text);
        WriteCheckedSetupIndexRow(ctx, 0, nullptr);
        WriteCheckedSetupLengthRow(ctx, 0, nullptr);
    });
    return true;
}

namespace {

const char* StandardDescriptorTypeName(uint8_t type) {
    switch (type) {
    case 1: return "Device Descriptor";
    case 2: return "Configuration Descriptor";
    case 3: return "String Descriptor";
    case 6: return "Device Qualifier Descriptor";
    case 7: return "Other Speed Configuration Descriptor";
    case 9: return "On-The-Go Descriptor";
    case 10: return "Debug Descriptor";
    case 15: return "BOS Descriptor";
    default: return nullptr;
    }
}

const char* ClassDescriptorTypeName(uint8_t type) {
    switch (type) {
    case 0x21: return "HID Descriptor";
    case 0x22: return "Report Descriptor";
    case 0x23: return "Physical Descriptor";
    default: return nullptr;
    }
}

// Class descriptor data of a standard GET/SET_DESCRIPTOR: decoded by the
// descriptor row of the HID class (the only class with such requests here),
// else shown as an unrecognized descriptor.
bool DecodeClassDescriptorData(DECODE_CONTEXT& nested) {
    const CLASS_DESCRIPTOR_ROW* row = FindClassDescriptorRow(ClassDecodersOf(nested), 0x03, 0);
    if (row != nullptr && row->decode != nullptr && nested.page != nullptr) {
        const PageMark mark = nested.page->Mark();
        if (row->decode(nested)) return true;
        nested.page->Rollback(mark);
    }
    return RenderUnrecognizedDescriptor(nested);
}

} // namespace

bool DecodeGetSetDescriptor(DECODE_CONTEXT& ctx) {
    const Setup s(ctx.bytes);
    if (RequestTypeOf(s.type()) != REQUEST_TYPE_STANDARD) return false;
    const uint8_t dt = static_cast<uint8_t>(s.value() >> 8), index = static_cast<uint8_t>(s.value());
    const bool classType = (dt & 0x60) == 0x20;
    const bool standardType = (dt & 0x60) == 0x00;
    if (ctx.setupAsSent) WriteStandardRequestTitle(ctx);
    bool tableWritten = false;
    if (ctx.setupAsSent && classType && (s.type() == 0x81 || s.type() == 0x01)) {
        tableWritten = true;
        if (BeginFieldTable(ctx)) {
            WriteStandardSetupRows(ctx);
            if (dt == 0x23) WriteSetupValueLowByteRow(ctx, "Descriptor Set");
            else if (ctx.bytes.size() >= 3) Byte(ctx, 2, "wValue.LowByte", index, index != 0 ? "Should be zero" : nullptr, index != 0);
            WriteSetupValueHighByteRow(ctx, ClassDescriptorTypeName(dt));
            WriteSetupIndexRow(ctx, "Interface");
            WriteSetupLengthRow(ctx, "Descriptor Length");
            EndFieldTable(ctx);
        }
    } else if (ctx.setupAsSent && standardType &&
               (dt == 1 || dt == 6 || dt == 2 || dt == 7 || dt == 15 || dt == 3)) {
        tableWritten = true;
        if (BeginFieldTable(ctx)) {
            WriteStandardSetupRows(ctx);
            const char* name = StandardDescriptorTypeName(dt);
            if (dt == 3) {
                WriteSetupValueLowByteRow(ctx, index == 0 ? "Lang ID" : "Descriptor Index");
                WriteSetupValueHighByteRow(ctx, name);
                WriteSetupIndexRow(ctx, s.index() != 0 ? LangIdName(s.index()) : nullptr);
            } else {
                if (dt == 1 || dt == 6) {
                    if (ctx.bytes.size() >= 3) Byte(ctx, 2, "wValue.LowByte", index, index != 0 ? "Should be zero" : nullptr, index != 0);
                } else {
                    WriteSetupValueLowByteRow(ctx, "Descriptor Index");
                }
                WriteSetupValueHighByteRow(ctx, name);
                WriteCheckedSetupIndexRow(ctx, 0, nullptr);
            }
            WriteSetupLengthRow(ctx, "Descriptor Length");
            EndFieldTable(ctx);
        }
    }
    if (ctx.setupAsSent && !tableWritten) GenericRows(ctx);

    // The data stage, in the request's direction.
    const auto& r = ctx.request;
    const bool phase = (s.request() == kGetDescriptor && r.completion) || (s.request() == kSetDescriptor && !r.completion);
    if (!r.dataPresent || r.data.data() == nullptr || !phase || r.data.size() <= 2) return true;
    const auto data = r.data;
    const uint16_t version = RequestVersionWord(ctx);
    auto upToTotal = [&](size_t least) -> std::span<const uint8_t> {
        if (data.size() < least) return {};
        const size_t total = W(data, 2);
        return data.first(total != 0 && total < data.size() ? total : data.size());
    };
    if (standardType) {
        switch (dt) {
        case 1:
            if (data.size() >= 18) DecodeNested(ctx, data.first(18), version, DecodeDeviceDescriptor);
            break;
        case 2:
        case 7:
            if (auto set = upToTotal(9); !set.empty())
                DecodeNested(ctx, set, version, DecodeConfigurationDescriptorSet);
            break;
        case 3:
            if (data.size() > 3)
                DecodeNested(ctx, data, version, [&](DECODE_CONTEXT& c) { return DecodeStringDescriptor(c, index); });
            break;
        case 6:
            if (data.size() >= 10) DecodeNested(ctx, data.first(10), version, DecodeDeviceQualifierDescriptor);
            break;
        case 15:
            if (auto set = upToTotal(5); !set.empty()) DecodeNested(ctx, set, version, DecodeBosDescriptorSet);
            break;
        default: break;
        }
    } else if (classType && dt == 0x21 && data.size() > 8) {
        DecodeNested(ctx, data, version, DecodeClassDescriptorData);
    }
    return true;
}

bool DecodeStandardRequest(DECODE_CONTEXT& ctx) {
    using Decoder = bool (*)(DECODE_CONTEXT&);
    struct Row {
        uint8_t request;
        Decoder decode;
    };
    static constexpr Row kDecoders[] = {
        {kGetStatus, DecodeGetStatus},
        {kClearFeature, DecodeClearFeature},
        {kSetFeature, DecodeSetFeature},
        {kSetAddress, DecodeSetAddress},
        {kGetDescriptor, DecodeGetSetDescriptor},
        {kSetDescriptor, DecodeGetSetDescriptor},
        {kGetConfiguration, DecodeGetConfiguration},
        {kSetConfiguration, DecodeSetConfiguration},
        {kGetInterface, DecodeGetInterface},
        {kSetInterface, DecodeSetInterface},
        {kSynchFrame, DecodeSynchFrame},
        {kSetSel, DecodeSetSel},
        {kSetIsochDelay, DecodeSetIsochDelay},
    };
    static_assert(std::size(kDecoders) == 13);
    const uint8_t request = Setup(ctx.bytes).request();
    if (ctx.page != nullptr) {
        for (const Row& row : kDecoders) {
            if (row.request != request) continue;
            const PageMark mark = ctx.page->Mark();
            if (row.decode(ctx)) return true;
            ctx.page->Rollback(mark);
            break;
        }
    }
    WriteStandardRequestTitle(ctx);
    GenericRows(ctx);
    return true;
}

} // namespace brx
