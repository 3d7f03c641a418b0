// Bounds-checked reading of untrusted bytes (captured records, files, blocks).
// Multi-byte values are built byte by byte; nothing is ever cast from the buffer.
#pragma once
#include <cstddef>
#include <cstdint>

namespace brx {

class ByteReader {
public:
    ByteReader() = default;
    ByteReader(const void* data, size_t size)
        : data_(static_cast<const uint8_t*>(data)), size_(data ? size : 0) {}

    const uint8_t* data() const { return data_; }
    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }

    // True when [offset, offset + count) lies inside the bytes, without overflow.
    bool has(size_t offset, size_t count) const {
        return offset <= size_ && count <= size_ - offset;
    }

    bool u8(size_t off, uint8_t& v) const {
        if (!has(off, 1)) return false;
        v = data_[off];
        return true;
    }
    bool u16le(size_t off, uint16_t& v) const {
        if (!has(off, 2)) return false;
        v = static_cast<uint16_t>(data_[off] | (data_[off + 1] << 8));
        return true;
    }
    bool u32le(size_t off, uint32_t& v) const {
        if (!has(off, 4)) return false;
        v = static_cast<uint32_t>(data_[off]) | (static_cast<uint32_t>(data_[off + 1]) << 8) |
            (static_cast<uint32_t>(data_[off + 2]) << 16) | (static_cast<uint32_t>(data_[off + 3]) << 24);
        return true;
    }
    bool u64le(size_t off, uint64_t& v) const {
        uint32_t lo, hi;
        if (!u32le(off, lo) || !u32le(off + 4, hi)) return false;
        v = (static_cast<uint64_t>(hi) << 32) | lo;
        return true;
    }
    bool u16be(size_t off, uint16_t& v) const {
        if (!has(off, 2)) return false;
        v = static_cast<uint16_t>((data_[off] << 8) | data_[off + 1]);
        return true;
    }
    bool u32be(size_t off, uint32_t& v) const {
        if (!has(off, 4)) return false;
        v = (static_cast<uint32_t>(data_[off]) << 24) | (static_cast<uint32_t>(data_[off + 1]) << 16) |
            (static_cast<uint32_t>(data_[off + 2]) << 8) | static_cast<uint32_t>(data_[off + 3]);
        return true;
    }
    bool u64be(size_t off, uint64_t& v) const {
        uint32_t hi, lo;
        if (!u32be(off, hi) || !u32be(off + 4, lo)) return false;
        v = (static_cast<uint64_t>(hi) << 32) | lo;
        return true;
    }

    // Value-or-default forms for callers that treat a missing field as absent.
    uint8_t u8or(size_t off, uint8_t def = 0) const { uint8_t v; return u8(off, v) ? v : def; }
    uint16_t u16le_or(size_t off, uint16_t def = 0) const { uint16_t v; return u16le(off, v) ? v : def; }
    uint32_t u32le_or(size_t off, uint32_t def = 0) const { uint32_t v; return u32le(off, v) ? v : def; }
    uint64_t u64le_or(size_t off, uint64_t def = 0) const { uint64_t v; return u64le(off, v) ? v : def; }
    uint16_t u16be_or(size_t off, uint16_t def = 0) const { uint16_t v; return u16be(off, v) ? v : def; }
    uint32_t u32be_or(size_t off, uint32_t def = 0) const { uint32_t v; return u32be(off, v) ? v : def; }

    // The bytes [offset, offset + count) clipped to what is there.
    ByteReader sub(size_t offset, size_t count) const {
        if (offset >= size_) return ByteReader(data_ + size_, 0);
        size_t left = size_ - offset;
        return ByteReader(data_ + offset, count < left ? count : left);
    }
    // The bytes from offset to the end (empty when offset is past the end).
    ByteReader from(size_t offset) const { return sub(offset, size_); }

private:
    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
};

// A reading position over a ByteReader: every read either succeeds whole and
// advances, or fails and leaves the position where it was.
class ByteCursor {
public:
    ByteCursor() = default;
    explicit ByteCursor(ByteReader r) : r_(r) {}
    ByteCursor(const void* data, size_t size) : r_(data, size) {}

    size_t pos() const { return pos_; }
    size_t remaining() const { return r_.size() - pos_; }
    bool at_end() const { return pos_ >= r_.size(); }
    const uint8_t* here() const { return r_.data() + pos_; }
    const ByteReader& reader() const { return r_; }

    bool skip(size_t n) {
        if (!r_.has(pos_, n)) return false;
        pos_ += n;
        return true;
    }
    bool u8(uint8_t& v) { return step(r_.u8(pos_, v), 1); }
    bool u16le(uint16_t& v) { return step(r_.u16le(pos_, v), 2); }
    bool u32le(uint32_t& v) { return step(r_.u32le(pos_, v), 4); }
    bool u64le(uint64_t& v) { return step(r_.u64le(pos_, v), 8); }
    bool u16be(uint16_t& v) { return step(r_.u16be(pos_, v), 2); }
    bool u32be(uint32_t& v) { return step(r_.u32be(pos_, v), 4); }
    // The next n bytes as a reader of their own, and advance past them.
    bool take(size_t n, ByteReader& out) {
        if (!r_.has(pos_, n)) return false;
        out = r_.sub(pos_, n);
        pos_ += n;
        return true;
    }

private:
    bool step(bool ok, size_t n) {
        if (ok) pos_ += n;
        return ok;
    }
    ByteReader r_;
    size_t pos_ = 0;
};

} // namespace brx
