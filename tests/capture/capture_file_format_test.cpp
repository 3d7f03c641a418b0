// The capture file's pure parts: stream names from GUIDs, the version rule,
// the index header checks, the property blobs, the progress steps, and the
// re-indexing of a file's records (compared with the live commit of the same
// records, and on damaged offset tables and streams).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <cstring>
#include <string>
#include <vector>

#include "capture/CaptureFileFormat.h"
#include "capture/CompoundFileCheck.h"
#include "sim/RecordBuilder.h"
#include "tests/capture/MixedStream.h"

using namespace brx;

namespace {

// A data stream in memory; reads past `readable` fail.
class MemorySource final : public IRecordSource {
public:
    explicit MemorySource(const Bytes& bytes, size_t readable = SIZE_MAX) : bytes_(bytes), readable_(readable) {}
    bool ReadAt(uint64_t position, void* destination, uint32_t length, uint32_t* got) override {
        ++reads;
        *got = 0;
        if (position >= bytes_.size()) return true;
        if (position + length > readable_) return false;
        const size_t n = std::min<size_t>(length, bytes_.size() - position);
        std::memcpy(destination, bytes_.data() + position, n);
        *got = static_cast<uint32_t>(n);
        return true;
    }
    int reads = 0;

private:
    const Bytes& bytes_;
    size_t readable_;
};

std::vector<uint32_t> Offsets(const RecordStream& s) {
    std::vector<uint32_t> o;
    for (size_t off : s.offsets()) o.push_back(static_cast<uint32_t>(off));
    return o;
}

// What a live commit of the stream indexes, with the wrapper flags an opened
// file shares between issue and completion.
std::vector<RECORD_INDEX_ENTRY> LiveEntries(const RecordStream& s, const RECORD_LAYOUT& layout) {
    CRecordIndexer indexer(64);
    CVectorRecordIndex index;
    indexer.Commit(s.bytes().data(), static_cast<uint32_t>(s.bytes().size()), 0, layout, index);
    std::vector<RECORD_INDEX_ENTRY> e = index.entries();
    for (RECORD_INDEX_ENTRY& x : e) {
        if (x.companion == NO_INDEX || !(x.flags & INDEX_FLAG_COMPLETION)) continue;
        RECORD_INDEX_ENTRY& issue = e[x.companion];
        x.flags |= issue.flags & INDEX_FLAG_CBW;
        issue.flags |= x.flags & INDEX_FLAG_CSW;
    }
    return e;
}

ReindexResult Reindex(const std::vector<uint32_t>& offsets, IRecordSource& source, uint64_t size,
                      const RECORD_LAYOUT& layout, CVectorRecordIndex& index, uint32_t chunk = 1u << 20) {
    CChunkedRecordReader reader(source, size, chunk);
    CRecordIndexer indexer(64);
    return ReindexCaptureFile(offsets.data(), static_cast<uint32_t>(offsets.size()), reader, layout, indexer, index);
}

void ExpectSameEntries(const std::vector<RECORD_INDEX_ENTRY>& a, const std::vector<RECORD_INDEX_ENTRY>& b) {
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i) EXPECT_EQ(std::memcmp(&a[i], &b[i], sizeof a[i]), 0) << "entry " << i;
}

RecordStream Mixed(size_t count) {
    RecordBuilder b;
    return fixtures::MixedStream(count, b);
}

} // namespace

// ---------------------------------------------------------------------------
// Identities

TEST(CaptureFileFormat, StreamNameOfTheDataStreamHas27CharactersAfter0x0005) {
    const std::u16string name = StreamNameFromGuid(GUID_DATA_STREAM);
    ASSERT_EQ(name.size(), 27u);
    EXPECT_EQ(name[0], u'\x0005');
    // D7D99DB3...: first byte B3 = 10110011b; low five bits 10011 = 19 't',
    // at a byte boundary, so upper case.
    EXPECT_EQ(name[1], u'T');
    for (size_t i = 1; i < name.size(); ++i)
        EXPECT_NE(std::u16string(u"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ012345").find(name[i]),
                  std::u16string::npos);
}

TEST(CaptureFileFormat, StreamNameMatchesTheNameOleGivesAPropertySetStream) {
    // The stream ole32 wrote for a property set of the log's own FMTID.
    EXPECT_EQ(StreamNameFromGuid(FMTID_CAPTURE_LOG), u"\x0005PfoqaudbScucew0vNelgertkBc");
    // Names differ per GUID.
    EXPECT_NE(StreamNameFromGuid(GUID_INDEX_STREAM), StreamNameFromGuid(GUID_DATA_STREAM));
}

TEST(CaptureFileFormat, GuidBytesAreInMemoryOrder) {
    uint8_t b[16];
    GuidToBytes(CLSID_CAPTURE_FILE, b);
    const uint8_t expected[16] = {0xDB, 0x5A, 0xC5, 0xBD, 0x78, 0xD7, 0xFE, 0x4B,
                                  0xA9, 0x81, 0x63, 0x9F, 0xCC, 0x47, 0xB8, 0x68};
    EXPECT_EQ(std::memcmp(b, expected, 16), 0);
}

TEST(CaptureFileFormat, VersionsRefusedAskedAndAccepted) {
    struct Row {
        uint32_t version;
        HRESULT32 result;
    };
    const Row rows[] = {
        {0x00010000, LOG_E_OLD_FORMAT}, {0x00010001, S_OK32},           {0x00010002, LOG_S_NEWER_FORMAT},
        {0x00000005, S_OK32},           {0x00020000, LOG_S_NEWER_FORMAT}, {0xFFFFFFFF, LOG_S_NEWER_FORMAT},
        {0x00000000, S_OK32},
    };
    for (const Row& r : rows) EXPECT_EQ(ClassifyFormatVersion(r.version), r.result) << std::hex << r.version;
    // The newer-format result is a success code with the severity bit set, so
    // it must be compared by value, never tested with Failed().
    EXPECT_TRUE(Failed(LOG_S_NEWER_FORMAT));
}

// ---------------------------------------------------------------------------
// Index header

TEST(CaptureFileFormat, IndexHeaderRoundTrip) {
    uint8_t h[INDEX_HEADER_SIZE];
    MakeIndexHeader(3, h);
    EXPECT_EQ(h[0], 64);
    EXPECT_EQ(h[4], 3);
    EXPECT_TRUE(std::all_of(h + 8, h + 64, [](uint8_t x) { return x == 0; }));
    uint32_t n = 0;
    EXPECT_EQ(ParseIndexHeader(h, sizeof h, 64 + 12, 3 * 16, 16, &n), S_OK32);
    EXPECT_EQ(n, 3u);
}

TEST(CaptureFileFormat, IndexHeaderChecksCountsAgainstTheStreams) {
    struct Row {
        const char* what;
        uint32_t first, count;
        size_t headerBytes;
        uint64_t indexSize, dataSize;
        HRESULT32 result;
    };
    const Row rows[] = {
        {"whole", 64, 10, 64, 64 + 40, 1000, S_OK32},
        {"count 0", 64, 0, 64, 64, 1000, STG_E_DOCFILECORRUPT},
        {"short header", 64, 10, 60, 64 + 40, 1000, STG_E_DOCFILECORRUPT},
        {"header size 63", 63, 10, 64, 64 + 40, 1000, STG_E_DOCFILECORRUPT},
        {"one offset missing", 64, 10, 64, 64 + 39, 1000, STG_E_DOCFILECORRUPT},
        {"index shorter than header", 64, 1, 64, 10, 1000, STG_E_DOCFILECORRUPT},
        {"flipped count", 64, 0xFFFFFFFF, 64, 64 + 40, 1000, STG_E_DOCFILECORRUPT},
        {"huge index, small data", 64, 1000, 64, 64 + 4000, 999 * 16, STG_E_DOCFILECORRUPT},
        {"data just holds them", 64, 1000, 64, 64 + 4000, 1000 * 16, S_OK32},
        {"count overflows 4n", 64, 0x40000001, 64, 64 + 4ull * 0x40000001, 1ull << 40, S_OK32},
    };
    for (const Row& r : rows) {
        uint8_t h[INDEX_HEADER_SIZE];
        MakeIndexHeader(r.count, h);
        h[0] = static_cast<uint8_t>(r.first);
        uint32_t n = 7;
        EXPECT_EQ(ParseIndexHeader(h, r.headerBytes, r.indexSize, r.dataSize, 16, &n), r.result) << r.what;
        EXPECT_EQ(n, r.result == S_OK32 ? r.count : 0u) << r.what;
    }
}

// ---------------------------------------------------------------------------
// Blobs and progress

TEST(CaptureFileFormat, BaseBlockBlobRoundTripAndShortBlobRefused) {
    CAPTURE_BASE_BLOCK b = MakeEmptyBaseBlock();
    b.firstTime = 0x01DD5A2B3C4D5E00ull;
    b.firstCounter = -5;
    b.frequency = 10000000;
    const std::vector<uint8_t> blob = BaseBlockToBlob(b);
    ASSERT_EQ(blob.size(), 32u);
    CAPTURE_BASE_BLOCK r{};
    ASSERT_TRUE(BaseBlockFromBlob(blob.data(), blob.size(), r));
    EXPECT_EQ(std::memcmp(&r, &b, sizeof b), 0);
    CAPTURE_BASE_BLOCK untouched = MakeEmptyBaseBlock();
    EXPECT_FALSE(BaseBlockFromBlob(blob.data(), 31, untouched));
    EXPECT_EQ(untouched.firstTime, 0u);
}

TEST(CaptureFileFormat, DriverInfoBlobTakesAtMost124BytesAndNoMoreThanHeld) {
    const DRIVER_INFO info = MakeDriverInfo(kDriverRecordLayout);
    EXPECT_EQ(DriverInfoBlobSize(info), 124u);
    std::vector<uint8_t> big(info.bytes, info.bytes + 124);
    big.resize(200, 0xEE);
    EXPECT_EQ(std::memcmp(DriverInfoFromBlob(big.data(), big.size()).bytes, info.bytes, 124), 0);
    const DRIVER_INFO part = DriverInfoFromBlob(info.bytes, 70);
    EXPECT_EQ(std::memcmp(part.bytes, info.bytes, 70), 0);
    EXPECT_TRUE(std::all_of(part.bytes + 70, part.bytes + 124, [](uint8_t x) { return x == 0; }));
    DRIVER_INFO odd = info;
    odd.bytes[0] = 200;
    EXPECT_EQ(DriverInfoBlobSize(odd), 124u);
    odd.bytes[0] = 40;
    EXPECT_EQ(DriverInfoBlobSize(odd), 40u);
}

TEST(CaptureFileFormat, OsVersionBlobIsTwentyBytesThenTheTextWithItsNul) {
    OS_VERSION v;
    v.major = 6;
    v.minor = 1;
    v.build = 7601;
    v.platform = 2;
    v.servicePack = u"Service Pack 1";
    const std::vector<uint8_t> blob = MakeOsVersionBlob(v);
    ASSERT_EQ(blob.size(), 20u + 14 * 2 + 2);
    EXPECT_EQ(blob[0] | blob[1] << 8, 276);
    EXPECT_EQ(blob[12] | blob[13] << 8, 7601);
    EXPECT_EQ(blob[20], 'S');
    EXPECT_EQ(blob[blob.size() - 2], 0);
    EXPECT_EQ(MakeOsVersionBlob(OS_VERSION{}).size(), 22u);
}

TEST(CaptureFileFormat, ProgressEveryHundredthOfTheRecordsHeldTo1Through99) {
    EXPECT_EQ(ProgressInterval(0), 1u);
    EXPECT_EQ(ProgressInterval(1), 1u);
    EXPECT_EQ(ProgressInterval(100), 1u);
    EXPECT_EQ(ProgressInterval(101), 2u);
    EXPECT_EQ(ProgressInterval(250), 3u);
    EXPECT_EQ(ProgressValue(0, 3), 1u);
    EXPECT_EQ(ProgressValue(3, 3), 1u);
    EXPECT_EQ(ProgressValue(249, 3), 83u);
    EXPECT_EQ(ProgressValue(100, 1), 99u);
}

// ---------------------------------------------------------------------------
// Re-indexing

TEST(CaptureFileReindex, GivesTheLiveIndexWithWrapperFlagsShared) {
    const RecordStream s = Mixed(400);
    const std::vector<RECORD_INDEX_ENTRY> live = LiveEntries(s, kDriverRecordLayout);
    // Shared wrapper flags: some completion carries the CBW flag, some issue the CSW flag.
    EXPECT_TRUE(std::any_of(live.begin(), live.end(), [](const RECORD_INDEX_ENTRY& e) {
        return (e.flags & INDEX_FLAG_CBW) && (e.flags & INDEX_FLAG_COMPLETION);
    }));
    EXPECT_TRUE(std::any_of(live.begin(), live.end(), [](const RECORD_INDEX_ENTRY& e) {
        return (e.flags & INDEX_FLAG_CSW) && !(e.flags & INDEX_FLAG_COMPLETION);
    }));
    for (uint32_t chunk : {1u << 20, 700u, 4096u}) {
        MemorySource src(s.bytes());
        CVectorRecordIndex index;
        const ReindexResult r = Reindex(Offsets(s), src, s.bytes().size(), kDriverRecordLayout, index, chunk);
        EXPECT_EQ(r.indexed, s.count()) << chunk;
        EXPECT_EQ(r.skipped, 0u);
        ExpectSameEntries(index.entries(), live);
    }
}

TEST(CaptureFileReindex, ReadsRecordsInFileOrderOnceInLargeChunks) {
    const RecordStream s = Mixed(2000);
    MemorySource src(s.bytes());
    CVectorRecordIndex index;
    Reindex(Offsets(s), src, s.bytes().size(), kDriverRecordLayout, index, 64 * 1024);
    EXPECT_LE(src.reads, static_cast<int>(s.bytes().size() / (64 * 1024)) + 2);
}

TEST(CaptureFileReindex, RecordsLargerThanTheIndexedPartAreIndexedAsLive) {
    RecordBuilder b;
    RecordStream s;
    const PipeSpec in{0x81, 0x8A0C2000, 0};
    s.Add(b.UrbIssue(DeviceSpec{}, BulkTransfer(in, 8192), b.NewIrp()));
    s.Add(b.UrbCompletion(DeviceSpec{}, BulkTransfer(in, 8192, Bytes(8192, 0x42)), b.Last()));
    s.Add(b.DropMarker());
    ASSERT_GT(s.bytes().size(), 8192u);
    MemorySource src(s.bytes());
    CVectorRecordIndex index;
    EXPECT_EQ(Reindex(Offsets(s), src, s.bytes().size(), kDriverRecordLayout, index, 1024).indexed, 3u);
    ExpectSameEntries(index.entries(), LiveEntries(s, kDriverRecordLayout));
    EXPECT_EQ(index.entries()[1].dataLength, 8192u);
}

TEST(CaptureFileReindex, DamagedOffsetsAndStreamsLeaveOutTheRecordsNotWholeInTheData) {
    const RecordStream s = Mixed(60);
    const uint32_t n = static_cast<uint32_t>(s.count());
    const uint32_t size = static_cast<uint32_t>(s.bytes().size());
    const std::vector<uint32_t> good = Offsets(s);
    struct Row {
        const char* what;
        std::vector<uint32_t> offsets;
        uint64_t streamSize;    // what the stream claims
        size_t readable;        // reads past this fail
        uint32_t indexed;
    };
    std::vector<uint32_t> middleOutside = good, lastOutside = good, oddOffset = good, allOutside(n, 0xFFFFFFF0);
    middleOutside[30] = 0x7FFFFFFF;
    lastOutside[n - 1] = size;
    oddOffset[10] = good[10] + 3;   // inside the data, but no record starts there
    const uint32_t lastStart = good[n - 1];
    const uint32_t half = good[n / 2];
    const Row rows[] = {
        {"whole", good, size, SIZE_MAX, n},
        {"middle offset outside", middleOutside, size, SIZE_MAX, n - 1},
        {"last offset at the end", lastOutside, size, SIZE_MAX, n - 1},
        {"all outside", allOutside, size, SIZE_MAX, 0},
        {"stream cut inside the last record", good, lastStart + 10, SIZE_MAX, n - 1},
        {"stream cut at half", good, half, SIZE_MAX, n / 2},
        {"stream claims more than reads", good, size, half, n / 2},
        {"stream empty", good, 0, SIZE_MAX, 0},
    };
    for (const Row& r : rows) {
        MemorySource src(s.bytes(), r.readable);
        CVectorRecordIndex index;
        const ReindexResult x = Reindex(r.offsets, src, r.streamSize, kDriverRecordLayout, index, 1024);
        EXPECT_EQ(x.indexed, r.indexed) << r.what;
        EXPECT_EQ(x.indexed + x.skipped, n) << r.what;
        for (const RECORD_INDEX_ENTRY& e : index.entries()) {
            EXPECT_LE(uint64_t{e.position} + (e.firstDword & 0xFFFFFF), std::min<uint64_t>(r.streamSize, r.readable))
                << r.what;
        }
    }
    // An offset into the middle of a record reads whatever is there: it is
    // bounded like any record and never crashes.
    MemorySource src(s.bytes());
    CVectorRecordIndex index;
    const ReindexResult x = Reindex(oddOffset, src, size, kDriverRecordLayout, index);
    EXPECT_EQ(x.indexed + x.skipped, n);
}

TEST(CaptureFileReindex, ImpossibleRecordSizesAreLeftOut) {
    const RecordStream s = Mixed(20);
    const uint32_t n = static_cast<uint32_t>(s.count());
    struct Row {
        const char* what;
        uint32_t record;
        uint32_t size;
    };
    const Row rows[] = {
        {"size 0", 5, 0},
        {"size below the header", 6, 8},
        {"size past the stream", 7, 0xFFFFFF},
        {"last record one byte too long", n - 1, 0},   // size set below
    };
    for (const Row& r : rows) {
        Bytes bytes = s.bytes();
        const size_t at = s.offsets()[r.record];
        uint32_t size = r.size;
        if (r.record == n - 1) size = static_cast<uint32_t>(bytes.size() - at + 1);
        bytes[at] = static_cast<uint8_t>(size);
        bytes[at + 1] = static_cast<uint8_t>(size >> 8);
        bytes[at + 2] = static_cast<uint8_t>(size >> 16);
        MemorySource src(bytes);
        CVectorRecordIndex index;
        const ReindexResult x = Reindex(Offsets(s), src, bytes.size(), kDriverRecordLayout, index);
        EXPECT_EQ(x.indexed, n - 1) << r.what;
        EXPECT_EQ(x.skipped, 1u) << r.what;
    }
}

TEST(CaptureFileReindex, ProgressEveryHundredthOfTheRecords) {
    const RecordStream s = Mixed(250);
    MemorySource src(s.bytes());
    CChunkedRecordReader reader(src, s.bytes().size());
    CRecordIndexer indexer(64);
    CVectorRecordIndex index;
    std::vector<uint32_t> done;
    const std::vector<uint32_t> offsets = Offsets(s);
    ReindexCaptureFile(offsets.data(), 250, reader, kDriverRecordLayout, indexer, index,
                       [&](uint32_t d) { done.push_back(d); });
    ASSERT_EQ(done.size(), 83u);   // every 3 records
    EXPECT_EQ(done.front(), 3u);
    EXPECT_EQ(done.back(), 249u);
}

// ---------------------------------------------------------------------------
// The compound file's own structure, on a file the program saved (the seed of
// the capture-file fuzzer, after its mode byte).

namespace {

Bytes SavedFile() {
    Bytes b;
    FILE* f = std::fopen(BRX_SOURCE_DIR "/tests/data/corpus/capturefile/saved_log", "rb");
    if (!f) return b;
    int c;
    while ((c = std::fgetc(f)) != EOF) b.push_back(static_cast<uint8_t>(c));
    std::fclose(f);
    if (!b.empty()) b.erase(b.begin());
    return b;
}

bool Sound(const Bytes& file) {
    MemorySource src(file);
    return CheckCompoundFileStructure(src, file.size());
}

void PutLe32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

uint32_t Le32(const Bytes& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t{b[at + 3]} << 24;
}

} // namespace

TEST(CompoundFileCheck, ASavedFileIsSoundAndDamageToItsStructureIsNot) {
    const Bytes good = SavedFile();
    ASSERT_GE(good.size(), 4096u);
    EXPECT_TRUE(Sound(good));
    // Cut in its stream data, the structure is still whole: the streams read short.
    EXPECT_TRUE(Sound(Bytes(good.begin(), good.end() - 512)));
    const uint32_t fatSector = Le32(good, 76);
    const uint32_t dirSector = Le32(good, 48);
    struct Row {
        const char* what;
        std::function<void(Bytes&)> damage;
    };
    const Row rows[] = {
        {"cut to the header", [](Bytes& b) { b.resize(512); }},
        {"cut before the directory", [&](Bytes& b) { b.resize(512 + size_t{dirSector} * 512); }},
        {"signature", [](Bytes& b) { b[0] ^= 1; }},
        {"sector shift 13", [](Bytes& b) { b[30] = 13; }},
        {"FAT sector past the end", [](Bytes& b) { PutLe32(b, 76, 0x00FFFFFF); }},
        {"FAT count larger than the file", [](Bytes& b) { PutLe32(b, 44, 0x7FFFFFFF); }},
        {"directory chain loops",
         [&](Bytes& b) { PutLe32(b, 512 + size_t{fatSector} * 512 + 4 * dirSector, dirSector); }},
        {"directory past the end", [](Bytes& b) { PutLe32(b, 48, 0x00FFFFFF); }},
        {"directory tree loops",
         [&](Bytes& b) {
             // The root's child names the root's child again as its left sibling.
             const size_t root = 512 + size_t{dirSector} * 512;
             const uint32_t child = Le32(b, root + 76);
             PutLe32(b, root + size_t{child} * 128 + 68, child);
         }},
        {"root entry not a root", [&](Bytes& b) { b[512 + size_t{dirSector} * 512 + 66] = 1; }},
    };
    for (const Row& r : rows) {
        Bytes b = good;
        r.damage(b);
        EXPECT_FALSE(Sound(b)) << r.what;
    }
}
