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

} // namespace brx
