#include "capture/PagedFile.h"

#include <algorithm>
#include <cstring>

namespace brx {

namespace {

constexpr uint32_t kErrorInvalidParameter = 87;

bool Test(const std::vector<uint64_t>& bits, uint32_t i) { return (bits[i >> 6] >> (i & 63)) & 1; }

void SetRange(std::vector<uint64_t>& bits, uint32_t first, uint32_t last) {
    for (uint32_t i = first; i <= last; ++i) bits[i >> 6] |= uint64_t{1} << (i & 63);
}

void ClearRange(std::vector<uint64_t>& bits, uint32_t first, uint32_t last) {
    for (uint32_t i = first; i <= last; ++i) bits[i >> 6] &= ~(uint64_t{1} << (i & 63));
}

bool Any(const std::vector<uint64_t>& bits) {
    return std::any_of(bits.begin(), bits.end(), [](uint64_t w) { return w != 0; });
}

} // namespace

CPagedFile::CPagedFile(IFileAccess& file, uint64_t size, uint32_t pageSize, uint32_t pages)
    : file_(file),
      pageSize_(std::max(pageSize / kSectorSize, 1u) * kSectorSize),
      sectorsPerPage_(pageSize_ / kSectorSize),
      size_(size),
      fileSize_(size),
      pages_(std::max(pages, 1u)) {
    for (PAGE& p : pages_) {
        p.bytes.resize(pageSize_);
        p.known.assign((sectorsPerPage_ + 63) / 64, 0);
        p.dirty.assign((sectorsPerPage_ + 63) / 64, 0);
    }
}

CPagedFile::PAGE& CPagedFile::Take(uint64_t n) {
    PAGE* victim = &pages_[0];
    for (PAGE& p : pages_) {
        if (p.number == n) {
            p.lastUse = ++clock_;
            return p;
        }
        if (victim->number != UINT64_MAX && (p.number == UINT64_MAX || p.lastUse < victim->lastUse)) victim = &p;
    }
    if (victim->number != UINT64_MAX) WriteBack(*victim);
    victim->number = n;
    victim->lastUse = ++clock_;
    std::fill(victim->known.begin(), victim->known.end(), 0);
    std::fill(victim->dirty.begin(), victim->dirty.end(), 0);
    return *victim;
}

uint32_t CPagedFile::Know(PAGE& page, uint32_t first, uint32_t last) {
    const uint64_t start = page.number * pageSize_;
    // A page read for the first time is read whole: the next sectors are
    // usually asked for next.
    if (!Any(page.known)) {
        first = 0;
        last = sectorsPerPage_ - 1;
    }
    for (uint32_t s = first; s <= last;) {
        if (Test(page.known, s)) {
            ++s;
            continue;
        }
        uint32_t e = s;
        while (e + 1 <= last && !Test(page.known, e + 1)) ++e;
        uint8_t* to = page.bytes.data() + size_t{s} * kSectorSize;
        const uint32_t length = (e - s + 1) * kSectorSize;
        uint32_t got = 0;
        // Nothing of the file lies at or beyond its end.
        if (start + uint64_t{s} * kSectorSize < fileSize_) {
            const uint32_t error = file_.ReadAt(start + uint64_t{s} * kSectorSize, to, length, &got);
            if (error) return error;
            got = std::min(got, length);
        }
        std::memset(to + got, 0, length - got);
        SetRange(page.known, s, e);
        s = e + 1;
    }
    return 0;
}

void CPagedFile::WriteBack(PAGE& page) {
    const uint64_t start = page.number * pageSize_;
    for (uint32_t s = 0; s < sectorsPerPage_ && !failure_;) {
        if (!Test(page.dirty, s)) {
            ++s;
            continue;
        }
        uint32_t e = s;
        while (e + 1 < sectorsPerPage_ && Test(page.dirty, e + 1)) ++e;
        const uint64_t from = start + uint64_t{s} * kSectorSize;
        const uint64_t to = std::min(start + uint64_t{e + 1} * kSectorSize, size_);
        if (from < to) {
            const uint32_t error =
                file_.WriteAt(from, page.bytes.data() + size_t{s} * kSectorSize, static_cast<uint32_t>(to - from));
            if (error) Fail(error);
            else fileSize_ = std::max(fileSize_, to);
        }
        s = e + 1;
    }
    // After a failure the bytes are lost either way: the failure is kept.
    std::fill(page.dirty.begin(), page.dirty.end(), 0);
}

uint32_t CPagedFile::ReadAt(uint64_t offset, void* destination, uint32_t length, uint32_t* got) {
    *got = 0;
    if (offset >= size_) return 0;
    const uint64_t end = offset + std::min<uint64_t>(length, size_ - offset);
    uint8_t* to = static_cast<uint8_t*>(destination);
    while (offset < end) {
        const uint32_t inPage = static_cast<uint32_t>(offset % pageSize_);
        const uint32_t take = static_cast<uint32_t>(std::min<uint64_t>(pageSize_ - inPage, end - offset));
        PAGE& page = Take(offset / pageSize_);
        const uint32_t error = Know(page, inPage / kSectorSize, (inPage + take - 1) / kSectorSize);
        if (error) return error;
        std::memcpy(to, page.bytes.data() + inPage, take);
        to += take;
        offset += take;
        *got += take;
    }
    return 0;
}

uint32_t CPagedFile::WriteAt(uint64_t offset, const void* source, uint32_t length) {
    if (failure_) return failure_;
    if (length > UINT64_MAX - offset) return kErrorInvalidParameter;
    const uint64_t end = offset + length;
    const uint8_t* from = static_cast<const uint8_t*>(source);
    while (offset < end && !failure_) {
        const uint32_t inPage = static_cast<uint32_t>(offset % pageSize_);
        const uint32_t take = static_cast<uint32_t>(std::min<uint64_t>(pageSize_ - inPage, end - offset));
        PAGE& page = Take(offset / pageSize_);
        const uint32_t first = inPage / kSectorSize, last = (inPage + take - 1) / kSectorSize;
        // A sector written in part keeps the rest of its bytes.
        uint32_t error = 0;
        if (inPage % kSectorSize) error = Know(page, first, first);
        if (!error && (inPage + take) % kSectorSize) error = Know(page, last, last);
        if (error) return error;
        std::memcpy(page.bytes.data() + inPage, from, take);
        SetRange(page.known, first, last);
        SetRange(page.dirty, first, last);
        from += take;
        offset += take;
        size_ = std::max(size_, offset);
    }
    return failure_;
}

uint32_t CPagedFile::SetSize(uint64_t size) {
    if (size >= size_) {
        size_ = size;
        return 0;
    }
    // Bytes past the new end are gone: zero in the cache, never written back.
    for (PAGE& page : pages_) {
        if (page.number == UINT64_MAX) continue;
        const uint64_t start = page.number * pageSize_;
        if (start + pageSize_ <= size) continue;
        const uint32_t keep = size > start ? static_cast<uint32_t>(size - start) : 0;
        std::memset(page.bytes.data() + keep, 0, pageSize_ - keep);
        const uint32_t firstGone = (keep + kSectorSize - 1) / kSectorSize;
        if (firstGone < sectorsPerPage_) {
            SetRange(page.known, firstGone, sectorsPerPage_ - 1);
            ClearRange(page.dirty, firstGone, sectorsPerPage_ - 1);
        }
    }
    size_ = size;
    if (fileSize_ > size) {
        const uint32_t error = file_.SetSize(size);
        if (error) {
            Fail(error);
            return error;
        }
        fileSize_ = size;
    }
    return 0;
}

uint32_t CPagedFile::Flush() {
    if (failure_) return failure_;
    // In file order, so that the writes go forwards.
    std::vector<PAGE*> order;
    for (PAGE& p : pages_)
        if (p.number != UINT64_MAX && Any(p.dirty)) order.push_back(&p);
    std::sort(order.begin(), order.end(), [](const PAGE* a, const PAGE* b) { return a->number < b->number; });
    for (PAGE* p : order) WriteBack(*p);
    if (!failure_ && fileSize_ != size_) {
        const uint32_t error = file_.SetSize(size_);
        if (error) Fail(error);
        else fileSize_ = size_;
    }
    return failure_;
}

} // namespace brx
