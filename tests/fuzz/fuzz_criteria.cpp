// Arbitrary bytes as stored criteria and as a captured record: the blob and
// bitmap readers must stay inside what they are given and refuse without a
// change, and a match of any record read into a view of any size must stay
// inside the view.
//
// Input: byte 0 chooses the part (even: a blob or bitmap, odd: a record); for
// a record, byte 1 and 2 give the view buffer size and the rest is the record.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "capture/MatchCriteria.h"
#include "capture/RecordIndexer.h"
#include "sim/RecordBuilder.h"

using namespace brx;

namespace {

void CheckStored(const uint8_t* data, size_t size) {
    CMatchCriteria criteria;
    std::vector<uint8_t> before(CRITERIA_IMAGE_SIZE), after(CRITERIA_IMAGE_SIZE);
    uint8_t all[CRITERIA_IMAGE_SIZE];
    std::memset(all, 1, sizeof all);
    criteria.SetImage(all, sizeof all);
    criteria.GetImage(before.data(), before.size());
    // Heap copies of exactly the input size, so a read past them is caught.
    std::unique_ptr<uint8_t[]> blob(new uint8_t[size ? size : 1]);
    if (size) std::memcpy(blob.get(), data, size);
    if (!criteria.FromBlob(blob.get(), size)) {
        criteria.GetImage(after.data(), after.size());
        if (before != after) abort();
    }
    uint8_t selections[KIND_SELECTION_COUNT];
    UnpackKindBitmap(blob.get(), size, selections, sizeof selections);
    for (uint8_t s : selections)
        if (s > 1) abort();
    if (size == CRITERIA_IMAGE_SIZE && !criteria.SetImage(blob.get(), size)) abort();
}

void CheckRecord(const uint8_t* data, size_t size) {
    if (size < 2) return;
    const uint32_t capacity = static_cast<uint32_t>(data[0] | (data[1] << 8));
    data += 2;
    size -= 2;
    std::unique_ptr<uint8_t[]> record(new uint8_t[size ? size : 1]);
    if (size) std::memcpy(record.get(), data, size);
    PendingCommandMap pending;
    DeviceKindMap kinds;
    RECORD_INDEX_ENTRY entry{};
    if (!BuildIndexEntry(0, record.get(), size, kDriverRecordLayout, pending, kinds, entry)) return;
    const uint32_t recordSize = GetEntryRecordSize(entry);
    const size_t copy = std::min<size_t>({size, size_t{capacity}, size_t{recordSize}});
    std::unique_ptr<uint8_t[]> buffer(new uint8_t[capacity ? capacity : 1]);
    if (copy) std::memcpy(buffer.get(), record.get(), copy);
    CRecordView view;
    view.Init(buffer.get(), capacity);
    FillRecordView(view, 0, entry, static_cast<uint32_t>(copy));
    uint8_t all[CRITERIA_IMAGE_SIZE];
    std::memset(all, 1, sizeof all);
    CMatchCriteria criteria;
    criteria.SetImage(all, sizeof all);
    // Everything selected: a request that matches must have a known position.
    if (criteria.Match(view, kDriverRecordLayout) && view.type != RECORD_TYPE_REQUEST) abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    if (data[0] & 1)
        CheckRecord(data + 1, size - 1);
    else
        CheckStored(data + 1, size - 1);
    return 0;
}
