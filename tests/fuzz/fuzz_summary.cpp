// Summarises every record of an arbitrary record stream: the stream is
// indexed as the store indexes it, each record is read back into a buffer of
// its exact size (so ASan sees any read past a part), and the summary goes to
// a full-size buffer and to one of a size the input chooses, which must hold
// only a prefix of the full summary. The first byte chooses whether the log
// has names for the builder's default objects and the small buffer's size.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "tests/capture/FakeFilterLog.h"
#include "tests/decode/SummaryText.h"

using namespace brx;

namespace {

struct Tables {
    Tables() {
        devices.Add({0x89A01030, 0x89A01000}, u"\\Device\\USBPDO-{1}");
        drivers.Add({0x89B00200, 1}, u"\\Driver\\usbhub");
    }
    CDeviceNameHash devices;
    CDriverNameHash drivers;
    CHIDDeviceRDHash reports;
};

} // namespace

constexpr uint32_t kFullSize = 64 * 1024;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    static Tables tables;
    const bool withNames = data[0] & 1;
    const uint32_t smallSize = 1u + (data[0] >> 1) * 8u;
    ++data;
    --size;
    if (size > (1u << 20)) return 0;
    CSummaryNameTables names(&tables.devices, &tables.drivers, &tables.reports);
    testing::FakeFilterLog log;
    log.Append(Bytes(data, data + size));
    const uint32_t count = log.GetRecordCount();
    for (uint32_t i = 0; i < count && i < 4096; ++i) {
        RECORD_INDEX_ENTRY entry;
        if (log.GetIndexEntry(i, entry) != S_OK32) continue;
        const uint32_t bytes = GetEntryRecordSize(entry);
        if (bytes == 0 || bytes > (1u << 20)) continue;
        std::vector<uint8_t> a(bytes), b(1u << 12);
        CRecordPairView pair;
        pair.Init(a.data(), bytes, b.data(), static_cast<uint32_t>(b.size()));
        if (log.ReadRecordPair(i, pair) != S_OK32) continue;
        const ISummaryNames* lookups = withNames ? &names : nullptr;
        // The full summary in one reused buffer; the cut one in a buffer of
        // exactly its size, so ASan sees any write past it.
        static std::vector<char> full(kFullSize);
        std::vector<char> cut(smallSize);
        SUMMARY_CONTEXT ctx;
        InitSummaryContext(ctx, full.data(), kFullSize, &pair.record, log.GetRecordLayout(), lookups);
        testing::SummarizeRecordByType(ctx);
        const size_t fullLength = static_cast<size_t>(ctx.cursor - full.data());
        InitSummaryContext(ctx, cut.data(), smallSize, &pair.record, log.GetRecordLayout(), lookups);
        testing::SummarizeRecordByType(ctx);
        const size_t cutLength = static_cast<size_t>(ctx.cursor - cut.data());
        if (cutLength >= smallSize || cut[cutLength] != '\0' ||
            cutLength > fullLength || std::memcmp(cut.data(), full.data(), cutLength) != 0)
            std::abort();
        (void)testing::RtfToText(std::string(full.data(), fullLength));
    }
    return 0;
}
