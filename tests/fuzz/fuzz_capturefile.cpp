// Feeds arbitrary bytes to the capture file's readers: the first byte picks
// the compound-file structure check (the rest is the file), the re-indexing
// of a file's records (a 4-byte index length, the index stream, then the data
// stream, read in small chunks) or the property-set check (the rest is the
// stream of the log's own set). Checks that both end, stay inside the bytes,
// and index only records that lie wholly inside the data.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "capture/CaptureFileFormat.h"
#include "capture/CompoundFileCheck.h"
#include "capture/PropertySetCheck.h"

using namespace brx;

namespace {

class Source final : public IRecordSource {
public:
    Source(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool ReadAt(uint64_t position, void* destination, uint32_t length, uint32_t* got) override {
        *got = 0;
        if (position >= size_) return true;
        const size_t n = std::min<size_t>(length, size_ - position);
        std::memcpy(destination, data_ + position, n);
        *got = static_cast<uint32_t>(n);
        return true;
    }

private:
    const uint8_t* data_;
    size_t size_;
};

void Check(bool ok) {
    if (!ok) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const uint8_t mode = data[0] % 3;
    ++data;
    --size;
    // The bytes in a buffer of their own, so that ASan catches any read past them.
    std::vector<uint8_t> bytes(data, data + size);
    if (mode == 0) {
        Source file(bytes.data(), bytes.size());
        CheckCompoundFileStructure(file, bytes.size());
        return 0;
    }
    if (mode == 2) {
        CheckPropertySetStream(bytes.data(), bytes.size(), FMTID_CAPTURE_LOG);
        return 0;
    }
    if (size < 4) return 0;
    uint32_t indexLength = 0;
    std::memcpy(&indexLength, bytes.data(), 4);
    indexLength = std::min<uint32_t>(indexLength, static_cast<uint32_t>(size - 4));
    const uint8_t* index = bytes.data() + 4;
    const uint8_t* stream = index + indexLength;
    const size_t streamSize = size - 4 - indexLength;
    uint32_t n = 0;
    const RECORD_LAYOUT& layout = kDefaultRecordLayout;
    if (Failed(ParseIndexHeader(index, indexLength, indexLength, streamSize, MinimumRecordSize(layout), &n))) return 0;
    std::vector<uint32_t> offsets(n);
    std::memcpy(offsets.data(), index + INDEX_HEADER_SIZE, 4ull * n);
    Source source(stream, streamSize);
    CChunkedRecordReader reader(source, streamSize, 1024);
    CRecordIndexer indexer(64);
    CVectorRecordIndex entries;
    const ReindexResult r = ReindexCaptureFile(offsets.data(), n, reader, layout, indexer, entries);
    Check(r.indexed + r.skipped <= n && r.indexed == entries.GetCount());
    for (const RECORD_INDEX_ENTRY& e : entries.entries()) {
        Check(uint64_t{e.position} + (e.firstDword & 0xFFFFFF) <= streamSize);
        Check(e.companion == NO_INDEX || e.companion < entries.GetCount());
    }
    return 0;
}
