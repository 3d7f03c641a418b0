// The capture file (extension bdx) without the system: its identities (class
// ids, property-set and stream GUIDs), the names the streams get from their
// GUIDs, the format version rule, the index stream, the property blobs, the
// progress steps of save and open, and the re-indexing of a file's records.
//
// A capture file is a compound file: the root storage carries the file's class
// id, SummaryInformation and the log's own property set; storage "0000" holds
// five streams: the index (a 64-byte header and one offset per record), the
// records back to back, the device and driver names as one name-list block
// each and the HID report descriptors as one kind-10 block.
//
// Everything read from a file is untrusted: counts are checked against the
// stream sizes before anything is allocated, and a record is indexed only
// when it lies wholly inside the data stream.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "capture/CaptureStoreRules.h"
#include "capture/Record.h"
#include "capture/RecordIndexer.h"
#include "capture/Result.h"

namespace brx {

// A GUID as its fields; its 16 bytes in memory order are data1, data2 and
// data3 little-endian, then data4.
struct FILE_GUID {
    uint32_t data1;
    uint16_t data2;
    uint16_t data3;
    uint8_t data4[8];
};
void GuidToBytes(const FILE_GUID& guid, uint8_t bytes[16]);
bool operator==(const FILE_GUID& a, const FILE_GUID& b);

// The root storage's class id.
constexpr FILE_GUID CLSID_CAPTURE_FILE = {0xBDC55ADB, 0xD778, 0x4BFE, {0xA9, 0x81, 0x63, 0x9F, 0xCC, 0x47, 0xB8, 0x68}};
// The log's own property set.
constexpr FILE_GUID FMTID_CAPTURE_LOG = {0xE80838AF, 0x5208, 0x4150, {0xAC, 0xAE, 0x8D, 0x2C, 0x43, 0xE2, 0x54, 0x41}};
// FMTID_SummaryInformation.
constexpr FILE_GUID FMTID_SUMMARY_INFORMATION = {0xF29F85E0, 0x4FF9, 0x1068, {0xAB, 0x91, 0x08, 0x00, 0x2B, 0x27, 0xB3, 0xD9}};
// Storage "0000" and its class id.
constexpr char16_t CAPTURE_STORAGE_NAME[] = u"0000";
constexpr FILE_GUID CLSID_CAPTURE_STORAGE = {0xE26DE9FE, 0x0355, 0x4160, {0xAD, 0x4C, 0xD7, 0xFF, 0xCC, 0x6D, 0xFB, 0x14}};
// The streams of storage "0000", named from these GUIDs.
constexpr FILE_GUID GUID_INDEX_STREAM = {0xC55AC14D, 0x10B0, 0x463C, {0x98, 0xE4, 0x2C, 0x9C, 0xC2, 0x75, 0xC0, 0x55}};
constexpr FILE_GUID GUID_DATA_STREAM = {0xD7D99DB3, 0xA831, 0x4A9E, {0xB8, 0xC2, 0x52, 0x25, 0x63, 0x22, 0xAA, 0xD5}};
constexpr FILE_GUID GUID_DEVICE_NAME_STREAM = {0xBA4C2C22, 0x7DDE, 0x44B2, {0x8F, 0x5F, 0x25, 0x53, 0xC6, 0x2C, 0xA5, 0x7F}};
constexpr FILE_GUID GUID_DRIVER_NAME_STREAM = {0xC5CDCB62, 0x813D, 0x4B81, {0xAC, 0x79, 0x73, 0x6F, 0xAA, 0x44, 0x09, 0xEE}};
constexpr FILE_GUID GUID_HID_STREAM = {0x11C4A84A, 0x1EA5, 0x43C6, {0x9B, 0x29, 0x62, 0x5E, 0x0E, 0xD3, 0xAA, 0xA3}};

// The stream name made from a GUID as OLE property sets name their streams:
// the character 0x0005, then the 16 bytes in memory order five bits at a
// time, low bits first, in the alphabet "abcdefghijklmnopqrstuvwxyz012345",
// a letter that starts at a byte boundary in upper case (27 characters).
std::u16string StreamNameFromGuid(const FILE_GUID& guid);

// Format versions (PID 2 of the own property set).
constexpr uint32_t CAPTURE_FILE_VERSION = 0x00010001;
constexpr uint32_t CAPTURE_FILE_VERSION_OLD = 0x00010000;
constexpr uint32_t CAPTURE_FILE_VERSION_FIRST_NEWER = 0x00010002;
// 0 for a version this program reads, LOG_S_NEWER_FORMAT from 0x00010002 on
// (a success code with the severity bit set: compare by value),
// LOG_E_OLD_FORMAT for 0x00010000.
HRESULT32 ClassifyFormatVersion(uint32_t version);

// Property ids of the own property set, and the values written.
enum : uint32_t {
    LOG_PID_VERSION = 2,
    LOG_PID_RESERVED3 = 3,       // 2, read by nobody
    LOG_PID_RESERVED4 = 4,       // 2, read by nobody
    LOG_PID_CAPTURE_SYSTEM = 5,  // OSVERSIONINFOW blob of the capturing system
    LOG_PID_SAVING_SYSTEM = 6,   // OSVERSIONINFOW blob of the saving system
    LOG_PID_BASE_BLOCK = 10,     // CAPTURE_BASE_BLOCK blob (VT_I8 first time in older files)
    LOG_PID_BITNESS = 11,        // 32 or 64
    LOG_PID_DRIVER_INFO = 12,    // DRIVER_INFO blob
};
constexpr uint32_t LOG_RESERVED_VALUE = 2;
constexpr uint32_t LOG_BITNESS_32 = 32;
constexpr uint32_t LOG_BITNESS_64 = 64;

// SummaryInformation property ids written.
enum : uint32_t {
    SUMMARY_PID_TITLE = 2,
    SUMMARY_PID_AUTHOR = 4,
    SUMMARY_PID_COMMENTS = 6,
    SUMMARY_PID_LAST_AUTHOR = 8,
    SUMMARY_PID_REVISION = 9,
    SUMMARY_PID_EDIT_TIME = 10,
    SUMMARY_PID_CREATED = 12,
    SUMMARY_PID_LAST_SAVED = 13,
    SUMMARY_PID_APPLICATION = 18,
    SUMMARY_PID_SECURITY = 19,
};

// OSVERSIONINFOW as a property blob: five DWORDs (structure size 276, major,
// minor, build, platform), then the service-pack text with its NUL.
struct OS_VERSION {
    uint32_t major = 0, minor = 0, build = 0, platform = 0;
    std::u16string servicePack;   // at most 127 characters are kept
};
constexpr uint32_t OS_VERSION_INFO_SIZE = 276;
std::vector<uint8_t> MakeOsVersionBlob(const OS_VERSION& version);

// The base block from a PID 10 blob: false (block untouched) unless the blob
// holds all 32 bytes.
bool BaseBlockFromBlob(const uint8_t* blob, size_t size, CAPTURE_BASE_BLOCK& block);
std::vector<uint8_t> BaseBlockToBlob(const CAPTURE_BASE_BLOCK& block);
// Driver information from a PID 12 blob: at most 124 bytes and no more than
// the blob holds, over an empty record.
DRIVER_INFO DriverInfoFromBlob(const uint8_t* blob, size_t size);
// The bytes of PID 12: as many as the information's first DWORD says, at
// most 124.
uint32_t DriverInfoBlobSize(const DRIVER_INFO& info);

// The index stream: a 64-byte header {64, record count, 56 zero bytes}, then
// one DWORD offset per record into the data stream.
constexpr uint32_t INDEX_HEADER_SIZE = 64;
void MakeIndexHeader(uint32_t count, uint8_t header[INDEX_HEADER_SIZE]);
// Checks a header read from an index stream of indexSize bytes against the
// data stream's dataSize bytes: the header is whole with 64 first; the count
// is not 0; the stream holds all count offsets; and the data stream could hold
// count records of the smallest size. The count, or STG_E_DOCFILECORRUPT.
HRESULT32 ParseIndexHeader(const uint8_t* header, size_t headerBytes, uint64_t indexSize, uint64_t dataSize,
                           uint32_t minimumRecord, uint32_t* count);

// Progress of save and open: WM_LOGPROGRESS gets a step every ceil(n / 100)
// records (at least 1); the value sent while working is the number of steps
// done, held to 1..99 (100 means a finished save).
uint32_t ProgressInterval(uint32_t count);
uint32_t ProgressValue(uint32_t done, uint32_t interval);

// The data stream as the re-indexing reads it.
class IRecordSource {
public:
    virtual ~IRecordSource() = default;
    // Copies up to length bytes from position; false on a read error. Fewer
    // bytes than asked (got) mean the stream ends there.
    virtual bool ReadAt(uint64_t position, void* destination, uint32_t length, uint32_t* got) = 0;
};

// Reads a data stream forwards in large chunks, so that records in file order
// are read once; a record behind the chunk is read again from its position.
class CChunkedRecordReader {
public:
    CChunkedRecordReader(IRecordSource& source, uint64_t streamSize, uint32_t chunkSize = 1u << 20);
    // Points at up to length bytes from position; count is what could be read
    // (less at the end of the stream or after a read error). Valid until the
    // next call.
    const uint8_t* Get(uint64_t position, uint32_t length, uint32_t* count);
    uint64_t GetStreamSize() const { return streamSize_; }

private:
    IRecordSource& source_;
    uint64_t streamSize_;
    std::vector<uint8_t> buffer_;
    uint64_t bufferStart_ = 0;
    uint32_t bufferBytes_ = 0;
};

// Opening indexes at most this many bytes of each record.
constexpr uint32_t OPEN_INDEX_READ = 612;

struct ReindexResult {
    uint32_t indexed = 0;    // entries built
    uint32_t skipped = 0;    // records outside the data, too short, or unreadable
    bool outOfMemory = false;
};

// Rebuilds the index of an opened file: for each offset in file order, reads
// at most the first 612 bytes of the record and builds its entry as a live
// commit does (position = its offset), linking a completion to its issue
// record and sharing the wrapper flags between them. A record is left out when
// its offset lies outside the data stream, its size field is below the
// smallest record or runs past the end of the stream, or its bytes cannot be
// read. progress(done) is called every `interval` records.
ReindexResult ReindexCaptureFile(const uint32_t* offsets, uint32_t count, CChunkedRecordReader& reader,
                                 const RECORD_LAYOUT& layout, CRecordIndexer& indexer, IRecordIndex& index,
                                 const std::function<void(uint32_t done)>& progress = {});

} // namespace brx
