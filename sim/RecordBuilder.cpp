#include "sim/RecordBuilder.h"

#include "base/ByteReader.h"
#include "base/ByteWriter.h"
#include "capture/RecordIndexer.h"

#include <algorithm>
#include <cstring>

namespace brx {

void PutU16(Bytes& b, size_t off, uint16_t v) {
    if (b.size() < off + 2) b.resize(off + 2);
    PutLe16(b.data() + off, v);
}
void PutU32(Bytes& b, size_t off, uint32_t v) {
    if (b.size() < off + 4) b.resize(off + 4);
    PutLe32(b.data() + off, v);
}
void PutU64(Bytes& b, size_t off, uint64_t v) {
    if (b.size() < off + 8) b.resize(off + 8);
    PutLe64(b.data() + off, v);
}

DRIVER_INFO MakeDriverInfo(const RECORD_LAYOUT& l) {
    Bytes b(DRIVER_INFO_SIZE, 0);
    PutU32(b, 0, DRIVER_INFO_SIZE);
    PutU32(b, 64, l.headerA);
    PutU32(b, 72, l.headerB);
    PutU32(b, 76, l.requestOffset);
    PutU32(b, 80, l.requestSize);
    PutU32(b, 84, l.irpBlockSize);
    PutU32(b, 88, l.shortIrpBlockSize);
    PutU32(b, 92, l.ioctlHeaderSize);
    PutU32(b, 96, l.notifyHeaderSize);
    PutU32(b, 100, l.deviceListHeaderSize);
    PutU32(b, 108, l.driverListHeaderSize);
    PutU32(b, 116, l.hidBlockHeaderSize);
    DRIVER_INFO info;
    std::memcpy(info.bytes, b.data(), DRIVER_INFO_SIZE);
    return info;
}

// ---------------------------------------------------------------------------
// URB shapes

namespace {

using S = UrbShape;
constexpr UrbFunctionShape kUrbShapes[] = {
    {0x00, S::SelectConfiguration, 24, 0, false, false},
    {0x01, S::SelectInterface, 20, 0, false, false},
    {0x02, S::Pipe, 24, 0, true, false},
    {0x03, S::Header, 24, 0, false, false},
    {0x04, S::Header, 24, 0, false, false},
    {0x05, S::Header, 24, 0, false, false},
    {0x06, S::Header, 24, 0, false, false},
    {0x07, S::Header, 20, 0, false, false},
    {0x08, S::Control, 80, 36, true, false},
    {0x09, S::Bulk, 72, 36, true, false},
    {0x0A, S::Isoch, 84, 36, true, false},
    {0x0B, S::Descriptor, 80, 32, false, true},
    {0x0C, S::Descriptor, 80, 32, false, false},
    {0x0D, S::Feature, 80, 0, false, false},
    {0x0E, S::Feature, 80, 0, false, false},
    {0x0F, S::Feature, 80, 0, false, false},
    {0x10, S::Feature, 80, 0, false, false},
    {0x11, S::Feature, 80, 0, false, false},
    {0x12, S::Feature, 80, 0, false, false},
    {0x13, S::GetStatus, 80, 0, false, true},
    {0x14, S::GetStatus, 80, 0, false, true},
    {0x15, S::GetStatus, 80, 0, false, true},
    {0x17, S::VendorClass, 80, 32, false, false},
    {0x18, S::VendorClass, 80, 32, false, false},
    {0x19, S::VendorClass, 80, 32, false, false},
    {0x1A, S::VendorClass, 80, 32, false, false},
    {0x1B, S::VendorClass, 80, 32, false, false},
    {0x1C, S::VendorClass, 80, 32, false, false},
    {0x1E, S::Pipe, 24, 0, true, false},
    {0x1F, S::VendorClass, 80, 32, false, false},
    {0x20, S::VendorClass, 80, 32, false, false},
    {0x21, S::GetStatus, 80, 0, false, true},
    {0x22, S::Feature, 80, 0, false, false},
    {0x23, S::Feature, 80, 0, false, false},
    {0x24, S::Descriptor, 80, 32, false, true},
    {0x25, S::Descriptor, 80, 32, false, false},
    {0x26, S::GetConfiguration, 80, 0, false, true},
    {0x27, S::GetInterface, 80, 0, false, true},
    {0x28, S::Descriptor, 80, 32, false, true},
    {0x29, S::Descriptor, 80, 32, false, false},
    {0x30, S::Pipe, 24, 0, true, false},
    {0x31, S::Pipe, 24, 0, true, false},
    {0x32, S::Control, 80, 36, true, false},
};
constexpr UrbFunctionShape kHeaderShape = {0xFFFF, S::Header, 24, 0, false, false};

constexpr uint32_t kIsoPacketSize = 12;
constexpr uint32_t kInterfaceInfoSize = 16;
constexpr uint32_t kPipeInfoSize = 20;

} // namespace

const UrbFunctionShape& UrbFunctionShapeOf(uint16_t function) {
    for (const auto& s : kUrbShapes)
        if (s.function == function) return s;
    return kHeaderShape;
}

// ---------------------------------------------------------------------------
// RecordBuilder

RecordBuilder::RecordBuilder(const RECORD_LAYOUT& layout) : layout_(layout) {}

void RecordBuilder::SetClock(uint64_t fileTime, int64_t counter, uint64_t fileTimeStep, int64_t counterStep) {
    fileTime_ = fileTime;
    counter_ = counter;
    fileTimeStep_ = fileTimeStep;
    counterStep_ = counterStep;
}

uint32_t RecordBuilder::NewIrp() {
    uint32_t irp = nextIrp_;
    nextIrp_ += 0x100;
    return irp;
}

void RecordBuilder::Header(Bytes& r, uint8_t type) {
    PutU32(r, 0, static_cast<uint32_t>(r.size() & 0xFFFFFF) | (static_cast<uint32_t>(type) << 24));
    PutU32(r, RECORD_SEQUENCE_OFFSET, sequence_);
    PutU64(r, RECORD_TIME_OFFSET, fileTime_);
    // The counter stamp sits below the request part in the driver's layout;
    // a layout that puts the request part over it keeps the request fields.
    if (type != RECORD_TYPE_REQUEST || layout_.requestOffset >= RECORD_COUNTER_OFFSET + 8)
        PutU64(r, RECORD_COUNTER_OFFSET, static_cast<uint64_t>(counter_));
    last_.sequence = sequence_;
    ++sequence_;
    fileTime_ += fileTimeStep_;
    counter_ += counterStep_;
}

Bytes RecordBuilder::RawRecord(uint8_t type, const Bytes& body) {
    Bytes r(RECORD_COUNTER_OFFSET + 8, 0);
    r.insert(r.end(), body.begin(), body.end());
    Header(r, type);
    return r;
}

Bytes RecordBuilder::StartMarker() { return RawRecord(RECORD_TYPE_START, {}); }
Bytes RecordBuilder::DropMarker() { return RawRecord(RECORD_TYPE_DROP, {}); }

Bytes RecordBuilder::Request(const RequestSpec& s) {
    const size_t req = layout_.requestOffset;
    size_t irpOff = layout_.irpBlockOffset;
    size_t irpSize = s.irpForm == IrpForm::Long ? layout_.irpBlockSize
                   : s.irpForm == IrpForm::Short ? layout_.shortIrpBlockSize : 0;
    Bytes r(std::max<size_t>(irpOff, req + 32) + irpSize, 0);

    uint16_t flags = 0;
    if (s.completion) flags |= REQ_FLAG_COMPLETION;
    if (s.irpForm != IrpForm::None) flags |= REQ_FLAG_IRP_BLOCK;
    if (s.irpForm == IrpForm::Short) flags |= REQ_FLAG_SHORT_IRP;
    if (s.hasBlock) flags |= REQ_FLAG_PARAM_BLOCK;
    PutU32(r, req + REQ_DEVICE_OBJECT, s.device.deviceObject);
    PutU32(r, req + REQ_DEVICE_KEY, s.device.deviceKey);
    PutU32(r, req + REQ_ISSUE_SEQUENCE, s.completion ? s.issueSequence : 0);
    PutU32(r, req + REQ_DRIVER_KEY, s.device.driverKey0);
    PutU32(r, req + REQ_DRIVER_KEY + 4, s.device.driverKey1);
    PutU16(r, req + REQ_FLAGS, flags);
    PutU16(r, req + REQ_KIND, s.kind);
    PutU32(r, req + REQ_STATUS, s.completion ? s.status : 0);
    PutU32(r, req + REQ_IRP, s.irp);

    if (s.irpForm != IrpForm::None) {
        // The IRP as a 32-bit system lays it out, four stack locations, the
        // current one third.
        const uint8_t stackCount = 4, current = 3;
        PutU16(r, irpOff + 0, 6);                                   // Type IO_TYPE_IRP
        PutU16(r, irpOff + 2, IRP_SIZE + stackCount * STACK_LOCATION_SIZE);
        PutU32(r, irpOff + 24, s.completion ? s.status : 0);        // IoStatus.Status
        r[irpOff + 34] = stackCount;
        r[irpOff + 35] = current;
        PutU32(r, irpOff + 96, s.irp + IRP_SIZE + (current - 1) * STACK_LOCATION_SIZE);
        if (s.irpForm == IrpForm::Long && irpSize >= IRP_SIZE + STACK_LOCATION_SIZE) {
            size_t st = irpOff + IRP_SIZE;
            r[st + 0] = s.majorFunction;
            r[st + 1] = s.minorFunction;
            for (int i = 0; i < 4; ++i) PutU32(r, st + 4 + 4 * i, s.stackParameters[i]);
            PutU32(r, st + 20, s.device.deviceObject);
        }
    }
    if (s.hasBlock) r.insert(r.end(), s.block.begin(), s.block.end());
    Header(r, RECORD_TYPE_REQUEST);
    last_.irp = s.irp;
    return r;
}

namespace {
constexpr uint8_t IRP_MJ_CREATE = 0x00, IRP_MJ_CLOSE = 0x02, IRP_MJ_CLEANUP = 0x12, IRP_MJ_DEVICE_CONTROL = 0x0E,
                  IRP_MJ_INTERNAL_DEVICE_CONTROL = 0x0F, IRP_MJ_POWER = 0x16, IRP_MJ_PNP = 0x1B;
constexpr uint32_t IOCTL_INTERNAL_USB_SUBMIT_URB = 0x220003;

uint8_t MajorOfKind(uint16_t kind) {
    if (kind == 1) return IRP_MJ_CREATE;
    if (kind == 2) return IRP_MJ_CLOSE;
    if (kind == 3) return IRP_MJ_CLEANUP;
    if (kind >= 20 && kind < 40) return IRP_MJ_POWER;
    if (kind >= 40 && kind < 140) return IRP_MJ_PNP;
    if (kind >= 340 && kind < 4340) return IRP_MJ_INTERNAL_DEVICE_CONTROL;
    if (kind >= 4340 && kind < 9540) return IRP_MJ_DEVICE_CONTROL;
    return 0xFF;
}
RequestSpec MakeRequest(const DeviceSpec& d, uint16_t kind) {
    RequestSpec s;
    s.device = d;
    s.kind = kind;
    return s;
}

uint8_t MinorOfKind(uint16_t kind) {
    if (kind >= 20 && kind < 40) return static_cast<uint8_t>(kind - 20);
    if (kind >= 40 && kind < 140) return static_cast<uint8_t>(kind - 40);
    return 0;
}
} // namespace

// An IRP at issue; major and minor function follow from the kind.
Bytes RecordBuilder::IrpIssue(const DeviceSpec& d, uint16_t kind, uint32_t irp, IrpForm form) {
    RequestSpec s = MakeRequest(d, kind);
    s.irp = irp;
    s.irpForm = form;
    s.majorFunction = MajorOfKind(kind);
    s.minorFunction = MinorOfKind(kind);
    return Request(s);
}

Bytes RecordBuilder::Create(const DeviceSpec& d, uint32_t irp, IrpForm form) { return IrpIssue(d, 1, irp, form); }
Bytes RecordBuilder::Close(const DeviceSpec& d, uint32_t irp, IrpForm form) { return IrpIssue(d, 2, irp, form); }
Bytes RecordBuilder::Power(const DeviceSpec& d, uint8_t minor, uint32_t irp, IrpForm form) {
    return IrpIssue(d, static_cast<uint16_t>(20 + minor), irp, form);
}
Bytes RecordBuilder::Pnp(const DeviceSpec& d, uint8_t minor, uint32_t irp, IrpForm form) {
    return IrpIssue(d, static_cast<uint16_t>(40 + minor), irp, form);
}

Bytes RecordBuilder::Complete(const DeviceSpec& d, uint16_t kind, const Issued& issued, uint32_t status,
                              IrpForm form) {
    RequestSpec s = MakeRequest(d, kind);
    s.completion = true;
    s.issueSequence = issued.sequence;
    s.status = status;
    s.irp = issued.irp;
    s.irpForm = form;
    s.majorFunction = MajorOfKind(kind);
    s.minorFunction = MinorOfKind(kind);
    return Request(s);
}

Bytes RecordBuilder::UrbBlock(const DeviceSpec& d, const UrbSpec& u, bool completion) const {
    const UrbFunctionShape& shape = UrbFunctionShapeOf(u.function);
    uint32_t urbSize = shape.urbSize;
    if (shape.shape == S::Isoch) urbSize += kIsoPacketSize * std::max<uint32_t>(u.isoPackets, 1);
    if (shape.shape == S::SelectConfiguration || shape.shape == S::SelectInterface)
        urbSize += static_cast<uint32_t>(u.selectTail.size());

    Bytes b(URB_BLOCK_HEADER + urbSize, 0);
    PutU16(b, URB_BLOCK_URB_OFFSET, URB_BLOCK_HEADER);
    PutU16(b, URB_BLOCK_USB_VERSION, d.usbVersion);
    b[URB_BLOCK_INTERFACE_CLASS] = d.interfaceClass;
    b[URB_BLOCK_INTERFACE_SUBCLASS] = d.interfaceSubClass;
    b[URB_BLOCK_INTERFACE_PROTOCOL] = d.interfaceProtocol;
    if (shape.pipePosition) {
        b[URB_BLOCK_PIPE_INFO] = d.configurationValue;
        b[URB_BLOCK_PIPE_INFO + 1] = d.interfaceNumber;
        b[URB_BLOCK_PIPE_INFO + 3] = PackedEndpoint(u.pipe);
    }
    if (shape.shape == S::Bulk) PutU16(b, URB_BLOCK_HID_PIPE_KEY, u.pipe.hidKey);

    // The URB, 32-bit layout.
    const size_t urb = URB_BLOCK_HEADER;
    PutU16(b, urb + 0, static_cast<uint16_t>(urbSize));
    PutU16(b, urb + 2, u.function);
    PutU32(b, urb + 4, completion ? static_cast<uint32_t>(u.usbdStatus) : 0);
    PutU32(b, urb + 8, 0x8A0D0000);   // USBD device handle
    uint32_t flags = u.transferFlags;
    if (shape.in) flags |= 1;
    switch (shape.shape) {
    case S::Pipe:
        PutU32(b, urb + 16, u.pipe.handle);
        break;
    case S::Control:
    case S::Bulk:
    case S::Isoch:
        PutU32(b, urb + 16, shape.shape == S::Control ? 0 : u.pipe.handle);
        if (shape.shape == S::Control) {
            flags |= 0x8;   // default pipe
            if (u.setup[0] & 0x80) flags |= 1;
            std::memcpy(&b[urb + 72], u.setup, 8);
        }
        PutU32(b, urb + 20, flags);
        PutU32(b, urb + 24, u.bufferLength);
        PutU32(b, urb + 28, u.bufferLength ? 0x8A0E0000 : 0);
        if (shape.shape == S::Isoch) {
            uint32_t n = std::max<uint32_t>(u.isoPackets, 1);
            PutU32(b, urb + 72, 0x1200);   // StartFrame
            PutU32(b, urb + 76, n);
            uint32_t per = u.bufferLength / n;
            for (uint32_t i = 0; i < n; ++i) {
                size_t p = urb + 84 + kIsoPacketSize * i;
                PutU32(b, p, i * per);                            // Offset
                PutU32(b, p + 4, completion ? per : 0);           // Length
                PutU32(b, p + 8, 0);                              // Status
            }
        }
        break;
    case S::Descriptor:
        PutU32(b, urb + 20, flags);
        PutU32(b, urb + 24, u.bufferLength);
        PutU32(b, urb + 28, u.bufferLength ? 0x8A0E0000 : 0);
        b[urb + 74] = u.descriptorIndex;
        b[urb + 75] = u.descriptorType;
        PutU16(b, urb + 76, u.languageId);
        break;
    case S::VendorClass:
        PutU32(b, urb + 20, flags);
        PutU32(b, urb + 24, u.bufferLength);
        PutU32(b, urb + 28, u.bufferLength ? 0x8A0E0000 : 0);
        b[urb + 73] = u.request;
        PutU16(b, urb + 74, u.value);
        PutU16(b, urb + 76, u.index);
        break;
    case S::Feature:
        PutU16(b, urb + 74, u.value);
        PutU16(b, urb + 76, u.index);
        break;
    case S::GetStatus:
    case S::GetConfiguration:
    case S::GetInterface:
        PutU32(b, urb + 20, flags);
        PutU32(b, urb + 24, u.bufferLength);
        PutU16(b, urb + 76, u.index);
        if (completion && !u.resultBytes.empty()) {
            if (shape.shape == S::GetStatus) {
                b[32] = static_cast<uint8_t>(std::min<size_t>(u.resultBytes.size(), 2));
                for (size_t i = 0; i < b[32]; ++i) b[34 + i] = u.resultBytes[i];
            } else if (shape.shape == S::GetConfiguration) {
                b[36] = 1;
                b[37] = u.resultBytes[0];
            } else {
                b[40] = 1;
                b[41] = u.resultBytes[0];
            }
        }
        break;
    case S::SelectConfiguration:
        PutU32(b, urb + 16, 0x8A0F0000);   // configuration descriptor
        PutU32(b, urb + 20, completion ? 0x8A0F1000 : 0);
        std::copy(u.selectTail.begin(), u.selectTail.end(), b.begin() + urb + 24);
        break;
    case S::SelectInterface:
        PutU32(b, urb + 16, 0x8A0F1000);
        std::copy(u.selectTail.begin(), u.selectTail.end(), b.begin() + urb + 20);
        break;
    case S::Header:
        break;
    }

    if (shape.dataRefAt) {
        uint32_t len = static_cast<uint32_t>(u.data.size()) & 0x0FFFFFFF;
        uint32_t ref = len | (u.dataRefFlag ? 0x80000000u : 0);
        PutU32(b, shape.dataRefAt, ref);
        PutU16(b, shape.dataRefAt + 4, static_cast<uint16_t>(len ? b.size() : 0));
        b.insert(b.end(), u.data.begin(), u.data.end());
    }
    PutU16(b, URB_BLOCK_LENGTH, static_cast<uint16_t>(std::min<size_t>(b.size(), 0xFFFF)));
    return b;
}

Bytes RecordBuilder::UrbIssue(const DeviceSpec& d, const UrbSpec& u, uint32_t irp) {
    RequestSpec s = MakeRequest(d, static_cast<uint16_t>(340 + u.function));
    s.irp = irp;
    s.majorFunction = IRP_MJ_INTERNAL_DEVICE_CONTROL;
    s.stackParameters[2] = IOCTL_INTERNAL_USB_SUBMIT_URB;
    s.stackParameters[0] = 0x8A0B0000;   // Argument1: the URB
    s.hasBlock = true;
    s.block = UrbBlock(d, u, false);
    return Request(s);
}

Bytes RecordBuilder::UrbCompletion(const DeviceSpec& d, const UrbSpec& u, const Issued& issued, uint32_t status) {
    RequestSpec s = MakeRequest(d, static_cast<uint16_t>(340 + u.function));
    s.completion = true;
    s.issueSequence = issued.sequence;
    s.status = status;
    s.irp = issued.irp;
    s.majorFunction = IRP_MJ_INTERNAL_DEVICE_CONTROL;
    s.stackParameters[2] = IOCTL_INTERNAL_USB_SUBMIT_URB;
    s.stackParameters[0] = 0x8A0B0000;
    s.hasBlock = true;
    s.block = UrbBlock(d, u, true);
    return Request(s);
}

Bytes RecordBuilder::IoctlBlock(uint32_t code, uint32_t bufferLength, const Bytes& buffer) {
    Bytes b(12, 0);
    PutU32(b, 0, code);
    PutU32(b, 4, bufferLength);
    PutU32(b, 8, static_cast<uint32_t>(buffer.size()));
    b.insert(b.end(), buffer.begin(), buffer.end());
    return b;
}

Bytes RecordBuilder::IoctlIssue(const DeviceSpec& d, uint16_t kind, uint32_t code, uint32_t bufferLength,
                                const Bytes& buffer, uint32_t irp) {
    RequestSpec s = MakeRequest(d, kind);
    s.irp = irp;
    s.majorFunction = MajorOfKind(kind);
    s.stackParameters[0] = bufferLength;   // OutputBufferLength
    s.stackParameters[1] = static_cast<uint32_t>(buffer.size());
    s.stackParameters[2] = code;
    s.hasBlock = true;
    s.block = IoctlBlock(code, bufferLength, buffer);
    return Request(s);
}

Bytes RecordBuilder::IoctlCompletion(const DeviceSpec& d, uint16_t kind, uint32_t code, uint32_t bufferLength,
                                     const Bytes& buffer, const Issued& issued, uint32_t status) {
    RequestSpec s = MakeRequest(d, kind);
    s.completion = true;
    s.issueSequence = issued.sequence;
    s.status = status;
    s.irp = issued.irp;
    s.majorFunction = MajorOfKind(kind);
    s.stackParameters[0] = bufferLength;
    s.stackParameters[2] = code;
    s.hasBlock = true;
    s.block = IoctlBlock(code, bufferLength, buffer);
    return Request(s);
}

// ---------------------------------------------------------------------------
// URB descriptions

uint8_t PackedEndpoint(const PipeSpec& pipe) {
    if (pipe.endpoint == 0xFF) return 0xFF;
    return static_cast<uint8_t>((pipe.endpoint & 0x8F) | ((pipe.transferType & 3) << 5));
}

UrbSpec ControlTransfer(const uint8_t setup[8], Bytes data) {
    UrbSpec u;
    u.function = URB_FN_CONTROL_TRANSFER;
    u.pipe.endpoint = 0x00;
    u.pipe.transferType = PIPE_TYPE_CONTROL;
    u.pipe.handle = 0;
    std::memcpy(u.setup, setup, 8);
    u.bufferLength = static_cast<uint32_t>(setup[6] | (setup[7] << 8));
    u.data = std::move(data);
    return u;
}

UrbSpec GetDescriptor(uint8_t type, uint8_t index, uint16_t languageId, uint32_t length, Bytes data) {
    UrbSpec u;
    u.function = URB_FN_GET_DESCRIPTOR_FROM_DEVICE;
    u.descriptorType = type;
    u.descriptorIndex = index;
    u.languageId = languageId;
    u.bufferLength = length;
    u.transferFlags = 1;
    u.data = std::move(data);
    return u;
}

UrbSpec SetDescriptor(uint8_t type, uint8_t index, uint16_t languageId, Bytes data) {
    UrbSpec u;
    u.function = URB_FN_SET_DESCRIPTOR_TO_DEVICE;
    u.descriptorType = type;
    u.descriptorIndex = index;
    u.languageId = languageId;
    u.bufferLength = static_cast<uint32_t>(data.size());
    u.data = std::move(data);
    return u;
}

UrbSpec VendorClassRequest(uint16_t function, bool in, uint8_t request, uint16_t value, uint16_t index,
                           uint32_t length, Bytes data) {
    UrbSpec u;
    u.function = function;
    u.transferFlags = in ? 1 : 0;
    u.request = request;
    u.value = value;
    u.index = index;
    u.bufferLength = length;
    u.data = std::move(data);
    return u;
}

UrbSpec BulkTransfer(const PipeSpec& pipe, uint32_t length, Bytes data) {
    UrbSpec u;
    u.function = URB_FN_BULK_OR_INTERRUPT;
    u.pipe = pipe;
    u.transferFlags = (pipe.endpoint & 0x80) ? 3 : 0;
    u.bufferLength = length;
    u.data = std::move(data);
    return u;
}

UrbSpec IsochTransfer(const PipeSpec& pipe, uint32_t packets, uint32_t length, Bytes data) {
    UrbSpec u;
    u.function = URB_FN_ISOCH_TRANSFER;
    u.pipe = pipe;
    u.pipe.transferType = PIPE_TYPE_ISOCHRONOUS;
    u.transferFlags = (pipe.endpoint & 0x80) ? 1 : 0;
    u.isoPackets = packets;
    u.bufferLength = length;
    u.data = std::move(data);
    return u;
}

UrbSpec PipeRequest(uint16_t function, const PipeSpec& pipe) {
    UrbSpec u;
    u.function = function;
    u.pipe = pipe;
    return u;
}

UrbSpec SelectConfiguration(uint8_t interfaceNumber, uint8_t interfaceClass, uint8_t subClass, uint8_t protocol,
                            const std::vector<PipeSpec>& pipes) {
    UrbSpec u;
    u.function = URB_FN_SELECT_CONFIGURATION;
    Bytes t(kInterfaceInfoSize + kPipeInfoSize * pipes.size(), 0);
    PutU16(t, 0, static_cast<uint16_t>(t.size()));
    t[2] = interfaceNumber;
    t[3] = 0;   // alternate setting
    t[4] = interfaceClass;
    t[5] = subClass;
    t[6] = protocol;
    PutU32(t, 8, 0x8A0F2000);   // interface handle
    PutU32(t, 12, static_cast<uint32_t>(pipes.size()));
    for (size_t i = 0; i < pipes.size(); ++i) {
        size_t p = kInterfaceInfoSize + kPipeInfoSize * i;
        PutU16(t, p, 512);                      // MaximumPacketSize
        t[p + 2] = pipes[i].endpoint;
        t[p + 3] = 0;                           // interval
        PutU32(t, p + 4, pipes[i].transferType);   // the system's pipe type numbers match
        PutU32(t, p + 8, pipes[i].handle);
        PutU32(t, p + 12, 0x10000);             // MaximumTransferSize
    }
    u.selectTail = std::move(t);
    return u;
}

// ---------------------------------------------------------------------------
// Bulk-Only transport

Bytes CommandBlockWrapper(uint32_t tag, uint32_t dataLength, bool dataIn, uint8_t lun, const Bytes& cdb) {
    Bytes w(31, 0);
    PutU32(w, 0, CBW_SIGNATURE);
    PutU32(w, 4, tag);
    PutU32(w, 8, dataLength);
    w[12] = dataIn ? 0x80 : 0x00;
    w[13] = lun & 0x0F;
    size_t n = std::min<size_t>(cdb.size(), 16);
    w[14] = static_cast<uint8_t>(n);
    std::copy(cdb.begin(), cdb.begin() + n, w.begin() + 15);
    return w;
}

Bytes CommandStatusWrapper(uint32_t tag, uint32_t residue, uint8_t status) {
    Bytes w(13, 0);
    PutU32(w, 0, CSW_SIGNATURE);
    PutU32(w, 4, tag);
    PutU32(w, 8, residue);
    w[12] = status;
    return w;
}

Bytes InquiryData(uint8_t peripheralType, uint8_t version, const char* vendor, const char* product) {
    Bytes d(36, ' ');
    d[0] = peripheralType;
    d[1] = (peripheralType == 0x05) ? 0x80 : 0x00;   // optical drives are removable
    d[2] = version;
    d[3] = 0x02;   // response data format
    d[4] = 31;     // additional length
    d[5] = d[6] = d[7] = 0;
    for (size_t i = 0; i < 8 && vendor[i]; ++i) d[8 + i] = static_cast<uint8_t>(vendor[i]);
    for (size_t i = 0; i < 16 && product[i]; ++i) d[16 + i] = static_cast<uint8_t>(product[i]);
    d[32] = '1'; d[33] = '.'; d[34] = '0'; d[35] = '0';
    return d;
}

MassStorageDevice MakeMassStorageDevice(uint32_t deviceKey, uint8_t subClass) {
    MassStorageDevice m;
    m.device.deviceKey = deviceKey;
    m.device.deviceObject = deviceKey + 0x30;
    m.device.interfaceClass = 0x08;
    m.device.interfaceSubClass = subClass;
    m.device.interfaceProtocol = 0x50;
    return m;
}

void AppendMassStorageCommand(RecordBuilder& b, MassStorageDevice& dev, const Bytes& cdb, bool dataIn,
                              uint32_t dataLength, const Bytes& data, uint8_t cswStatus,
                              std::vector<Bytes>& out) {
    const uint32_t tag = dev.nextTag++;
    Bytes cbw = CommandBlockWrapper(tag, dataLength, dataIn, 0, cdb);

    UrbSpec u = BulkTransfer(dev.bulkOut, 31, cbw);
    out.push_back(b.UrbIssue(dev.device, u, b.NewIrp()));
    Issued i = b.Last();
    u.data.clear();
    out.push_back(b.UrbCompletion(dev.device, u, i));

    if (dataLength || !data.empty()) {
        const PipeSpec& pipe = dataIn ? dev.bulkIn : dev.bulkOut;
        UrbSpec d = BulkTransfer(pipe, dataLength, dataIn ? Bytes{} : data);
        out.push_back(b.UrbIssue(dev.device, d, b.NewIrp()));
        i = b.Last();
        d.data = dataIn ? data : Bytes{};
        out.push_back(b.UrbCompletion(dev.device, d, i));
    }

    UrbSpec s = BulkTransfer(dev.bulkIn, 13);
    out.push_back(b.UrbIssue(dev.device, s, b.NewIrp()));
    i = b.Last();
    s.data = CommandStatusWrapper(tag, 0, cswStatus);
    out.push_back(b.UrbCompletion(dev.device, s, i));
}

// ---------------------------------------------------------------------------
// Notification blocks

Bytes NameListBlock(uint32_t blockKind, const std::vector<NameItem>& items, const RECORD_LAYOUT& layout) {
    const uint32_t header = blockKind == 1 ? layout.deviceListHeaderSize : layout.driverListHeaderSize;
    const uint32_t itemKind = blockKind == 1 ? 2 : 4;
    Bytes b(header, 0);
    for (const NameItem& it : items) {
        const uint32_t nameBytes = static_cast<uint32_t>(it.name.size() * 2);
        const uint32_t itemSize = (nameBytes + 25) & ~3u;
        const size_t at = b.size();
        b.resize(at + itemSize, 0);
        PutU32(b, at, itemSize);
        PutU32(b, at + 4, itemKind);
        PutU32(b, at + 8, it.key0);
        PutU32(b, at + 12, it.key1);
        PutU16(b, at + 16, static_cast<uint16_t>(nameBytes + 6));
        PutU16(b, at + 18, static_cast<uint16_t>(nameBytes));
        for (size_t i = 0; i < it.name.size(); ++i) PutU16(b, at + 20 + 2 * i, it.name[i]);
    }
    PutU32(b, 0, static_cast<uint32_t>(b.size()));
    PutU32(b, 4, blockKind);
    PutU32(b, 8, static_cast<uint32_t>(items.size()));
    PutU32(b, 12, 0);
    return b;
}

Bytes HidDescriptorBlock(const std::vector<HidDescriptorItem>& items, const RECORD_LAYOUT& layout) {
    Bytes b(layout.hidBlockHeaderSize, 0);
    for (const HidDescriptorItem& it : items) {
        const size_t at = b.size();
        const uint32_t descLen = static_cast<uint32_t>(it.descriptor.size());
        const uint32_t padded = (descLen + 35) & ~3u;
        Bytes item(padded, 0);
        PutU32(item, 4, 9);
        item[8] = it.interfaceNumber;
        PutU16(item, 12, static_cast<uint16_t>(descLen));
        PutU16(item, 14, 32);
        std::copy(it.descriptor.begin(), it.descriptor.end(), item.begin() + 32);
        auto putKeys = [&](const std::vector<HidObjectKey>& keys, size_t countAt) {
            PutU32(item, countAt, static_cast<uint32_t>(keys.size()));
            PutU32(item, countAt + 4, keys.empty() ? 0 : static_cast<uint32_t>(item.size()));
            for (const HidObjectKey& k : keys) {
                size_t p = item.size();
                item.resize(p + 12, 0);
                PutU32(item, p, k.key0);
                PutU32(item, p + 4, k.key1);
                item[p + 8] = k.extra0;
                item[p + 9] = k.extra1;
            }
        };
        putKeys(it.objects, 16);
        putKeys(it.pipes, 24);
        PutU32(item, 0, static_cast<uint32_t>(item.size()));
        b.insert(b.begin() + static_cast<std::ptrdiff_t>(at), item.begin(), item.end());
    }
    PutU32(b, 0, static_cast<uint32_t>(b.size()));
    PutU32(b, 4, 10);
    PutU32(b, 8, static_cast<uint32_t>(items.size()));
    PutU32(b, 12, 0);
    return b;
}

std::vector<Bytes> SplitNotificationBlock(const Bytes& block, size_t maxSize, uint32_t* refused,
                                          const RECORD_LAYOUT& layout) {
    uint32_t dropped = 0;
    std::vector<Bytes> pieces;
    const ByteReader r(block.data(), block.size());
    const uint32_t kind = r.u32le_or(4);
    const uint32_t header = kind == NOTIFY_DEVICE_NAMES   ? layout.deviceListHeaderSize
                            : kind == NOTIFY_DRIVER_NAMES ? layout.driverListHeaderSize
                            : kind == NOTIFY_HID_DESCRIPTORS ? layout.hidBlockHeaderSize
                                                             : 0;
    if (block.size() <= maxSize) {
        pieces.push_back(block);
    } else if (header < 16 || header > block.size() || header >= maxSize) {
        dropped = 1;
    } else {
        // The items, each whole inside the block.
        std::vector<std::pair<size_t, size_t>> items;
        bool clean = true;
        for (size_t at = header; at < block.size();) {
            const uint32_t size = r.u32le_or(at);
            if (size < 8 || size > block.size() - at) {
                clean = false;
                break;
            }
            items.emplace_back(at, size);
            at += size;
        }
        if (!clean) {
            dropped = 1;
        } else {
            // Each piece: the block's header with its own size and count.
            Bytes piece(block.begin(), block.begin() + header);
            uint32_t count = 0;
            auto finish = [&] {
                if (count == 0)
                    return;
                PutU32(piece, 0, static_cast<uint32_t>(piece.size()));
                PutU32(piece, 8, count);
                pieces.push_back(piece);
                piece.resize(header);
                count = 0;
            };
            for (const auto& [at, size] : items) {
                if (header + size > maxSize) {
                    ++dropped;
                    continue;
                }
                if (piece.size() + size > maxSize)
                    finish();
                piece.insert(piece.end(), block.begin() + static_cast<std::ptrdiff_t>(at),
                             block.begin() + static_cast<std::ptrdiff_t>(at + size));
                ++count;
            }
            finish();
        }
    }
    if (refused)
        *refused += dropped;
    return pieces;
}

// ---------------------------------------------------------------------------
// RecordStream

void RecordStream::Add(const Bytes& record) {
    offsets_.push_back(bytes_.size());
    bytes_.insert(bytes_.end(), record.begin(), record.end());
}

void RecordStream::Add(const std::vector<Bytes>& records) {
    for (const Bytes& r : records) Add(r);
}

} // namespace brx
