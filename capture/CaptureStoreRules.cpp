#include "capture/CaptureStoreRules.h"

#include <algorithm>

#include "base/ByteReader.h"
#include "capture/Record.h"
#include "capture/RecordIndexer.h"

namespace brx {

CAPTURE_BASE_BLOCK MakeEmptyBaseBlock() {
    CAPTURE_BASE_BLOCK b{};
    b.size = CAPTURE_BASE_BLOCK_SIZE;
    return b;
}

bool TakeFirstRecordTimes(CAPTURE_BASE_BLOCK& block, const uint8_t* window, size_t count) {
    if (block.firstTime != 0) return false;
    const ByteReader all(window, count);
    // Only the first record's own bytes.
    const ByteReader first = all.sub(0, all.u32le_or(0) & RECORD_SIZE_MASK);
    uint64_t time = 0, counter = 0;
    if (!first.u64le(RECORD_TIME_OFFSET, time)) return false;
    block.firstTime = time;
    if (first.u64le(RECORD_COUNTER_OFFSET, counter)) block.firstCounter = static_cast<int64_t>(counter);
    return true;
}

uint32_t ClampScratchSize(uint32_t size) { return std::clamp(size, SCRATCH_SIZE_MIN, SCRATCH_SIZE_MAX); }

uint32_t FullReserveForScratchSize(uint32_t size) {
    struct Row {
        uint32_t upTo;
        uint32_t reserve;
    };
    static constexpr Row kRows[] = {
        {8u << 20, 192u << 10},
        {16u << 20, 256u << 10},
        {32u << 20, 384u << 10},
    };
    for (const Row& r : kRows)
        if (size <= r.upTo) return r.reserve;
    return 512u << 10;
}

uint32_t FullnessPercent(uint32_t used, uint32_t size, uint32_t reserve) {
    if (size <= reserve) return 100;
    const uint32_t unit = (size - reserve) / 100;
    if (unit == 0) return 100;
    const uint32_t percent = used / unit;
    return std::clamp<uint32_t>(percent, 1, 100);
}

bool CommandNeedsCdb(uint8_t opcode) {
    switch (opcode) {
    case 0x04: case 0x12: case 0x15: case 0x1A: case 0x43: case 0x46: case 0x55: case 0x5A:
    case 0x5C: case 0x9E: case 0xA2: case 0xA3: case 0xA4: case 0xAC: case 0xAD: case 0xB6:
        return true;
    default:
        return false;
    }
}

bool CopyWrapperCdb(const uint8_t* data, uint32_t length, uint8_t cdb[CDB_SIZE]) {
    const ByteReader r(data, length);
    if (r.size() < CBW_LENGTH || r.u32le_or(0) != CBW_SIGNATURE) return false;
    for (uint32_t i = 0; i < CDB_SIZE; ++i) cdb[i] = r.u8or(CBW_CDB_OFFSET + i);
    return true;
}

} // namespace brx
