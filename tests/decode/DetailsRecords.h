// Records for the details trees, built with the record builder and read back
// into views the way the store reads them.
#pragma once
#include <cstring>
#include <vector>

#include "capture/RecordView.h"
#include "sim/RecordBuilder.h"
#include "tests/capture/FakeFilterLog.h"

namespace brx::testing {

// One record in a log of its own, read into a view over an exact-size buffer.
class ViewedRecord {
public:
    explicit ViewedRecord(const Bytes& record, uint32_t bufferSize = 0) {
        log_.Append(record);
        buffer_.resize(bufferSize ? bufferSize : record.size());
        view_.Init(buffer_.data(), static_cast<uint32_t>(buffer_.size()));
        ok_ = log_.ReadRecord(0, view_) == S_OK32;
    }
    bool ok() const { return ok_; }
    const CRecordView& view() const { return view_; }

private:
    FakeFilterLog log_;
    std::vector<uint8_t> buffer_;
    CRecordView view_;
    bool ok_ = false;
};

// A URB request record whose URB is given byte for byte (kind 340 + its
// function), in a URB_BLOCK as the driver writes it.
inline Bytes UrbRecord(RecordBuilder& b, const Bytes& urb, bool completion = false, uint32_t status = 0) {
    RequestSpec s;
    s.kind = static_cast<uint16_t>(340 + (urb.size() >= 4 ? (urb[2] | (urb[3] << 8)) : 0));
    s.completion = completion;
    s.status = status;
    s.irp = b.NewIrp();
    s.majorFunction = 0x0F;
    s.stackParameters[2] = 0x220003;
    s.hasBlock = true;
    s.block.assign(URB_BLOCK_HEADER, 0);
    PutU16(s.block, URB_BLOCK_URB_OFFSET, URB_BLOCK_HEADER);
    s.block.insert(s.block.end(), urb.begin(), urb.end());
    return b.Request(s);
}

// A URB of size bytes with its header (Length = size unless given).
inline Bytes MakeUrb(uint16_t function, size_t size, int headerLength = -1) {
    Bytes u(size, 0);
    if (size >= 4) {
        PutU16(u, 0, static_cast<uint16_t>(headerLength < 0 ? size : headerLength));
        PutU16(u, 2, function);
    }
    if (size >= 12) PutU32(u, 8, 0x8A0D0000);
    return u;
}

} // namespace brx::testing
