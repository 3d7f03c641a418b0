#include "capture/RecordView.h"

#include "capture/RequestKind.h"

namespace brx {

void CRecordView::Init(uint8_t* buf, uint32_t bytes) {
    buffer = buf;
    bufferSize = buf ? bytes : 0;
    // Cleared even without a buffer, so that nothing of an earlier binding
    // (a length with its pointer) survives.
    Clear();
}

void CRecordView::Reset() {
    if (buffer) Clear();
}

void CRecordView::Clear() {
    index = NO_INDEX;
    companion = NO_INDEX;
    size = 0;
    type = 0;
    completion = false;
    hasBlock = false;
    direction = DIRECTION_NONE;
    kind = 0;
    copied = 0;
    block = nullptr;
    blockLength = 0;
    urb = nullptr;
    urbLength = 0;
    data = nullptr;
    dataLength = 0;
    dataTruncated = false;
    commandWrapper = false;
    massStorage = false;
    for (uint8_t& b : massStorageBytes) b = 0;
}

void CRecordPairView::Init(uint8_t* buffer, uint32_t size, uint8_t* companionBuffer, uint32_t companionSize) {
    record.Init(buffer, size);
    companion.Init(companionBuffer, companionSize);
    companionPresent = 0;
    cdbPresent = 0;
}

void CRecordPairView::Reset() {
    record.Reset();
    companion.Reset();
    companionPresent = 0;
    cdbPresent = 0;
}

void FillRecordView(CRecordView& view, uint32_t index, const RECORD_INDEX_ENTRY& entry, uint32_t copied) {
    view.Reset();
    if (!view.buffer) return;

    // 1. Identity; the copied count never exceeds the buffer or the record.
    view.index = index;
    view.size = GetEntryRecordSize(entry);
    view.type = GetEntryRecordType(entry);
    if (copied > view.bufferSize) copied = view.bufferSize;
    if (copied > view.size) copied = view.size;
    view.copied = copied;

    // 2. Request fields.
    if (view.type != RECORD_TYPE_REQUEST) return;
    view.completion = IsEntryCompletion(entry);
    view.hasBlock = EntryHasBlock(entry);
    view.companion = GetEntryCompanion(entry);
    view.kind = GetEntryKind(entry);

    // 3. Parameter block: at least its first 4 bytes copied.
    uint32_t blockOffset = GetEntryBlockOffset(entry);
    if (!view.hasBlock || copied < blockOffset + PARAMETER_BLOCK_MIN) return;
    view.block = view.buffer + blockOffset;
    view.blockLength = copied - blockOffset;

    // 4. URB: URB kinds only, its first 16 bytes copied. An entry without a URB
    // keeps offset 0, which must not make the record's own start the URB.
    uint32_t urbOffset = GetEntryUrbOffset(entry);
    if (!IsUrbKind(view.kind) || urbOffset == 0 || copied < urbOffset + 16) return;
    view.urb = view.buffer + urbOffset;
    view.urbLength = copied - urbOffset;

    // 5. Mass storage and direction.
    view.commandWrapper = IsEntryCommandWrapper(entry);
    view.massStorage = IsEntryMassStorage(entry);
    if (view.massStorage) {
        view.massStorageBytes[0] = GetEntryOpcode(entry);
        view.massStorageBytes[1] = GetEntryServiceAction(entry);
        view.massStorageBytes[2] = GetEntryDeviceKind(entry);
        view.massStorageBytes[3] = GetEntrySpcVersion(entry);
    }
    view.direction = IsEntryIn(entry) ? DIRECTION_IN : IsEntryOut(entry) ? DIRECTION_OUT : DIRECTION_NONE;

    // 6. Transfer bytes, clipped to what was copied; the flag tells a reader
    // (the list's preview) that the record holds more of them than it sees.
    uint32_t dataOffset = GetEntryDataOffset(entry);
    uint32_t dataLength = GetEntryDataLength(entry);
    if (dataLength == 0) return;
    uint32_t available = copied > dataOffset ? copied - dataOffset : 0;
    view.dataTruncated = dataLength > available;
    if (available == 0) return;
    view.data = view.buffer + dataOffset;
    view.dataLength = dataLength < available ? dataLength : available;
}

} // namespace brx
