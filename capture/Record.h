// The captured record: header fields, the record layout that says where the
// variable parts lie, the driver's description record and the record index
// entry. Everything here reads through bounds-checked accessors: a record too
// short for a part yields the part absent.
#pragma once
#include <cstddef>
#include <cstdint>

namespace brx {

// Record types (byte 3 of the first DWORD).
enum : uint32_t {
    RECORD_TYPE_REQUEST = 1,
    RECORD_TYPE_START = 2,
    RECORD_TYPE_OTHER = 3,
    RECORD_TYPE_DROP = 4,
};

// Request flags (WORD at request part +20).
enum : uint16_t {
    REQ_FLAG_COMPLETION = 0x0001,
    REQ_FLAG_IRP_BLOCK = 0x0002,
    REQ_FLAG_SHORT_IRP = 0x0008,
    REQ_FLAG_PARAM_BLOCK = 0x0010,
};

// Fixed positions in every record.
constexpr uint32_t RECORD_SEQUENCE_OFFSET = 4;
constexpr uint32_t RECORD_TIME_OFFSET = 8;
constexpr uint32_t RECORD_COUNTER_OFFSET = 16;
constexpr uint32_t RECORD_ISSUE_SEQUENCE_OFFSET = 32;

// Offsets inside the 32-byte request part.
constexpr uint32_t REQ_DEVICE_OBJECT = 0;
constexpr uint32_t REQ_DEVICE_KEY = 4;
constexpr uint32_t REQ_ISSUE_SEQUENCE = 8;
constexpr uint32_t REQ_DRIVER_KEY = 12;
constexpr uint32_t REQ_FLAGS = 20;
constexpr uint32_t REQ_KIND = 22;
constexpr uint32_t REQ_STATUS = 24;
constexpr uint32_t REQ_IRP = 28;

constexpr uint32_t IRP_SIZE = 112;            // the IRP as a 32-bit system lays it out
constexpr uint32_t STACK_LOCATION_SIZE = 36;  // IO_STACK_LOCATION, 32-bit

// Where the parts of a record lie: 13 DWORDs (52 bytes), in this order.
struct RECORD_LAYOUT {
    uint32_t valid;            // 1 once built
    uint32_t headerA;          // carried, read by nobody
    uint32_t headerB;          // carried, read by nobody
    uint32_t requestOffset;
    uint32_t requestSize;
    uint32_t irpBlockOffset;   // requestOffset + requestSize
    uint32_t irpBlockSize;     // long form: IRP + current stack location
    uint32_t shortIrpBlockSize;
    uint32_t ioctlHeaderSize;
    uint32_t notifyHeaderSize; // DRIVER_NOTIFICATION block header
    uint32_t deviceListHeaderSize;  // kind 1
    uint32_t driverListHeaderSize;  // kind 3
    uint32_t hidBlockHeaderSize;    // kind 10
};
static_assert(sizeof(RECORD_LAYOUT) == 52);

// The layout of files that carry no driver information.
constexpr RECORD_LAYOUT kDefaultRecordLayout = {1, 0, 4, 16, 32, 48, 148, 112, 12, 8, 16, 16, 16};

// The driver's description record: 124 bytes, kept and saved unchanged; only
// the layout DWORDs at 64-119 are interpreted.
constexpr uint32_t DRIVER_INFO_SIZE = 124;
struct DRIVER_INFO {
    uint8_t bytes[DRIVER_INFO_SIZE];
};

// The in-memory index entry of one record (36 bytes).
struct RECORD_INDEX_ENTRY {
    uint32_t position;       // offset from the scratch base, or in the data stream
    uint32_t firstDword;     // copy of the record's size and type
    uint32_t flags;          // INDEX_FLAG_*
    uint32_t companion;      // issue <-> completion, NO_INDEX for none
    uint32_t commandWrapper; // mass storage: index of the command wrapper record
    uint16_t kind;           // REQUEST_KIND
    uint16_t blockOffset;
    uint16_t urbOffset;
    uint16_t dataOffset;
    uint32_t dataLength;
    uint8_t opcode;          // mass storage: SCSI operation code
    uint8_t serviceAction;
    uint8_t deviceKind;      // MSC_DEVICE_KIND
    uint8_t spcVersion;
};
static_assert(sizeof(RECORD_INDEX_ENTRY) == 36);

constexpr uint32_t NO_INDEX = 0xFFFFFFFFu;

enum : uint32_t {
    INDEX_FLAG_COMPLETION = 0x001,
    INDEX_FLAG_BLOCK = 0x002,
    INDEX_FLAG_IN = 0x008,
    INDEX_FLAG_OUT = 0x010,
    INDEX_FLAG_DATA_REF = 0x020,
    INDEX_FLAG_MSC = 0x040,
    INDEX_FLAG_CBW = 0x080,
    INDEX_FLAG_CSW = 0x200,
};

// ---------------------------------------------------------------------------
// Record accessors. Each takes the record's bytes and their count; the record
// is taken to end at the smaller of that count and its own size field, and a
// part that does not lie wholly inside it is absent (null, 0 or false).

constexpr uint32_t RECORD_HEADER_SIZE = 16;      // size/type, sequence, system time
constexpr uint32_t RECORD_SIZE_MASK = 0x00FFFFFFu;
constexpr uint32_t MAX_RECORD_SIZE = RECORD_SIZE_MASK;   // the largest size the field can hold
constexpr uint32_t REQUEST_PART_SIZE = 32;       // the fields above, as the driver writes them
constexpr uint32_t MAX_PART_OFFSET = 0xFFFF;     // offsets of parts are WORDs in the index
constexpr uint32_t PARAMETER_BLOCK_MIN = 4;      // a parameter block shows at least this much

// Record size field (bits 0-23 of the first DWORD); 0 when fewer than 4 bytes.
uint32_t GetRecordSize(const uint8_t* record, size_t bytes);
// Record type (bits 24-31 of the first DWORD); 0 when fewer than 4 bytes.
uint32_t GetRecordType(const uint8_t* record, size_t bytes);
// The bytes of the record that may be read: min(bytes, size field).
size_t GetRecordExtent(const uint8_t* record, size_t bytes);

// Fixed header fields; 0 when the record does not hold them.
uint32_t GetRecordSequence(const uint8_t* record, size_t bytes);
uint64_t GetRecordSystemTime(const uint8_t* record, size_t bytes);
int64_t GetRecordCounter(const uint8_t* record, size_t bytes);

// The request part (type 1 only, whole request part present) or null.
const uint8_t* GetRecordRequest(const uint8_t* record, size_t bytes, const RECORD_LAYOUT& layout);

// Request part fields; 0 when there is no request part.
uint16_t GetRequestFlags(const uint8_t* record, size_t bytes, const RECORD_LAYOUT& layout);
uint16_t GetRequestKind(const uint8_t* record, size_t bytes, const RECORD_LAYOUT& layout);
uint32_t GetRequestStatus(const uint8_t* record, size_t bytes, const RECORD_LAYOUT& layout);
uint32_t GetRequestDeviceObject(const uint8_t* record, size_t bytes, const RECORD_LAYOUT& layout);
uint32_t GetRequestDeviceKey(const uint8_t* record, size_t bytes, const RECORD_LAYOUT& layout);
uint32_t GetRequestIssueSequence(const uint8_t* record, size_t bytes, const RECORD_LAYOUT& layout);
uint64_t GetRequestDriverKey(const uint8_t* record, size_t bytes, const RECORD_LAYOUT& layout);
uint32_t GetRequestIrp(const uint8_t* record, size_t bytes, const RECORD_LAYOUT& layout);

bool IsCompletionRequest(const uint8_t* record, size_t bytes, const RECORD_LAYOUT& layout);
bool HasIrpInfo(const uint8_t* record, size_t bytes, const RECORD_LAYOUT& layout);
bool IsShortIrpInfo(const uint8_t* record, size_t bytes, const RECORD_LAYOUT& layout);

// Where the parameter block starts: the IRP-block offset, plus the short or
// long IRP-block size when an IRP block is present. Saturates at 0xFFFFFFFF;
// 0 when there is no request part.
// The same from request flags already read: the IRP-block offset plus the size
// of the IRP block the flags announce. 64-bit, so a crafted layout cannot wrap.
uint64_t ParameterBlockOffsetFromFlags(uint16_t requestFlags, const RECORD_LAYOUT& layout);
uint32_t GetParameterBlockOffset(const uint8_t* record, size_t bytes, const RECORD_LAYOUT& layout);
// Request flag 0x0010 set, the block offset below 0xFFFF and at least 4 bytes
// of the block inside the record.
bool HasParameterBlock(const uint8_t* record, size_t bytes, const RECORD_LAYOUT& layout);
// The parameter block and the record bytes from it on, or null (length 0).
const uint8_t* GetParameterBlock(const uint8_t* record, size_t bytes, const RECORD_LAYOUT& layout,
                                 uint32_t* length = nullptr);

// The IRP block (request flag 0x0002): non-null only when the record holds the
// whole block as the layout sizes it and at least the 112-byte IRP.
const uint8_t* GetIrpBlock(const uint8_t* record, size_t bytes, const RECORD_LAYOUT& layout);
// The captured current stack location (block + 112) of a long-form IRP block
// whose 36 bytes lie inside the record and the layout's block; else null.
const uint8_t* GetCurrentStackLocation(const uint8_t* record, size_t bytes, const RECORD_LAYOUT& layout);

// URB_BLOCK fields (offsets inside the block).
constexpr uint32_t URB_BLOCK_URB_OFFSET = 2;         // WORD: offset of the URB in the block
constexpr uint32_t URB_BLOCK_INTERFACE_CLASS = 12;
constexpr uint32_t URB_BLOCK_INTERFACE_SUBCLASS = 13;
constexpr uint32_t URB_BLOCK_INTERFACE_PROTOCOL = 14;
constexpr uint32_t URB_BLOCK_PIPE_INFO = 32;         // configuration, interface, -, endpoint
constexpr uint32_t URB_BLOCK_REQUEST_DATA_REF = 32;  // descriptor, vendor and class requests
constexpr uint32_t URB_BLOCK_TRANSFER_DATA_REF = 36; // bulk/interrupt, isochronous, control
constexpr uint32_t URB_BLOCK_HID_PIPE_KEY = 42;

// Bulk-Only transport wrappers: a command block wrapper is 31 bytes beginning
// "USBC", a command status wrapper 13 bytes beginning "USBS" (status at 12).
constexpr uint32_t CBW_SIGNATURE = 0x43425355;
constexpr uint32_t CSW_SIGNATURE = 0x53425355;
constexpr uint32_t CBW_LENGTH = 31;
constexpr uint32_t CSW_LENGTH = 13;
constexpr uint32_t CSW_STATUS_OFFSET = 12;

// IOCTL_BLOCK: user-mode requests carry the buffer's byte count at +8.
constexpr uint32_t IOCTL_BLOCK_BUFFER_COUNT = 8;

// DATA_REFERENCE: the captured length (bits 0-27) with a flag in bit 31, and
// the offset of the bytes from the start of the URB_BLOCK.
constexpr uint32_t DATA_REFERENCE_SIZE = 6;
constexpr uint32_t DATA_REF_LENGTH_MASK = 0x0FFFFFFFu;
constexpr uint32_t DATA_REF_FLAG = 0x80000000u;
struct DATA_REFERENCE {
    uint32_t lengthAndFlag;
    uint16_t offset;
};

// Reads the reference at refOffset of a block of blockBytes; false (and a
// zeroed reference) when its 6 bytes are not all there.
bool ReadDataReference(const uint8_t* block, size_t blockBytes, uint32_t refOffset, DATA_REFERENCE& ref);
constexpr uint32_t GetDataRefLength(const DATA_REFERENCE& ref) { return ref.lengthAndFlag & DATA_REF_LENGTH_MASK; }
constexpr uint32_t GetDataRefOffset(const DATA_REFERENCE& ref) { return ref.offset; }
constexpr bool IsDataRefFlagSet(const DATA_REFERENCE& ref) { return (ref.lengthAndFlag & DATA_REF_FLAG) != 0; }
// The referenced bytes inside the block, clipped to what the block holds;
// null (length 0) when the reference is empty or starts outside the block.
const uint8_t* GetDataRefBytes(const uint8_t* block, size_t blockBytes, const DATA_REFERENCE& ref,
                               uint32_t* length);

// ---------------------------------------------------------------------------
// Layout

// Fills the layout from the driver's description record. Information that
// cannot describe a record (request part inside the 16-byte header or past
// 0xFFFF, a request part below 32 bytes, a zero block or header size, or an
// IRP block, or a short one with the IOCTL header after it, that ends past
// the largest record, MAX_RECORD_SIZE) is refused: the layout becomes the
// default one and the result is false. True when the layout was built from
// the information.
bool BuildRecordLayout(const DRIVER_INFO& info, RECORD_LAYOUT& layout);
// An empty description record: zeros with its size DWORD set to 124.
DRIVER_INFO MakeEmptyDriverInfo();

// ---------------------------------------------------------------------------
// Index-entry accessors

inline uint32_t GetEntryPosition(const RECORD_INDEX_ENTRY& e) { return e.position; }
inline uint32_t GetEntryFirstDword(const RECORD_INDEX_ENTRY& e) { return e.firstDword; }
inline uint32_t GetEntryRecordSize(const RECORD_INDEX_ENTRY& e) { return e.firstDword & RECORD_SIZE_MASK; }
inline uint32_t GetEntryRecordType(const RECORD_INDEX_ENTRY& e) { return e.firstDword >> 24; }
inline uint32_t GetEntryFlags(const RECORD_INDEX_ENTRY& e) { return e.flags; }
inline uint32_t GetEntryCompanion(const RECORD_INDEX_ENTRY& e) { return e.companion; }
inline uint32_t GetEntryCommandWrapper(const RECORD_INDEX_ENTRY& e) { return e.commandWrapper; }
inline uint16_t GetEntryKind(const RECORD_INDEX_ENTRY& e) { return e.kind; }
inline uint16_t GetEntryBlockOffset(const RECORD_INDEX_ENTRY& e) { return e.blockOffset; }
inline uint16_t GetEntryUrbOffset(const RECORD_INDEX_ENTRY& e) { return e.urbOffset; }
inline uint16_t GetEntryDataOffset(const RECORD_INDEX_ENTRY& e) { return e.dataOffset; }
inline uint32_t GetEntryDataLength(const RECORD_INDEX_ENTRY& e) { return e.dataLength; }
inline uint8_t GetEntryOpcode(const RECORD_INDEX_ENTRY& e) { return e.opcode; }
inline uint8_t GetEntryServiceAction(const RECORD_INDEX_ENTRY& e) { return e.serviceAction; }
inline uint8_t GetEntryDeviceKind(const RECORD_INDEX_ENTRY& e) { return e.deviceKind; }
inline uint8_t GetEntrySpcVersion(const RECORD_INDEX_ENTRY& e) { return e.spcVersion; }

inline bool IsEntryCompletion(const RECORD_INDEX_ENTRY& e) { return (e.flags & INDEX_FLAG_COMPLETION) != 0; }
inline bool EntryHasBlock(const RECORD_INDEX_ENTRY& e) { return (e.flags & INDEX_FLAG_BLOCK) != 0; }
inline bool IsEntryIn(const RECORD_INDEX_ENTRY& e) { return (e.flags & INDEX_FLAG_IN) != 0; }
inline bool IsEntryOut(const RECORD_INDEX_ENTRY& e) { return (e.flags & INDEX_FLAG_OUT) != 0; }
inline bool IsEntryDataRefFlagSet(const RECORD_INDEX_ENTRY& e) { return (e.flags & INDEX_FLAG_DATA_REF) != 0; }
inline bool IsEntryMassStorage(const RECORD_INDEX_ENTRY& e) { return (e.flags & INDEX_FLAG_MSC) != 0; }
inline bool IsEntryCommandWrapper(const RECORD_INDEX_ENTRY& e) { return (e.flags & INDEX_FLAG_CBW) != 0; }
inline bool IsEntryStatusWrapper(const RECORD_INDEX_ENTRY& e) { return (e.flags & INDEX_FLAG_CSW) != 0; }

inline void SetEntryFlag(RECORD_INDEX_ENTRY& e, uint32_t flag, bool on) {
    e.flags = on ? (e.flags | flag) : (e.flags & ~flag);
}
inline void SetEntryCompletion(RECORD_INDEX_ENTRY& e, bool on) { SetEntryFlag(e, INDEX_FLAG_COMPLETION, on); }
inline void SetEntryBlock(RECORD_INDEX_ENTRY& e, bool on) { SetEntryFlag(e, INDEX_FLAG_BLOCK, on); }
inline void SetEntryIn(RECORD_INDEX_ENTRY& e, bool on) { SetEntryFlag(e, INDEX_FLAG_IN, on); }
inline void SetEntryOut(RECORD_INDEX_ENTRY& e, bool on) { SetEntryFlag(e, INDEX_FLAG_OUT, on); }
inline void SetEntryDataRefFlag(RECORD_INDEX_ENTRY& e, bool on) { SetEntryFlag(e, INDEX_FLAG_DATA_REF, on); }
inline void SetEntryMassStorage(RECORD_INDEX_ENTRY& e, bool on) { SetEntryFlag(e, INDEX_FLAG_MSC, on); }
inline void SetEntryCommandWrapper(RECORD_INDEX_ENTRY& e, bool on) { SetEntryFlag(e, INDEX_FLAG_CBW, on); }
inline void SetEntryStatusWrapper(RECORD_INDEX_ENTRY& e, bool on) { SetEntryFlag(e, INDEX_FLAG_CSW, on); }

} // namespace brx
