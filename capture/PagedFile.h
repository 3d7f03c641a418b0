// A small write-back cache of a file in pages of sectors, for the byte array
// under a compound file. The structured-storage code reaches its file one
// 512-byte sector at a time (reads, writes and size changes by the hundred
// thousand for a large capture file); here those land in a few large pages
// and reach the file as one read per page and one write per run of changed
// sectors.
//
// The file on disk stays as sparse as direct access would leave it: only the
// sectors the caller wrote are written back (never whole pages), and growing
// the size only records it; the file takes its size when the cache is
// flushed. So a full disk shows as a failed write of data, not inside the
// caller's own sizing. The first failed write is kept: every later write and
// flush returns it, so that a save that lost bytes can never end as a
// success. Pure: the file is reached through IFileAccess.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace brx {

// The file under the cache, in the shape of positioned reads and writes.
// Results are Win32 error codes, 0 for success.
class IFileAccess {
public:
    virtual ~IFileAccess() = default;
    // Reads up to length bytes at offset; fewer (got) where the file ends.
    virtual uint32_t ReadAt(uint64_t offset, void* destination, uint32_t length, uint32_t* got) = 0;
    // Writes all length bytes at offset (the file grows as needed).
    virtual uint32_t WriteAt(uint64_t offset, const void* source, uint32_t length) = 0;
    // Sets the end of the file.
    virtual uint32_t SetSize(uint64_t size) = 0;
};

class CPagedFile {
public:
    static constexpr uint32_t kSectorSize = 512;
    static constexpr uint32_t kDefaultPageSize = 256u << 10;
    static constexpr uint32_t kDefaultPages = 4;

    // The cache over a file of `size` bytes, in `pages` pages of pageSize
    // bytes (a multiple of the sector size). Allocates the pages (may throw
    // std::bad_alloc).
    CPagedFile(IFileAccess& file, uint64_t size, uint32_t pageSize = kDefaultPageSize,
               uint32_t pages = kDefaultPages);
    CPagedFile(const CPagedFile&) = delete;
    CPagedFile& operator=(const CPagedFile&) = delete;

    // Copies up to length bytes at offset; fewer (got) past the size. A
    // failed read of the file gives its error.
    uint32_t ReadAt(uint64_t offset, void* destination, uint32_t length, uint32_t* got);
    // Writes length bytes at offset (the size grows to cover them). 0, or
    // the first failure of any write so far.
    uint32_t WriteAt(uint64_t offset, const void* source, uint32_t length);
    // Growing only records the size; shrinking cuts the file at once (bytes
    // beyond the size are gone, and read as zero if the size grows again).
    uint32_t SetSize(uint64_t size);
    // Writes every changed sector back and gives the file its size: 0, or
    // the first failure of any write so far.
    uint32_t Flush();

    uint64_t GetSize() const { return size_; }
    // The first failed write, 0 when none.
    uint32_t GetFailure() const { return failure_; }

private:
    struct PAGE {
        uint64_t number = UINT64_MAX;   // UINT64_MAX: holds no page
        uint64_t lastUse = 0;
        std::vector<uint8_t> bytes;
        std::vector<uint64_t> known;   // sectors whose bytes are the file's or newer
        std::vector<uint64_t> dirty;   // sectors changed since they were written back
    };

    // The page holding page number n, read in or made room for.
    PAGE& Take(uint64_t n);
    // Makes sectors [first, last] of the page known, reading what is missing:
    // the whole page when none of it is known yet. 0 or the read's error.
    uint32_t Know(PAGE& page, uint32_t first, uint32_t last);
    // Writes the page's changed sectors back, one write per run.
    void WriteBack(PAGE& page);
    void Fail(uint32_t error) {
        if (failure_ == 0) failure_ = error;
    }

    IFileAccess& file_;
    const uint32_t pageSize_;
    const uint32_t sectorsPerPage_;
    uint64_t size_;       // the size the caller sees
    uint64_t fileSize_;   // the size of the file as written so far
    uint64_t clock_ = 0;
    uint32_t failure_ = 0;
    std::vector<PAGE> pages_;
};

} // namespace brx
