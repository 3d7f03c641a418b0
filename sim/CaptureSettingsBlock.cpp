#include "sim/CaptureSettingsBlock.h"

#include "capture/MatchCriteria.h"
#include "capture/RecordIndexer.h"
#include "capture/RecordView.h"
#include "capture/RequestKind.h"

namespace brx {
namespace {

struct PositionByte {
    int32_t position;
    int32_t byte;
};

// The device-control requests, in the block's own order.
constexpr PositionByte kIoctlBytes[] = {
    {161, 64}, {163, 65}, {164, 66}, {165, 67}, {166, 68}, {167, 69}, {168, 70}, {170, 71}, {171, 72},
    {172, 73}, {173, 74}, {169, 75}, {174, 76}, {192, 78}, {193, 79}, {194, 80}, {195, 81}, {197, 82},
    {196, 83}, {198, 84}, {199, 85}, {200, 86}, {201, 87}, {202, 88}, {203, 89}, {204, 90}, {205, 91},
    {206, 92}, {207, 93}, {208, 94}, {209, 95}, {210, 96}, {211, 97}, {213, 98},
};

constexpr uint32_t kUrbFunctionOffset = 2;

} // namespace

int32_t SettingsByteOfKindPosition(int32_t position) {
    if (position == 0) return 134; // Create
    if (position == 1) return 136; // Close
    if (position == 2) return 135; // Cleanup
    if (position >= 8 && position <= 11) return 138 + (position - 8);
    if (position >= 32 && position <= 56) return 109 + (position - 32);
    if (position >= 64 && position <= 116) return 10 + (position - 64);
    for (const PositionByte& row : kIoctlBytes)
        if (row.position == position) return row.byte;
    return -1;
}

int32_t KindPositionOfRecord(const uint8_t* record, size_t size, const RECORD_LAYOUT& layout) {
    if (!record || size == 0 || size > UINT32_MAX) return -1;
    PendingCommandMap pending;
    DeviceKindMap kinds;
    RECORD_INDEX_ENTRY entry{};
    if (!BuildIndexEntry(0, record, size, layout, pending, kinds, entry)) return -1;
    Bytes copy(record, record + size);
    CRecordView view;
    view.Init(copy.data(), static_cast<uint32_t>(copy.size()));
    FillRecordView(view, 0, entry, static_cast<uint32_t>(copy.size()));
    if (view.type != RECORD_TYPE_REQUEST) return -1;
    if (IsUrbKind(view.kind)) {
        if (!view.urb || view.urbLength < kUrbFunctionOffset + 2) return -1;
        const uint32_t function = view.urb[kUrbFunctionOffset] | view.urb[kUrbFunctionOffset + 1] << 8;
        return KindIndexOfUrbFunction(function);
    }
    return KindIndexOf(view.kind);
}

bool SettingsBlockCaptures(const Bytes& block, const Bytes& record, const RECORD_LAYOUT& layout) {
    if (block.size() != SIM_SETTINGS_BLOCK_SIZE) return true;
    const int32_t byte = SettingsByteOfKindPosition(KindPositionOfRecord(record.data(), record.size(), layout));
    return byte < 0 || block[static_cast<size_t>(byte)] != 0;
}

} // namespace brx
