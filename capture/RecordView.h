// Record views: one record copied out of the log into a caller's buffer, with
// the positions of its parts taken from the record's index entry. Decoders,
// list columns and the filter read records only through these.
#pragma once
#include <cstdint>

#include "capture/Record.h"

namespace brx {

enum : uint32_t {
    DIRECTION_NONE = 0,
    DIRECTION_IN = 1,
    DIRECTION_OUT = 2,
};

class CRecordView {
public:
    // Binds the view to a buffer and resets it.
    void Init(uint8_t* buffer, uint32_t size);
    // Forgets the record (only when a buffer is bound): every length is 0, so
    // every part is absent.
    void Reset();

    uint32_t index = NO_INDEX;     // record index in the log
    uint32_t size = 0;             // record size from the index entry
    uint32_t type = 0;             // record type
    bool completion = false;       // taken at completion
    bool hasBlock = false;         // parameter block present
    uint32_t direction = DIRECTION_NONE;
    uint32_t companion = NO_INDEX; // issue/completion companion
    uint32_t kind = 0;             // REQUEST_KIND
    uint8_t* buffer = nullptr;     // the copied record
    uint32_t copied = 0;           // bytes copied, at most bufferSize and size
    uint32_t bufferSize = 0;
    const uint8_t* block = nullptr; // parameter block; valid while blockLength != 0
    uint32_t blockLength = 0;       // copied bytes from the block on
    const uint8_t* urb = nullptr;   // URB (URB kinds); valid while urbLength != 0
    uint32_t urbLength = 0;
    const uint8_t* data = nullptr;  // captured transfer bytes; valid while dataLength != 0
    uint32_t dataLength = 0;        // clipped to the copied bytes
    bool dataTruncated = false;     // the record holds more transfer bytes than were copied
    bool commandWrapper = false;    // carries a mass-storage command block wrapper
    bool massStorage = false;       // mass-storage bytes valid
    uint8_t massStorageBytes[4] = {}; // operation code, service action, device kind, SPC version

private:
    void Clear();
};

class CRecordPairView {
public:
    void Init(uint8_t* buffer, uint32_t size, uint8_t* companionBuffer, uint32_t companionSize);
    void Reset();

    CRecordView record;
    uint32_t companionPresent = 0;
    CRecordView companion;
    uint32_t cdbPresent = 0;
    uint8_t cdb[16] = {}; // command block of the mass-storage command of a data or status stage
};

// Fills a view whose buffer holds the first `copied` bytes of record `index`,
// from the record's index entry. Nothing in the entry is trusted: every part
// must lie inside the copied bytes (which are taken as at most the buffer size
// and the entry's record size), or it and what follows it stay absent.
void FillRecordView(CRecordView& view, uint32_t index, const RECORD_INDEX_ENTRY& entry, uint32_t copied);

} // namespace brx
