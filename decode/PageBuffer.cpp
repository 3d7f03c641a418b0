#include "decode/PageBuffer.h"

#include <cstdio>
#include <cstring>

#include "base/Markup.h"

namespace brx {

PageBuffer::PageBuffer(size_t capacity)
    : data_(new char[capacity + 1]), capacity_(capacity),
      bodyLimit_(capacity > kTailReserve ? capacity - kTailReserve : 0) {
    data_[0] = '\0';
}

void PageBuffer::Reset() {
    size_ = 0;
    open_ = 0;
    depth_ = 0;
    full_ = false;
    closed_ = false;
    data_[0] = '\0';
}

bool PageBuffer::Commit(size_t newSize) {
    size_ = newSize;
    data_[size_] = '\0';
    return true;
}

bool PageBuffer::Append(std::string_view text) {
    if (full_ || closed_ || text.size() > bodyLimit_ - size_) {
        Refuse();
        return false;
    }
    std::memcpy(data_.get() + size_, text.data(), text.size());
    return Commit(size_ + text.size());
}

bool PageBuffer::AppendV(const char* fmt, va_list args) {
    if (full_ || closed_) {
        Refuse();
        return false;
    }
    // Formatted in place: the room left and the NUL slot past the limit.
    const size_t room = bodyLimit_ - size_ + 1;
    const int n = std::vsnprintf(data_.get() + size_, room, fmt, args);
    if (n < 0 || static_cast<size_t>(n) >= room) {
        data_[size_] = '\0';
        Refuse();
        return false;
    }
    return Commit(size_ + static_cast<size_t>(n));
}

bool PageBuffer::AppendF(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    const bool ok = AppendV(fmt, args);
    va_end(args);
    return ok;
}

namespace {

// The bytes that stand for themselves in markup, taken from the helper itself.
struct PlainBytes {
    PlainBytes() {
        char scratch[kMarkupScratch];
        for (int b = 0; b < 256; ++b) plain[b] = MarkupForByte(static_cast<uint8_t>(b), scratch).empty();
    }
    bool plain[256];
};
const PlainBytes kPlainBytes;

} // namespace

bool PageBuffer::AppendText(std::string_view ansi) {
    const size_t start = size_;
    char scratch[kMarkupScratch];
    size_t run = 0;
    bool ok = true;
    for (size_t i = 0; ok && i < ansi.size(); ++i) {
        if (kPlainBytes.plain[static_cast<uint8_t>(ansi[i])]) continue;
        std::string_view m = MarkupForByte(static_cast<uint8_t>(ansi[i]), scratch);
        ok = (i == run || Append(ansi.substr(run, i - run))) && Append(m);
        run = i + 1;
    }
    if (ok && ansi.size() > run) ok = Append(ansi.substr(run));
    if (!ok) Commit(start);
    return ok;
}

bool PageBuffer::AppendWide(std::u16string_view wide) {
    const size_t start = size_;
    char scratch[kMarkupScratch];
    bool ok = true;
    for (size_t i = 0; ok && i < wide.size(); ++i) {
        uint32_t cp = wide[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 && wide[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (wide[i + 1] - 0xDC00u);
            ++i;
        }
        std::string_view m = MarkupForCodePoint(cp, scratch);
        if (m.empty()) {
            const char c = static_cast<char>(cp);
            ok = Append(std::string_view(&c, 1));
        } else {
            ok = Append(m);
        }
    }
    if (!ok) Commit(start);
    return ok;
}

bool PageBuffer::Open(PageElement element, std::string_view startTag) {
    if (depth_ >= kMaxOpen) {
        Refuse();
        return false;
    }
    if (!Append(startTag)) return false;
    open_ = (open_ << 2) | static_cast<uint64_t>(element);
    ++depth_;
    return true;
}

bool PageBuffer::Close(PageElement element, std::string_view endTag) {
    if (depth_ == 0 || openElement(0) != element) return false;
    if (!Append(endTag)) return false;
    open_ >>= 2;
    --depth_;
    return true;
}

PageElement PageBuffer::openElement(uint32_t fromInnermost) const {
    return static_cast<PageElement>((open_ >> (2 * fromInnermost)) & 3);
}

PageMark PageBuffer::Mark() const {
    return PageMark{size_, open_, depth_};
}

void PageBuffer::Rollback(const PageMark& mark) {
    if (closed_ || mark.size > size_) return;
    Commit(mark.size);
    open_ = mark.open;
    depth_ = mark.depth;
}

bool PageBuffer::AppendTail(std::string_view text) {
    if (text.size() > capacity_ - size_) return false;
    std::memcpy(data_.get() + size_, text.data(), text.size());
    return Commit(size_ + text.size());
}

} // namespace brx
