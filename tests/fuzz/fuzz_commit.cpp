// Feeds arbitrary windows to the store's commit walk and to the notification
// block walk, with what the store takes from the bytes besides (the first
// record's times for the base block, the command block of a wrapper). The
// first byte picks the record layout: the driver's, the default one, or 52
// bytes of the input taken as a (crafted) layout. Checks that the walks end,
// stay inside the bytes, and leave a consistent index.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "capture/CaptureStoreRules.h"
#include "capture/RecordIndexer.h"
#include "sim/RecordBuilder.h"

using namespace brx;

namespace {

struct NullSink : IDriverNotificationSink {
    size_t touched = 0;
    void Touch(const uint8_t* b, uint32_t size) {
        // Read the whole block so that ASan sees any overrun.
        for (uint32_t i = 0; i < size; ++i) touched += b[i];
    }
    void AddDeviceNames(const uint8_t* b, uint32_t size, const RECORD_LAYOUT&) override { Touch(b, size); }
    void AddDriverNames(const uint8_t* b, uint32_t size, const RECORD_LAYOUT&) override { Touch(b, size); }
    void AddHidDescriptors(const uint8_t* b, uint32_t size, const RECORD_LAYOUT&) override { Touch(b, size); }
};

void Check(bool ok) {
    if (!ok) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    RECORD_LAYOUT layout = kDriverRecordLayout;
    const uint8_t mode = data[0] % 3;
    ++data;
    --size;
    if (mode == 1) {
        layout = kDefaultRecordLayout;
    } else if (mode == 2) {
        if (size < sizeof layout) return 0;
        std::memcpy(&layout, data, sizeof layout);
        data += sizeof layout;
        size -= sizeof layout;
    }
    if (size > 0xFFFFFF) size = 0xFFFFFF;

    // The window in a buffer of its own, so that ASan catches any read past it.
    uint8_t* window = static_cast<uint8_t*>(std::malloc(size ? size : 1));
    if (size) std::memcpy(window, data, size);

    CRecordIndexer indexer(64);
    CVectorRecordIndex index;
    // Two commits: the first half of the window, then the rest from where the
    // first one stopped, as the reader thread would.
    const uint32_t count = static_cast<uint32_t>(size);
    const uint32_t half = count / 2;
    CommitResult a = indexer.Commit(window, half, 0, layout, index);
    Check(a.consumed <= half && a.indexed == index.GetCount());
    CommitResult b = indexer.Commit(window + a.consumed, count - a.consumed, a.consumed, layout, index);
    Check(a.consumed + b.consumed <= count && a.indexed + b.indexed == index.GetCount());

    const uint32_t n = index.GetCount();
    for (uint32_t i = 0; i < n; ++i) {
        const RECORD_INDEX_ENTRY& e = index.entries()[i];
        const uint32_t recSize = e.firstDword & 0xFFFFFF;
        Check(e.position < count && recSize <= count - e.position);
        if (e.companion != NO_INDEX) {
            Check(e.companion < n && e.companion != i);
        }
        if (e.commandWrapper != NO_INDEX) Check(e.commandWrapper < n);
        if (e.flags & INDEX_FLAG_BLOCK) Check(e.blockOffset + 4u <= recSize);
        if (e.urbOffset) Check(e.urbOffset + 16u <= recSize);
        // The command block of a wrapper, from its data as far as the record holds it.
        if ((e.flags & INDEX_FLAG_CBW) && e.dataOffset < recSize) {
            uint8_t cdb[CDB_SIZE];
            const uint32_t held = recSize - e.dataOffset;
            Check(CopyWrapperCdb(window + e.position + e.dataOffset, e.dataLength < held ? e.dataLength : held, cdb));
        }
    }

    CAPTURE_BASE_BLOCK base = MakeEmptyBaseBlock();
    TakeFirstRecordTimes(base, window, size);
    Check(base.size == CAPTURE_BASE_BLOCK_SIZE);

    NullSink sink;
    WalkDriverNotifications(window, size, layout, sink);
    std::free(window);
    return 0;
}
