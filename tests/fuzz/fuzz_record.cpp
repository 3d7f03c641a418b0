// Arbitrary bytes as a capture record, with an arbitrary index entry and
// layout, through every record accessor and the view filling.
//
// Input: byte 0 chooses the layout (0 default, 1 request part at 24, 2 built
// from a 124-byte driver information record that follows, 3 a raw 52-byte
// layout that follows); then the 36-byte index entry, a 16-bit view buffer
// size, the layout bytes of modes 2 and 3, and the record.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "capture/Record.h"
#include "tests/capture/RecordFixtures.h"
#include "tests/capture/RecordProbe.h"

using namespace brx;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 + sizeof(RECORD_INDEX_ENTRY) + 2) return 0;
    size_t pos = 0;
    uint8_t mode = data[pos++] & 3;
    RECORD_INDEX_ENTRY entry;
    std::memcpy(&entry, data + pos, sizeof entry);
    pos += sizeof entry;
    uint32_t capacity = static_cast<uint32_t>(data[pos] | (data[pos + 1] << 8));
    pos += 2;

    RECORD_LAYOUT layout = kDefaultRecordLayout;
    if (mode == 1) {
        layout = fixtures::DriverLayout();
    } else if (mode == 2) {
        if (size - pos < DRIVER_INFO_SIZE) return 0;
        DRIVER_INFO info;
        std::memcpy(info.bytes, data + pos, DRIVER_INFO_SIZE);
        pos += DRIVER_INFO_SIZE;
        bool built = BuildRecordLayout(info, layout);
        // A refused layout is the default one; an accepted one is sound.
        if (!built && std::memcmp(&layout, &kDefaultRecordLayout, sizeof layout) != 0) abort();
        if (built && (layout.requestOffset < RECORD_HEADER_SIZE || layout.requestOffset > MAX_PART_OFFSET ||
                      layout.requestSize < REQUEST_PART_SIZE || layout.irpBlockSize == 0 ||
                      layout.shortIrpBlockSize == 0))
            abort();
    } else if (mode == 3) {
        if (size - pos < sizeof layout) return 0;
        std::memcpy(&layout, data + pos, sizeof layout);
        pos += sizeof layout;
    }

    // The record in a heap block of exactly its size.
    size_t n = size - pos;
    std::unique_ptr<uint8_t[]> record(new uint8_t[n ? n : 1]);
    if (n) std::memcpy(record.get(), data + pos, n);
    fixtures::ProbeResult r = fixtures::ProbeRecord(n ? record.get() : nullptr, n, layout, entry, capacity);
    if (!r.ok) abort();
    return 0;
}
