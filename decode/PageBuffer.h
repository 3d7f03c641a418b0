// The text of one HTML page while it is written: one block reserved once per
// page, appends that never pass its capacity, and the elements left open.
//
// The last kTailReserve bytes are kept for the end of the page: ordinary
// (body) appends stop short of them. An append that does not fit writes
// nothing and marks the page full; from then on every body append is refused,
// so a decoder that meets the cap stops and the page is not cut in the middle
// of a line. ClosePage (PageWriter.h) then uses the tail to close every open
// element, add the visible truncation line and end the document.
//
// The writers record the elements they open and close (divisions, tables,
// rows), so the page can always be closed, and a mark taken before a decoder
// runs restores both the text and the open elements.
#pragma once
#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

namespace brx {

enum class PageElement : uint8_t { Division, Table, Row };

struct PageMark {
    size_t size = 0;
    uint64_t open = 0; // 2 bits per open element, innermost lowest
    uint32_t depth = 0;
};

class PageBuffer {
public:
    static constexpr size_t kPageCapacity = 0x200000; // a page, its end and the terminating NUL
    static constexpr size_t kTailReserve = 1024;      // closing tags, truncation line, document end
    static constexpr uint32_t kMaxOpen = 32;          // nesting of open elements

    explicit PageBuffer(size_t capacity = kPageCapacity);
    PageBuffer(const PageBuffer&) = delete;
    PageBuffer& operator=(const PageBuffer&) = delete;

    // Starts an empty page in the same block (no new allocation).
    void Reset();

    size_t capacity() const { return capacity_; }
    size_t size() const { return size_; }
    // Bytes a body append can still use.
    size_t left() const { return full_ ? 0 : bodyLimit_ - size_; }
    // True once a body append did not fit: decoders stop writing.
    bool full() const { return full_; }
    // True once the page was ended (ClosePage).
    bool closed() const { return closed_; }
    const char* data() const { return data_.get(); }
    // The text written so far (always NUL-terminated in the block).
    std::string_view view() const { return {data_.get(), size_}; }

    // Body appends: whole or nothing; false (and full) when they do not fit.
    bool Append(std::string_view text);
    bool AppendF(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
    bool AppendV(const char* fmt, va_list args);
    // Escaped text (base/Markup.h): Windows-1252 or UTF-16.
    bool AppendText(std::string_view ansi);
    bool AppendWide(std::u16string_view wide);

    // Element bookkeeping, for writers that open or close one. Open refuses
    // (and marks the page full) past kMaxOpen; Close of an element that is not
    // the innermost open one is refused.
    bool Open(PageElement element, std::string_view startTag);
    bool Close(PageElement element, std::string_view endTag);
    uint32_t openDepth() const { return depth_; }
    PageElement openElement(uint32_t fromInnermost) const;

    PageMark Mark() const;
    // Drops what was written after the mark and restores its open elements.
    // A full page stays full: text was lost, so the page still ends with the
    // truncation line.
    void Rollback(const PageMark& mark);

    // Appends that may use the tail (page end only). False when even the tail
    // has no room, which the reserve is sized never to allow.
    bool AppendTail(std::string_view text);
    // Ends the page: the open elements count as closed, nothing more is written.
    void SetClosed() {
        closed_ = true;
        open_ = 0;
        depth_ = 0;
    }

private:
    bool Commit(size_t newSize);
    void Refuse() { full_ = true; }

    std::unique_ptr<char[]> data_;
    size_t capacity_;
    size_t bodyLimit_;
    size_t size_ = 0;
    uint64_t open_ = 0;
    uint32_t depth_ = 0;
    bool full_ = false;
    bool closed_ = false;
};

} // namespace brx
