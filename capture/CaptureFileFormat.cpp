#include "capture/CaptureFileFormat.h"

#include <algorithm>
#include <cstring>

#include "base/ByteReader.h"
#include "base/ByteWriter.h"

namespace brx {

namespace {

constexpr char kStreamAlphabet[] = "abcdefghijklmnopqrstuvwxyz012345";
constexpr uint32_t kProgressSteps = 100;

} // namespace

void GuidToBytes(const FILE_GUID& guid, uint8_t bytes[16]) {
    PutLe32(bytes, guid.data1);
    bytes[4] = static_cast<uint8_t>(guid.data2);
    bytes[5] = static_cast<uint8_t>(guid.data2 >> 8);
    bytes[6] = static_cast<uint8_t>(guid.data3);
    bytes[7] = static_cast<uint8_t>(guid.data3 >> 8);
    std::memcpy(bytes + 8, guid.data4, 8);
}

bool operator==(const FILE_GUID& a, const FILE_GUID& b) {
    return a.data1 == b.data1 && a.data2 == b.data2 && a.data3 == b.data3 &&
           std::memcmp(a.data4, b.data4, sizeof a.data4) == 0;
}

std::u16string StreamNameFromGuid(const FILE_GUID& guid) {
    uint8_t bytes[16];
    GuidToBytes(guid, bytes);
    std::u16string name(1, u'\x0005');
    // 128 bits, five at a time from the lowest: 26 characters, the last one
    // holding the three bits that remain.
    for (uint32_t bit = 0; bit < 128; bit += 5) {
        const uint32_t byte = bit / 8, shift = bit % 8;
        uint32_t v = bytes[byte] >> shift;
        if (shift > 3 && byte + 1 < 16) v |= uint32_t{bytes[byte + 1]} << (8 - shift);
        char c = kStreamAlphabet[v & 0x1F];
        if (shift == 0 && c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        name.push_back(static_cast<char16_t>(c));
    }
    return name;
}

HRESULT32 ClassifyFormatVersion(uint32_t version) {
    if (version >= CAPTURE_FILE_VERSION_FIRST_NEWER) return LOG_S_NEWER_FORMAT;
    if (version == CAPTURE_FILE_VERSION_OLD) return LOG_E_OLD_FORMAT;
    return S_OK32;
}

std::vector<uint8_t> MakeOsVersionBlob(const OS_VERSION& version) {
    const size_t chars = std::min<size_t>(version.servicePack.size(), 127);
    std::vector<uint8_t> blob(20 + chars * 2 + 2, 0);
    PutLe32(blob.data(), OS_VERSION_INFO_SIZE);
    PutLe32(blob.data() + 4, version.major);
    PutLe32(blob.data() + 8, version.minor);
    PutLe32(blob.data() + 12, version.build);
    PutLe32(blob.data() + 16, version.platform);
    for (size_t i = 0; i < chars; ++i) {
        blob[20 + 2 * i] = static_cast<uint8_t>(version.servicePack[i]);
        blob[21 + 2 * i] = static_cast<uint8_t>(version.servicePack[i] >> 8);
    }
    return blob;
}

bool BaseBlockFromBlob(const uint8_t* blob, size_t size, CAPTURE_BASE_BLOCK& block) {
    const ByteReader r(blob, size);
    CAPTURE_BASE_BLOCK b;
    uint64_t counter = 0, frequency = 0;
    if (!r.u32le(0, b.size) || !r.u32le(4, b.reserved) || !r.u64le(8, b.firstTime) || !r.u64le(16, counter) ||
        !r.u64le(24, frequency))
        return false;
    b.firstCounter = static_cast<int64_t>(counter);
    b.frequency = static_cast<int64_t>(frequency);
    block = b;
    return true;
}

std::vector<uint8_t> BaseBlockToBlob(const CAPTURE_BASE_BLOCK& block) {
    std::vector<uint8_t> blob(CAPTURE_BASE_BLOCK_SIZE);
    PutLe32(blob.data(), block.size);
    PutLe32(blob.data() + 4, block.reserved);
    PutLe64(blob.data() + 8, block.firstTime);
    PutLe64(blob.data() + 16, static_cast<uint64_t>(block.firstCounter));
    PutLe64(blob.data() + 24, static_cast<uint64_t>(block.frequency));
    return blob;
}

DRIVER_INFO DriverInfoFromBlob(const uint8_t* blob, size_t size) {
    DRIVER_INFO info = MakeEmptyDriverInfo();
    if (blob) std::memcpy(info.bytes, blob, std::min<size_t>(size, DRIVER_INFO_SIZE));
    return info;
}

uint32_t DriverInfoBlobSize(const DRIVER_INFO& info) {
    return std::min(ByteReader(info.bytes, DRIVER_INFO_SIZE).u32le_or(0), DRIVER_INFO_SIZE);
}

void MakeIndexHeader(uint32_t count, uint8_t header[INDEX_HEADER_SIZE]) {
    std::memset(header, 0, INDEX_HEADER_SIZE);
    PutLe32(header, INDEX_HEADER_SIZE);
    PutLe32(header + 4, count);
}

HRESULT32 ParseIndexHeader(const uint8_t* header, size_t headerBytes, uint64_t indexSize, uint64_t dataSize,
                           uint32_t minimumRecord, uint32_t* count) {
    if (count) *count = 0;
    const ByteReader r(header, headerBytes);
    if (headerBytes < INDEX_HEADER_SIZE || r.u32le_or(0) != INDEX_HEADER_SIZE) return STG_E_DOCFILECORRUPT;
    const uint32_t n = r.u32le_or(4);
    if (n == 0) return STG_E_DOCFILECORRUPT;
    // The offsets must all be in the index stream, and the data stream must
    // be able to hold that many records.
    if (indexSize < INDEX_HEADER_SIZE || (indexSize - INDEX_HEADER_SIZE) / 4 < n) return STG_E_DOCFILECORRUPT;
    if (minimumRecord == 0 || dataSize / minimumRecord < n) return STG_E_DOCFILECORRUPT;
    if (count) *count = n;
    return S_OK32;
}

uint32_t ProgressInterval(uint32_t count) {
    return std::max<uint32_t>(1, count / kProgressSteps + (count % kProgressSteps ? 1 : 0));
}

uint32_t ProgressValue(uint32_t done, uint32_t interval) {
    const uint32_t steps = interval ? done / interval : 0;
    return std::clamp<uint32_t>(steps, 1, kProgressSteps - 1);
}

// ---------------------------------------------------------------------------

CChunkedRecordReader::CChunkedRecordReader(IRecordSource& source, uint64_t streamSize, uint32_t chunkSize)
    : source_(source), streamSize_(streamSize), buffer_(std::max<uint32_t>(chunkSize, OPEN_INDEX_READ)) {}

const uint8_t* CChunkedRecordReader::Get(uint64_t position, uint32_t length, uint32_t* count) {
    *count = 0;
    if (position >= streamSize_ || length == 0) return nullptr;
    const uint64_t wanted = std::min<uint64_t>({length, streamSize_ - position, buffer_.size()});
    const bool inside = position >= bufferStart_ && position - bufferStart_ <= bufferBytes_ &&
                        bufferBytes_ - (position - bufferStart_) >= wanted;
    if (!inside) {
        // Refill from this position: later records in file order follow it.
        const uint32_t fill = static_cast<uint32_t>(std::min<uint64_t>(buffer_.size(), streamSize_ - position));
        uint32_t got = 0;
        bufferStart_ = position;
        bufferBytes_ = 0;
        if (source_.ReadAt(position, buffer_.data(), fill, &got) && got >= wanted) {
            bufferBytes_ = std::min(got, fill);
        } else {
            // A damaged stream: read just what was asked for.
            got = 0;
            if (!source_.ReadAt(position, buffer_.data(), static_cast<uint32_t>(wanted), &got)) return nullptr;
            bufferBytes_ = static_cast<uint32_t>(std::min<uint64_t>(got, wanted));
        }
    }
    const uint64_t at = position - bufferStart_;
    if (at >= bufferBytes_) return nullptr;
    *count = static_cast<uint32_t>(std::min<uint64_t>(wanted, bufferBytes_ - at));
    return buffer_.data() + at;
}

namespace {

// One record of the file; false when the index cannot grow.
bool IndexOneRecord(uint32_t offset, CChunkedRecordReader& reader, uint64_t streamSize, uint32_t minimum,
                    const RECORD_LAYOUT& layout, CRecordIndexer& indexer, IRecordIndex& index,
                    uint8_t (&head)[OPEN_INDEX_READ], ReindexResult& result) {
    // The record lies inside the stream and reads as far as it is indexed.
    uint32_t got = 0;
    const uint8_t* bytes = reader.Get(offset, 4, &got);
    const uint32_t size = GetRecordSize(bytes, got);
    const uint32_t indexed = std::min(size, OPEN_INDEX_READ);
    if (!bytes || size < minimum || size > streamSize - offset) {
        ++result.skipped;
        return true;
    }
    bytes = reader.Get(offset, indexed, &got);
    if (!bytes || got < indexed) {
        ++result.skipped;
        return true;
    }
    std::memcpy(head, bytes, indexed);
    // Its last byte can be read too: a record cut by a damaged stream is left out.
    if (size > indexed && (!reader.Get(uint64_t{offset} + size - 1, 1, &got) || got != 1)) {
        ++result.skipped;
        return true;
    }
    const CRecordIndexer::IndexRecordResult x = indexer.IndexRecord(head, indexed, offset, layout, index, true);
    if (x.appended) ++result.indexed;
    else ++result.skipped;
    result.outOfMemory = x.outOfMemory;
    return !x.outOfMemory;
}

} // namespace

ReindexResult ReindexCaptureFile(const uint32_t* offsets, uint32_t count, CChunkedRecordReader& reader,
                                 const RECORD_LAYOUT& layout, CRecordIndexer& indexer, IRecordIndex& index,
                                 const std::function<void(uint32_t done)>& progress) {
    ReindexResult result;
    const uint32_t minimum = MinimumRecordSize(layout);
    const uint64_t streamSize = reader.GetStreamSize();
    const uint32_t interval = ProgressInterval(count);
    uint8_t head[OPEN_INDEX_READ];
    for (uint32_t i = 0; i < count; ++i) {
        if (!IndexOneRecord(offsets[i], reader, streamSize, minimum, layout, indexer, index, head, result)) break;
        if (progress && (i + 1) % interval == 0) progress(i + 1);
    }
    return result;
}

} // namespace brx
