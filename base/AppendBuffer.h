// An append-only byte buffer with a fixed capacity and a rollback mark.
// Appends that would pass the capacity write nothing and set the overflow flag,
// so a writer can take a mark, try, and roll back to it on failure.
#pragma once
#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace brx {

class AppendBuffer {
public:
    explicit AppendBuffer(size_t capacity) : capacity_(capacity) {}

    size_t capacity() const { return capacity_; }
    size_t size() const { return buf_.size(); }
    size_t left() const { return capacity_ - buf_.size(); }
    bool overflowed() const { return overflowed_; }
    const char* data() const { return buf_.data(); }
    const std::string& str() const { return buf_; }
    std::string_view view() const { return buf_; }

    bool append(const void* bytes, size_t n);
    bool append(std::string_view s) { return append(s.data(), s.size()); }
    bool push(char c) { return append(&c, 1); }
    bool appendf(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
    bool vappendf(const char* fmt, va_list args);

    size_t mark() const { return buf_.size(); }
    // Drops everything written after the mark (a mark past the end is ignored).
    void rollback(size_t mark) {
        if (mark <= buf_.size()) buf_.resize(mark);
    }
    void clear() {
        buf_.clear();
        overflowed_ = false;
    }

private:
    std::string buf_;
    size_t capacity_;
    bool overflowed_ = false;
};

} // namespace brx
