// The arithmetic of the capture store that needs no system: the base block of
// a log, the scratch sizes with their full reserves, the fullness percentage,
// and which mass-storage commands a data or status stage needs the command
// block of.
#pragma once
#include <cstddef>
#include <cstdint>

namespace brx {

// Per log: when the first record was taken and the counter frequency with
// which elapsed times are computed (saved with a capture file).
struct CAPTURE_BASE_BLOCK {
    uint32_t size;          // 32
    uint32_t reserved;      // 0
    uint64_t firstTime;     // FILETIME of the first record
    int64_t firstCounter;   // counter stamp of the first record
    int64_t frequency;      // counter frequency reported at capture start
};
static_assert(sizeof(CAPTURE_BASE_BLOCK) == 32);
constexpr uint32_t CAPTURE_BASE_BLOCK_SIZE = 32;

// An empty base block: its size set, everything else 0.
CAPTURE_BASE_BLOCK MakeEmptyBaseBlock();

// Takes the time and counter stamp of the first record of a log from the
// first bytes of a window (each field only when the first record and the
// window both hold it). False when the block already has a time or nothing
// was taken.
bool TakeFirstRecordTimes(CAPTURE_BASE_BLOCK& block, const uint8_t* window, size_t count);

// The scratch file of a live log is 8 MB to 1 GB.
constexpr uint32_t SCRATCH_SIZE_MIN = 0x00800000u;
constexpr uint32_t SCRATCH_SIZE_MAX = 0x40000000u;
uint32_t ClampScratchSize(uint32_t size);

// The free bytes at which a scratch of that size counts as full: 192 KB up to
// 8 MB, 256 KB up to 16 MB, 384 KB up to 32 MB, 512 KB above.
uint32_t FullReserveForScratchSize(uint32_t size);

// The fullness shown while windows are handed out: used bytes in hundredths
// of the part above the reserve, 1 to 100 (never 0: a store taking records
// is never shown empty).
uint32_t FullnessPercent(uint32_t used, uint32_t size, uint32_t reserve);

// Mass-storage commands whose data or status stage is decoded with the
// command block of its wrapper.
bool CommandNeedsCdb(uint8_t opcode);

constexpr uint32_t CDB_SIZE = 16;
constexpr uint32_t CBW_CDB_OFFSET = 15;
// Copies the command block out of the captured bytes of a command block
// wrapper: at least 31 bytes beginning with "USBC". False (cdb untouched)
// otherwise.
bool CopyWrapperCdb(const uint8_t* data, uint32_t length, uint8_t cdb[CDB_SIZE]);

} // namespace brx
