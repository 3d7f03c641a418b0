// Indexing at scale: the commit walk over 100,000, 1 million and 10 million
// records of real sizes (64 bytes to 16 KB of transfer data, requests in
// flight side by side, an interrupt transfer pending for thousands of
// records), in 2 MB windows as the reader thread commits them, into the
// record index array in reserved memory, beside memcpy of the same bytes.
//
// Cold: a new indexer and a new index array on memory never touched (a new
// capture, an opened file); memcpy into freshly mapped memory. Warm: the same
// indexer and array again, their memory already touched; memcpy into a
// buffer written before.
//
// The records come from one pool of about 48 MB, replayed with its sequence
// numbers moved on each time, so that every record has its own number as a
// driver gives them.
#include <benchmark/benchmark.h>
#include <sys/mman.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "base/ByteReader.h"
#include "capture/RecordIndexArray.h"
#include "capture/RecordIndexer.h"
#include "sim/RecordBuilder.h"
#include "tests/capture/MixedStream.h"

using namespace brx;

namespace {

constexpr size_t kPoolBytes = 48u << 20;
constexpr size_t kWindowBytes = 2u << 20;

// Reserved address space as the system gives it: mapped without access,
// committed by granting access, its pages zero and unbacked until touched.
class CMappedMemory final : public IReservedMemory {
public:
    uint32_t GetPageSize() const override { return 4096; }
    uint32_t GetGranularity() const override { return 65536; }
    void* Reserve(size_t bytes) override {
        void* p = mmap(nullptr, bytes, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
        return p == MAP_FAILED ? nullptr : p;
    }
    bool Commit(void* address, size_t bytes) override {
        return mprotect(address, bytes, PROT_READ | PROT_WRITE) == 0;
    }
    void Release(void* region, size_t bytes) override {
        if (region) munmap(region, bytes);
    }
};

CMappedMemory g_memory;

class CIndexArrayStorage final : public IRecordIndex {
public:
    explicit CIndexArrayStorage(CRecordIndexArray& a) : a_(a) {}
    uint32_t GetCount() const override { return a_.GetCount(); }
    bool Append(const RECORD_INDEX_ENTRY& entry) override { return a_.Append(entry) != NO_INDEX; }
    RECORD_INDEX_ENTRY* GetAt(uint32_t index) override { return a_.GetAt(index); }

private:
    CRecordIndexArray& a_;
};

struct Window {
    size_t start, end, firstRecord, records;
};

// The pool, its 2 MB windows, and where its sequence numbers sit.
struct Pool {
    RecordStream stream;
    std::vector<Window> windows;
    std::vector<uint32_t> sequenceAt;   // offsets of own and issue sequence numbers
    uint32_t span = 0;                  // numbers used by one pass
};

// Traffic of a mass-storage device, a HID device and a vendor device: READ
// and WRITE commands of 512 bytes to 16 KB, bulk reads of 64 to 4,096 bytes
// four at a time in flight, control transfers of 8 to 255 bytes, and one
// interrupt IN that stays pending while thousands of other records pass.
Pool& ThePool() {
    static Pool pool = [] {
        Pool p;
        RecordBuilder b;
        MassStorageDevice msc = MakeMassStorageDevice(0x85550000);
        DeviceSpec hid;
        hid.deviceKey = 0x87770000;
        hid.deviceObject = 0x87770020;
        hid.interfaceClass = 0x03;
        DeviceSpec vendor;
        vendor.deviceKey = 0x88880000;
        vendor.deviceObject = 0x88880020;
        vendor.interfaceClass = 0xFF;
        const PipeSpec interruptIn{0x81, 0x8A0C7000, 1}, bulkIn{0x82, 0x8A0C8000, 0}, bulkOut{0x03, 0x8A0C8100, 0};
        const uint32_t transferSizes[] = {512, 4096, 16384, 2048, 8192, 1024};
        const uint32_t readSizes[] = {64, 512, 4096, 1024};
        std::vector<Bytes> recs;
        uint32_t turn = 0;
        p.stream.Add(b.StartMarker());
        while (p.stream.bytes().size() < kPoolBytes) {
            // The interrupt IN of this stretch.
            p.stream.Add(b.UrbIssue(hid, BulkTransfer(interruptIn, 8), b.NewIrp()));
            const Issued interrupt = b.Last();
            for (int k = 0; k < 400; ++k, ++turn) {
                recs.clear();
                if (turn % 4 == 0) {
                    const uint32_t n = transferSizes[turn / 4 % 6];
                    const bool read = turn % 8 == 0;
                    const Bytes cdb = {static_cast<uint8_t>(read ? 0x28 : 0x2A), 0, 0, 0, 0x10, 0, 0,
                                       static_cast<uint8_t>(n / 512 >> 8), static_cast<uint8_t>(n / 512), 0};
                    AppendMassStorageCommand(b, msc, cdb, read, n, Bytes(n, 0x5A), 0, recs);
                } else if (turn % 4 == 1) {
                    // Four reads in flight, completed in order.
                    Issued issued[4];
                    for (int i = 0; i < 4; ++i) {
                        recs.push_back(b.UrbIssue(vendor, BulkTransfer(bulkIn, readSizes[i]), b.NewIrp()));
                        issued[i] = b.Last();
                    }
                    for (int i = 0; i < 4; ++i)
                        recs.push_back(b.UrbCompletion(vendor, BulkTransfer(bulkIn, readSizes[i],
                                                                            Bytes(readSizes[i], 0x22)),
                                                       issued[i]));
                } else if (turn % 4 == 2) {
                    const uint8_t length = static_cast<uint8_t>(8 + turn % 248);
                    const uint8_t setup[8] = {0xC0, 0x01, 0, 0, 0, 0, length, 0};
                    recs.push_back(b.UrbIssue(vendor, ControlTransfer(setup), b.NewIrp()));
                    recs.push_back(b.UrbCompletion(vendor, ControlTransfer(setup, Bytes(length, 0x11)), b.Last()));
                } else {
                    recs.push_back(b.UrbIssue(vendor, BulkTransfer(bulkOut, 2048, Bytes(2048, 0x33)), b.NewIrp()));
                    recs.push_back(b.UrbCompletion(vendor, BulkTransfer(bulkOut, 2048), b.Last()));
                }
                p.stream.Add(recs);
            }
            p.stream.Add(b.UrbCompletion(hid, BulkTransfer(interruptIn, 8, Bytes(8, 1)), interrupt));
        }
        const uint32_t first = 1;
        p.span = b.NextSequence() - first;

        const RECORD_LAYOUT& layout = b.layout();
        const Bytes& all = p.stream.bytes();
        for (size_t i = 0; i < p.stream.count(); ++i) {
            const size_t at = p.stream.offsets()[i];
            const ByteReader rec(all.data() + at, all.size() - at);
            p.sequenceAt.push_back(static_cast<uint32_t>(at + RECORD_SEQUENCE_OFFSET));
            if (rec.u8or(3) == RECORD_TYPE_REQUEST && (rec.u16le_or(layout.requestOffset + REQ_FLAGS) & REQ_FLAG_COMPLETION))
                p.sequenceAt.push_back(static_cast<uint32_t>(at + layout.requestOffset + REQ_ISSUE_SEQUENCE));
        }
        size_t firstRecord = 0;
        for (size_t at = 0; at < all.size();) {
            const size_t end = fixtures::WindowEnd(p.stream, at, kWindowBytes);
            const size_t stop = std::lower_bound(p.stream.offsets().begin(), p.stream.offsets().end(), end) -
                                p.stream.offsets().begin();
            p.windows.push_back(Window{at, end, firstRecord, stop - firstRecord});
            firstRecord = stop;
            at = end;
        }
        return p;
    }();
    return pool;
}

// Moves every sequence number of the pool on by one pass.
void NextPass(Pool& p) {
    uint8_t* bytes = const_cast<uint8_t*>(p.stream.bytes().data());
    for (uint32_t at : p.sequenceAt) {
        uint32_t v;
        std::memcpy(&v, bytes + at, 4);
        v += p.span;
        std::memcpy(bytes + at, &v, 4);
    }
}

// Calls fn(window, length, position of its first record) for the windows
// of `records` records of the pool, replayed as often as needed; between
// passes the numbers move on with the timing paused (when there is a
// state). Returns the bytes.
template <class Fn>
uint64_t Replay(benchmark::State* state, size_t records, Fn fn) {
    Pool& p = ThePool();
    const uint8_t* bytes = p.stream.bytes().data();
    const std::vector<size_t>& offsets = p.stream.offsets();
    size_t done = 0;
    uint64_t total = 0;
    while (done < records) {
        for (const Window& w : p.windows) {
            if (done >= records) break;
            size_t stop = w.end, take = w.records;
            if (done + take > records) {   // the last window is cut to the count
                take = records - done;
                stop = offsets[w.firstRecord + take];
            }
            fn(bytes + w.start, static_cast<uint32_t>(stop - w.start), static_cast<uint32_t>(total));
            total += stop - w.start;
            done += take;
        }
        if (done < records) {
            if (state) state->PauseTiming();
            NextPass(p);
            if (state) state->ResumeTiming();
        }
    }
    return total;
}

void Report(benchmark::State& state, size_t records, uint64_t bytes) {
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * records));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
    state.counters["ns/record"] = benchmark::Counter(static_cast<double>(state.iterations() * records),
                                                     benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void IndexInto(benchmark::State* state, CRecordIndexer& indexer, CRecordIndexArray& array, size_t records,
               uint64_t& bytes) {
    CIndexArrayStorage storage(array);
    bytes = Replay(state, records, [&](const uint8_t* window, uint32_t length, uint32_t position) {
        const CommitResult r = indexer.Commit(window, length, position, kDriverRecordLayout, storage);
        if (r.status != CommitStatus::Ok && state) state->SkipWithError("the commit stopped");
    });
}

void BM_IndexCold(benchmark::State& state) {
    const size_t records = static_cast<size_t>(state.range(0));
    ThePool();
    uint64_t bytes = 0;
    for (auto _ : state) {
        auto indexer = std::make_unique<CRecordIndexer>();
        auto array = std::make_unique<CRecordIndexArray>(g_memory);
        IndexInto(&state, *indexer, *array, records, bytes);
        if (array->GetCount() < records) state.SkipWithError("records missing from the index");
        state.PauseTiming();
        array.reset();
        indexer.reset();
        state.ResumeTiming();
    }
    Report(state, records, bytes);
}

void BM_IndexWarm(benchmark::State& state) {
    const size_t records = static_cast<size_t>(state.range(0));
    ThePool();
    CRecordIndexer indexer;
    CRecordIndexArray array(g_memory);
    uint64_t bytes = 0;
    IndexInto(nullptr, indexer, array, records, bytes);   // touches the memory once
    for (auto _ : state) {
        state.PauseTiming();
        indexer.Clear();
        array.SetCount(1);   // keeps its memory, committed and touched
        state.ResumeTiming();
        IndexInto(&state, indexer, array, records, bytes);
        if (array.GetCount() < records) state.SkipWithError("records missing from the index");
    }
    Report(state, records, bytes);
}

void BM_MemcpyFresh(benchmark::State& state) {
    const size_t records = static_cast<size_t>(state.range(0));
    ThePool();
    uint64_t bytes = 0;
    for (auto _ : state) {
        std::vector<std::pair<void*, size_t>> maps;
        bytes = Replay(&state, records, [&](const uint8_t* window, uint32_t length, uint32_t) {
            void* to = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
            std::memcpy(to, window, length);
            benchmark::DoNotOptimize(to);
            maps.emplace_back(to, length);
        });
        benchmark::ClobberMemory();
        state.PauseTiming();
        for (auto& m : maps) munmap(m.first, m.second);
        state.ResumeTiming();
    }
    Report(state, records, bytes);
}

void BM_MemcpyTouched(benchmark::State& state) {
    const size_t records = static_cast<size_t>(state.range(0));
    ThePool();
    std::vector<uint8_t> to(kPoolBytes + kWindowBytes * 2, 1);
    uint64_t bytes = 0;
    for (auto _ : state) {
        size_t at = 0;
        bytes = Replay(&state, records, [&](const uint8_t* window, uint32_t length, uint32_t) {
            if (at + length > to.size()) at = 0;
            std::memcpy(to.data() + at, window, length);
            benchmark::DoNotOptimize(to.data() + at);
            at += length;
        });
        benchmark::ClobberMemory();
    }
    Report(state, records, bytes);
}

void Sizes(benchmark::internal::Benchmark* b) {
    b->Arg(100000)->Arg(1000000)->Arg(10000000)->Unit(benchmark::kMillisecond)->MinTime(1.0);
}

BENCHMARK(BM_IndexCold)->Apply(Sizes);
BENCHMARK(BM_IndexWarm)->Apply(Sizes);
BENCHMARK(BM_MemcpyFresh)->Apply(Sizes);
BENCHMARK(BM_MemcpyTouched)->Apply(Sizes);

} // namespace

BENCHMARK_MAIN();
