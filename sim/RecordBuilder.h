// The record builder: synthesises captured records byte for byte as the
// capture driver delivers them (header, request part, IRP block, URB or IOCTL
// parameter block with its data), plus the driver's notification blocks
// (device names, driver names, HID report descriptors). Tests use it for
// readable fixtures; the simulated driver and the sample writer use it to
// produce realistic streams.
//
// Every record gets the next sequence number and advancing time and counter
// stamps. Completion records carry the sequence number of their issue record
// at request part +8, so a stream built here links issue to completion.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "capture/Record.h"

namespace brx {

using Bytes = std::vector<uint8_t>;

// The layout the capture driver reports: the request part follows the 24-byte
// header, so the issue sequence of a completion is the DWORD at record byte 32.
constexpr RECORD_LAYOUT kDriverRecordLayout = {1, 0, 4, 24, 32, 56, 148, 112, 12, 8, 16, 16, 16};

// A DRIVER_INFO whose layout DWORDs describe the given layout (size DWORD 124).
DRIVER_INFO MakeDriverInfo(const RECORD_LAYOUT& layout);

// Further URB_BLOCK offsets that the builder writes (the shared ones are in
// capture/Record.h).
constexpr uint32_t URB_BLOCK_LENGTH = 0;         // WORD: bytes of the block
constexpr uint32_t URB_BLOCK_USB_VERSION = 10;   // WORD: bcdUSB of the device
constexpr uint32_t URB_BLOCK_HEADER = 48;        // the builder puts the URB here

// URB function codes.
enum : uint16_t {
    URB_FN_SELECT_CONFIGURATION = 0x00,
    URB_FN_SELECT_INTERFACE = 0x01,
    URB_FN_ABORT_PIPE = 0x02,
    URB_FN_GET_CURRENT_FRAME_NUMBER = 0x07,
    URB_FN_CONTROL_TRANSFER = 0x08,
    URB_FN_BULK_OR_INTERRUPT = 0x09,
    URB_FN_ISOCH_TRANSFER = 0x0A,
    URB_FN_GET_DESCRIPTOR_FROM_DEVICE = 0x0B,
    URB_FN_SET_DESCRIPTOR_TO_DEVICE = 0x0C,
    URB_FN_SET_FEATURE_TO_DEVICE = 0x0D,
    URB_FN_CLEAR_FEATURE_TO_ENDPOINT = 0x12,
    URB_FN_GET_STATUS_FROM_DEVICE = 0x13,
    URB_FN_VENDOR_DEVICE = 0x17,
    URB_FN_VENDOR_INTERFACE = 0x18,
    URB_FN_CLASS_DEVICE = 0x1A,
    URB_FN_CLASS_INTERFACE = 0x1B,
    URB_FN_CLASS_ENDPOINT = 0x1C,
    URB_FN_RESET_PIPE = 0x1E,
    URB_FN_CLASS_OTHER = 0x1F,
    URB_FN_VENDOR_OTHER = 0x20,
    URB_FN_GET_DESCRIPTOR_FROM_ENDPOINT = 0x24,
    URB_FN_GET_CONFIGURATION = 0x26,
    URB_FN_GET_INTERFACE = 0x27,
    URB_FN_GET_DESCRIPTOR_FROM_INTERFACE = 0x28,
    URB_FN_SYNC_RESET_PIPE = 0x30,
    URB_FN_SYNC_CLEAR_STALL = 0x31,
    URB_FN_CONTROL_TRANSFER_EX = 0x32,
};

// How the builder lays out a URB of a function: its 32-bit size, where the
// block's DATA_REFERENCE goes, and whether the block carries a pipe position.
enum class UrbShape : uint8_t {
    Header,            // header only, or fields the builder leaves zero
    Pipe,              // abort / reset pipe: pipe handle at +16
    Control,           // setup packet at +72
    Bulk,              // bulk or interrupt
    Isoch,             // isochronous, packet array from +84
    Descriptor,        // get / set descriptor: index +74, type +75, language +76
    VendorClass,       // request +73, value +74, index +76
    Feature,           // feature selector +74, index +76
    GetStatus,         // index +76, result bytes in the block at 32 (count) and 34
    GetConfiguration,  // result in the block at 36 (present) and 37
    GetInterface,      // interface +76, result in the block at 40 (present) and 41
    SelectConfiguration,
    SelectInterface,
};
struct UrbFunctionShape {
    uint16_t function;
    UrbShape shape;
    uint16_t urbSize;      // 32-bit size without a variable tail
    uint8_t dataRefAt;     // block offset of the DATA_REFERENCE, 0 for none
    bool pipePosition;     // block bytes 32-35 carry config, interface, endpoint
    bool in;               // fixed direction IN (descriptor gets, status)
};
// The shape of a URB function; functions without a row are laid out as Header.
const UrbFunctionShape& UrbFunctionShapeOf(uint16_t function);

// The device object a request goes to, and the interface that owns the pipe.
struct DeviceSpec {
    uint32_t deviceObject = 0x89A01030;
    uint32_t deviceKey = 0x89A01000;   // request part +4: the device key of the tie
    uint32_t driverKey0 = 0x89B00200;  // the driver-name table key
    uint32_t driverKey1 = 0x00000001;
    uint16_t usbVersion = 0x0200;
    uint8_t interfaceClass = 0;
    uint8_t interfaceSubClass = 0;
    uint8_t interfaceProtocol = 0;
    uint8_t configurationValue = 1;
    uint8_t interfaceNumber = 0;
};

// Transfer types of a pipe, as an endpoint descriptor's bmAttributes bits
// 0-1 and the system's pipe types number them.
enum : uint8_t { PIPE_TYPE_CONTROL = 0, PIPE_TYPE_ISOCHRONOUS = 1, PIPE_TYPE_BULK = 2, PIPE_TYPE_INTERRUPT = 3 };

// One pipe of that device.
struct PipeSpec {
    uint8_t endpoint = 0x81;     // endpoint address, FFh when the driver does not know it
    uint32_t handle = 0x8A0C2000;
    uint16_t hidKey = 0;         // block +42
    uint8_t transferType = PIPE_TYPE_BULK;
};

// The endpoint byte of a URB block (+35) as the driver packs it: bits 0-3
// the endpoint number, bits 5-6 the transfer type, bit 7 the direction; FFh
// when the endpoint is not known.
uint8_t PackedEndpoint(const PipeSpec& pipe);

// What a URB record carries. The same description serves issue and completion.
struct UrbSpec {
    uint16_t function = URB_FN_BULK_OR_INTERRUPT;
    PipeSpec pipe;
    uint32_t transferFlags = 0;   // bit 0 direction IN, bit 1 short transfer OK
    uint32_t bufferLength = 0;    // TransferBufferLength
    uint8_t setup[8] = {};        // control transfers: the setup packet
    uint8_t descriptorType = 0, descriptorIndex = 0;
    uint16_t languageId = 0;
    uint8_t request = 0;          // vendor and class requests
    uint16_t value = 0, index = 0;
    uint32_t isoPackets = 0;      // isochronous: number of packets
    Bytes data;                   // the captured transfer bytes of this record
    bool dataRefFlag = false;     // bit 31 of the DATA_REFERENCE
    int32_t usbdStatus = 0;       // URB +4 (completions)
    Bytes resultBytes;            // GET_STATUS (2), GET_CONFIGURATION (1), GET_INTERFACE (1)
    Bytes selectTail;             // SELECT_CONFIGURATION / SELECT_INTERFACE: interface information
};

enum class IrpForm : uint8_t { None, Long, Short };

// Everything of a request record below the header, in one table row.
struct RequestSpec {
    DeviceSpec device;
    uint16_t kind = 0;            // REQUEST_KIND
    bool completion = false;
    uint32_t issueSequence = 0;   // completions: the issue record's number
    uint32_t status = 0;          // NTSTATUS
    uint32_t irp = 0x8A123000;
    IrpForm irpForm = IrpForm::Long;
    uint8_t majorFunction = 0, minorFunction = 0;
    uint32_t stackParameters[4] = {};
    bool hasBlock = false;
    Bytes block;                  // the parameter block, written as is
};

// The issue side of a request, as a completion needs it.
struct Issued {
    uint32_t sequence = 0;
    uint32_t irp = 0;
};

class RecordBuilder {
public:
    explicit RecordBuilder(const RECORD_LAYOUT& layout = kDriverRecordLayout);

    const RECORD_LAYOUT& layout() const { return layout_; }

    // The next sequence number, and the clock: FILETIME and counter stamps
    // advance by their steps after every record.
    void SetSequence(uint32_t next) { sequence_ = next; }
    uint32_t NextSequence() const { return sequence_; }
    void SetClock(uint64_t fileTime, int64_t counter, uint64_t fileTimeStep, int64_t counterStep);
    uint64_t FileTime() const { return fileTime_; }
    int64_t Counter() const { return counter_; }
    // A fresh IRP address for each request, so issues and completions pair up.
    uint32_t NewIrp();

    // Markers: a header-only record of type 2 (capture start) or 4 (drop).
    Bytes StartMarker();
    Bytes DropMarker();
    // A record of any type with the given body after the header (for odd cases).
    Bytes RawRecord(uint8_t type, const Bytes& body);

    // The generic request record; every form below comes through here.
    Bytes Request(const RequestSpec& spec);

    // IRPs: create (kind 1), close (2), power (20 + minor), PnP (40 + minor),
    // or any IRP kind.
    Bytes IrpIssue(const DeviceSpec& d, uint16_t kind, uint32_t irp, IrpForm form = IrpForm::Long);
    Bytes Create(const DeviceSpec& d, uint32_t irp, IrpForm form = IrpForm::Long);
    Bytes Close(const DeviceSpec& d, uint32_t irp, IrpForm form = IrpForm::Long);
    Bytes Power(const DeviceSpec& d, uint8_t minor, uint32_t irp, IrpForm form = IrpForm::Long);
    Bytes Pnp(const DeviceSpec& d, uint8_t minor, uint32_t irp, IrpForm form = IrpForm::Long);
    // The completion of any IRP above, of the given kind.
    Bytes Complete(const DeviceSpec& d, uint16_t kind, const Issued& issued, uint32_t status,
                   IrpForm form = IrpForm::Long);

    // URBs at issue and at completion (kind 340 + function).
    Bytes UrbIssue(const DeviceSpec& d, const UrbSpec& u, uint32_t irp);
    Bytes UrbCompletion(const DeviceSpec& d, const UrbSpec& u, const Issued& issued, uint32_t status = 0);
    // The URB_BLOCK alone (header, URB, data), for odd fixtures.
    Bytes UrbBlock(const DeviceSpec& d, const UrbSpec& u, bool completion) const;

    // Device-control requests: kernel-mode (kind 840 + function of the code)
    // and user-mode (kind in the own numbering). The IOCTL_BLOCK is a 12-byte
    // header (control code, buffer length, bytes captured) and the buffer.
    Bytes IoctlIssue(const DeviceSpec& d, uint16_t kind, uint32_t code, uint32_t bufferLength,
                     const Bytes& buffer, uint32_t irp);
    Bytes IoctlCompletion(const DeviceSpec& d, uint16_t kind, uint32_t code, uint32_t bufferLength,
                          const Bytes& buffer, const Issued& issued, uint32_t status = 0);
    static Bytes IoctlBlock(uint32_t code, uint32_t bufferLength, const Bytes& buffer);

    // The sequence number and IRP of the last record built.
    Issued Last() const { return last_; }

private:
    void Header(Bytes& r, uint8_t type);

    RECORD_LAYOUT layout_;
    uint32_t sequence_ = 1;
    uint64_t fileTime_ = 0x01DD5A2B3C4D5E00ull;
    int64_t counter_ = 1000000;
    uint64_t fileTimeStep_ = 1250;   // 125 us
    int64_t counterStep_ = 1250;
    uint32_t nextIrp_ = 0x8A123000;
    Issued last_;
};

// Common URB descriptions.
UrbSpec ControlTransfer(const uint8_t setup[8], Bytes data = {});
UrbSpec GetDescriptor(uint8_t type, uint8_t index, uint16_t languageId, uint32_t length, Bytes data = {});
UrbSpec SetDescriptor(uint8_t type, uint8_t index, uint16_t languageId, Bytes data);
UrbSpec VendorClassRequest(uint16_t function, bool in, uint8_t request, uint16_t value, uint16_t index,
                           uint32_t length, Bytes data = {});
UrbSpec BulkTransfer(const PipeSpec& pipe, uint32_t length, Bytes data = {});
UrbSpec IsochTransfer(const PipeSpec& pipe, uint32_t packets, uint32_t length, Bytes data = {});
UrbSpec PipeRequest(uint16_t function, const PipeSpec& pipe);
// SELECT_CONFIGURATION with one interface of the given pipes.
UrbSpec SelectConfiguration(uint8_t interfaceNumber, uint8_t interfaceClass, uint8_t subClass, uint8_t protocol,
                            const std::vector<PipeSpec>& pipes);

// Bulk-Only transport wrappers.
Bytes CommandBlockWrapper(uint32_t tag, uint32_t dataLength, bool dataIn, uint8_t lun, const Bytes& cdb);
Bytes CommandStatusWrapper(uint32_t tag, uint32_t residue, uint8_t status);
// 36 bytes of standard INQUIRY data.
Bytes InquiryData(uint8_t peripheralType, uint8_t version, const char* vendor = "BRINDLEX",
                  const char* product = "SIM DISK");

// A Bulk-Only device and its three stages, built at issue and at completion.
struct MassStorageDevice {
    DeviceSpec device;
    PipeSpec bulkOut{0x02, 0x8A0C3000, 0};
    PipeSpec bulkIn{0x81, 0x8A0C3100, 0};
    uint32_t nextTag = 1;
};
// Interface class 08h, the given subclass (06h SCSI, 01h RBC, 02h MMC), protocol 50h.
MassStorageDevice MakeMassStorageDevice(uint32_t deviceKey, uint8_t subClass = 0x06);

// Appends the six records of one command (CBW out, data, CSW in), each at
// issue and completion; the data stage is left out when data is empty and
// dataLength is 0. The CSW reports the given status.
void AppendMassStorageCommand(RecordBuilder& b, MassStorageDevice& dev, const Bytes& cdb, bool dataIn,
                              uint32_t dataLength, const Bytes& data, uint8_t cswStatus,
                              std::vector<Bytes>& out);

// Driver notification blocks (DRIVER_NOTIFICATION: size, kind, body).
struct NameItem {
    uint32_t key0, key1;
    std::u16string name;
};
// Kind 1 (device names, items of kind 2) or kind 3 (driver names, items of kind 4).
Bytes NameListBlock(uint32_t blockKind, const std::vector<NameItem>& items,
                    const RECORD_LAYOUT& layout = kDriverRecordLayout);
struct HidObjectKey {
    uint32_t key0, key1;
    uint8_t extra0 = 0, extra1 = 0;
};
struct HidDescriptorItem {
    uint8_t interfaceNumber = 0;
    Bytes descriptor;
    std::vector<HidObjectKey> objects;
    std::vector<HidObjectKey> pipes;
};
// Kind 10: HID report descriptors with their device-object and pipe keys.
Bytes HidDescriptorBlock(const std::vector<HidDescriptorItem>& items,
                         const RECORD_LAYOUT& layout = kDriverRecordLayout);

// A notification block cut for requests of at most maxSize bytes, as the
// driver cuts it: a block that fits is kept whole; a longer block of device
// names, driver names or HID descriptors becomes several blocks with its header
// and as many whole items as fit. An item that cannot fit even alone, and a
// block of another kind or whose items do not walk cleanly, are refused (left
// out and counted).
std::vector<Bytes> SplitNotificationBlock(const Bytes& block, size_t maxSize, uint32_t* refused = nullptr,
                                          const RECORD_LAYOUT& layout = kDriverRecordLayout);

// A stream of records as the driver's read delivers them: records back to
// back, with the offset of each.
class RecordStream {
public:
    void Add(const Bytes& record);
    void Add(const std::vector<Bytes>& records);
    const Bytes& bytes() const { return bytes_; }
    size_t count() const { return offsets_.size(); }
    const std::vector<size_t>& offsets() const { return offsets_; }

private:
    Bytes bytes_;
    std::vector<size_t> offsets_;
};

// Little-endian writers used by the builder and its tests.
void PutU16(Bytes& b, size_t off, uint16_t v);
void PutU32(Bytes& b, size_t off, uint32_t v);
void PutU64(Bytes& b, size_t off, uint64_t v);

} // namespace brx
