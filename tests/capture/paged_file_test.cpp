// The page cache under a compound file: what is read back is what was
// written, the file ends up byte for byte as written, only changed sectors
// reach the file (in runs), growth waits for the flush, and the first failed
// write fails every later write and flush.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <vector>

#include "capture/PagedFile.h"
#include "tests/capture/XorShift.h"

using namespace brx;
using brx::fixtures::NextRandom;

namespace {

constexpr uint32_t kDiskFull = 112;   // ERROR_DISK_FULL
constexpr uint32_t kReadFault = 30;   // ERROR_READ_FAULT
constexpr uint32_t kSector = CPagedFile::kSectorSize;

// A file in memory that records what reached it, with room for a limited
// number of bytes written and reads that can be made to fail.
class MemoryFile final : public IFileAccess {
public:
    uint32_t ReadAt(uint64_t offset, void* destination, uint32_t length, uint32_t* got) override {
        ++reads;
        *got = 0;
        if (readError) return readError;
        if (offset >= bytes.size()) return 0;
        *got = static_cast<uint32_t>(std::min<uint64_t>(length, bytes.size() - offset));
        std::memcpy(destination, bytes.data() + offset, *got);
        return 0;
    }
    uint32_t WriteAt(uint64_t offset, const void* source, uint32_t length) override {
        if (written + length > room) return kDiskFull;
        written += length;
        writes.push_back({offset, length});
        if (bytes.size() < offset + length) bytes.resize(offset + length, 0);
        std::memcpy(bytes.data() + offset, source, length);
        return 0;
    }
    uint32_t SetSize(uint64_t size) override {
        sizes.push_back(size);
        bytes.resize(size, 0);
        return 0;
    }

    struct Write {
        uint64_t offset;
        uint32_t length;
    };
    std::vector<uint8_t> bytes;
    std::vector<Write> writes;
    std::vector<uint64_t> sizes;
    uint64_t written = 0;
    uint64_t room = UINT64_MAX;
    uint32_t readError = 0;
    int reads = 0;
};

std::vector<uint8_t> Pattern(size_t n, uint8_t seed) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = static_cast<uint8_t>(seed + i * 7 + (i >> 8));
    return v;
}

std::vector<uint8_t> ReadAll(CPagedFile& f, uint64_t offset, uint32_t length, uint32_t* error = nullptr) {
    std::vector<uint8_t> out(length);
    uint32_t got = 0;
    const uint32_t e = f.ReadAt(offset, out.data(), length, &got);
    if (error) *error = e;
    out.resize(got);
    return out;
}

} // namespace

// Random writes, reads and size changes (aligned and not, across pages)
// through a cache of three small pages that must evict all the time, against
// a plain byte array; after each flush the file is the array, and no write
// ever reached a sector the caller did not write.
TEST(PagedFile, ReadsWhatWasWrittenAndTheFileEndsUpTheSame) {
    for (uint32_t pageSize : {1024u, 4096u}) {
        SCOPED_TRACE(pageSize);
        MemoryFile file;
        file.bytes = Pattern(5000, 3);   // an existing file
        std::vector<uint8_t> model = file.bytes;
        std::set<uint64_t> writtenSectors;
        CPagedFile f(file, file.bytes.size(), pageSize, 3);
        uint32_t x = 77;
        for (int step = 0; step < 4000; ++step) {
            const uint32_t r = NextRandom(x);
            const uint64_t offset = (r >> 4) % 40000;
            const uint32_t length = 1 + (r >> 20) % 3000;
            switch (r % 10) {
            case 0: case 1: case 2: case 3: {
                const std::vector<uint8_t> data = Pattern(length, static_cast<uint8_t>(step));
                ASSERT_EQ(f.WriteAt(offset, data.data(), length), 0u);
                if (model.size() < offset + length) model.resize(offset + length, 0);
                std::copy(data.begin(), data.end(), model.begin() + static_cast<ptrdiff_t>(offset));
                for (uint64_t s = offset / kSector; s <= (offset + length - 1) / kSector; ++s) writtenSectors.insert(s);
                break;
            }
            case 4: case 5: case 6: {
                const std::vector<uint8_t> got = ReadAll(f, offset, length);
                const size_t expected = offset >= model.size() ? 0 : std::min<size_t>(length, model.size() - offset);
                ASSERT_EQ(got.size(), expected) << step;
                ASSERT_TRUE(std::equal(got.begin(), got.end(), model.begin() + static_cast<ptrdiff_t>(std::min<uint64_t>(offset, model.size()))))
                    << step;
                break;
            }
            case 7: {
                // Mostly growth, now and then a cut.
                const uint64_t size = (r & 0x100) ? model.size() + length : model.size() / 2 + length;
                ASSERT_EQ(f.SetSize(size), 0u);
                model.resize(size, 0);
                break;
            }
            case 8:
                ASSERT_EQ(f.Flush(), 0u);
                ASSERT_EQ(file.bytes, model) << step;
                break;
            default:
                ASSERT_EQ(f.GetSize(), model.size());
                break;
            }
        }
        ASSERT_EQ(f.Flush(), 0u);
        EXPECT_EQ(file.bytes, model);
        for (const MemoryFile::Write& w : file.writes)
            for (uint64_t s = w.offset / kSector; s <= (w.offset + w.length - 1) / kSector; ++s)
                ASSERT_TRUE(writtenSectors.count(s)) << "sector " << s << " was never written";
    }
}

// Sector after sector, each after growing the size by one, as a compound file
// writes its streams: the file gets one write per page, no size change (the
// writes give it its size) and not one read.
TEST(PagedFile, SectorWritesReachTheFileAsRunsAndTheSizeAtTheFlush) {
    MemoryFile file;
    CPagedFile f(file, 0, 64 * 1024, 4);
    const std::vector<uint8_t> sector = Pattern(kSector, 9);
    for (uint32_t i = 0; i < 1024; ++i) {   // 512 KB
        ASSERT_EQ(f.SetSize(uint64_t{i + 1} * kSector), 0u);
        ASSERT_EQ(f.WriteAt(uint64_t{i} * kSector, sector.data(), kSector), 0u);
    }
    EXPECT_LE(file.writes.size(), 8u);   // pages evicted so far
    EXPECT_TRUE(file.sizes.empty());
    ASSERT_EQ(f.Flush(), 0u);
    EXPECT_EQ(file.writes.size(), 8u);
    for (const MemoryFile::Write& w : file.writes) EXPECT_EQ(w.length, 64u * 1024);
    EXPECT_EQ(file.bytes.size(), 512u * 1024);
    EXPECT_EQ(file.reads, 0);
    EXPECT_TRUE(file.sizes.empty());   // the writes gave the file its size
}

// Two sectors far apart in one page, and a size set far beyond them: the
// file gets the two sectors and its size, and nothing in between is written.
TEST(PagedFile, OnlyChangedSectorsAreWrittenAndGrowthStaysSparse) {
    MemoryFile file;
    CPagedFile f(file, 0, 256 * 1024, 4);
    const std::vector<uint8_t> a = Pattern(kSector, 1), b = Pattern(100, 2);
    ASSERT_EQ(f.SetSize(10u << 20), 0u);
    ASSERT_EQ(f.WriteAt(0, a.data(), kSector), 0u);
    ASSERT_EQ(f.WriteAt(100 * kSector + 12, b.data(), 100), 0u);   // part of a sector
    ASSERT_EQ(f.Flush(), 0u);
    ASSERT_EQ(file.writes.size(), 2u);
    EXPECT_EQ(file.writes[0].offset, 0u);
    EXPECT_EQ(file.writes[0].length, kSector);
    EXPECT_EQ(file.writes[1].offset, 100u * kSector);
    EXPECT_EQ(file.writes[1].length, kSector);
    ASSERT_EQ(file.sizes.size(), 1u);
    EXPECT_EQ(file.sizes[0], 10u << 20);
    EXPECT_EQ(file.written, 2u * kSector);
    // The rest of the partly written sector reads as the file had it: zero.
    const std::vector<uint8_t> back = ReadAll(f, 100 * kSector, kSector);
    EXPECT_EQ(std::count(back.begin(), back.begin() + 12, 0), 12);
    EXPECT_TRUE(std::equal(b.begin(), b.end(), back.begin() + 12));
}

// A disk that fills up: the write or flush that meets the failure returns it,
// and so does every later write and flush, even once there is room again;
// growing the size never fails, and what is cached still reads.
TEST(PagedFile, TheFirstFailedWriteFailsEveryLaterWriteAndFlush) {
    struct Case {
        const char* what;
        uint64_t room;
        uint32_t pages;
    } cases[] = {
        {"at an eviction during a later write", 3 * 1024, 2},
        {"at the flush", 5 * 1024, 8},
        {"at the first write back", 0, 2},
    };
    const std::vector<uint8_t> data = Pattern(kSector, 5);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MemoryFile file;
        file.room = c.room;
        CPagedFile f(file, 0, 1024, c.pages);
        uint32_t first = 0;
        uint32_t i = 0;
        for (; i < 16 && first == 0; ++i) first = f.WriteAt(uint64_t{i} * 1024, data.data(), kSector);
        if (first == 0) first = f.Flush();
        EXPECT_EQ(first, kDiskFull);
        EXPECT_EQ(f.GetFailure(), kDiskFull);
        file.room = UINT64_MAX;
        EXPECT_EQ(f.WriteAt(0, data.data(), kSector), kDiskFull);
        EXPECT_EQ(f.Flush(), kDiskFull);
        EXPECT_EQ(f.SetSize(1u << 20), 0u);
        EXPECT_EQ(f.WriteAt(999999, data.data(), 1), kDiskFull);
        EXPECT_EQ(f.Flush(), kDiskFull);
        EXPECT_EQ(ReadAll(f, uint64_t{i - 1} * 1024, kSector), data);   // the last page is still cached
    }
}

TEST(PagedFile, AFailedReadIsReportedAndNotKept) {
    MemoryFile file;
    file.bytes = Pattern(8192, 4);
    CPagedFile f(file, file.bytes.size(), 1024, 2);
    file.readError = kReadFault;
    uint32_t error = 0;
    EXPECT_TRUE(ReadAll(f, 100, 10, &error).empty());
    EXPECT_EQ(error, kReadFault);
    const std::vector<uint8_t> data = Pattern(10, 1);
    EXPECT_EQ(f.WriteAt(2048 + 3, data.data(), 10), kReadFault);   // a part sector needs its old bytes
    file.readError = 0;
    EXPECT_EQ(ReadAll(f, 100, 10, &error), std::vector<uint8_t>(file.bytes.begin() + 100, file.bytes.begin() + 110));
    EXPECT_EQ(error, 0u);
    EXPECT_EQ(f.WriteAt(2048 + 3, data.data(), 10), 0u);
    EXPECT_EQ(f.Flush(), 0u);
    EXPECT_EQ(f.GetFailure(), 0u);
}

// A cut drops the bytes beyond it at once, in the file and in the cache:
// grown again, the size reads zero there, cached page or not.
TEST(PagedFile, BytesCutOffReadAsZeroWhenTheSizeGrowsAgain) {
    MemoryFile file;
    CPagedFile f(file, 0, 1024, 2);
    const std::vector<uint8_t> data = Pattern(8192, 6);
    ASSERT_EQ(f.WriteAt(0, data.data(), 8192), 0u);
    ASSERT_EQ(f.Flush(), 0u);
    ASSERT_EQ(f.WriteAt(7000, data.data(), 500), 0u);   // a changed sector in the cache
    ASSERT_EQ(f.SetSize(1000), 0u);
    EXPECT_EQ(file.bytes.size(), 1000u);
    ASSERT_EQ(f.SetSize(8192), 0u);
    const std::vector<uint8_t> cached = ReadAll(f, 6144, 2048);   // the pages still in the cache
    EXPECT_EQ(cached, std::vector<uint8_t>(2048, 0));
    const std::vector<uint8_t> back = ReadAll(f, 0, 8192);
    ASSERT_EQ(back.size(), 8192u);
    EXPECT_TRUE(std::equal(data.begin(), data.begin() + 1000, back.begin()));
    EXPECT_EQ(std::count(back.begin() + 1000, back.end(), 0), 8192 - 1000);
    ASSERT_EQ(f.Flush(), 0u);
    EXPECT_EQ(file.bytes.size(), 8192u);
    EXPECT_EQ(std::count(file.bytes.begin() + 1000, file.bytes.end(), 0), 8192 - 1000);
}
