// Formats the Request Details text of every record of an arbitrary record
// stream: the stream is indexed as the store indexes it, each record is read
// back into buffers of its exact size (so ASan sees any read past a part),
// and the text goes to a full-size and to a tiny buffer. The first byte
// chooses whether the pending command's CDB is attached from the input.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "protocols/RequestDetails.h"
#include "tests/capture/FakeFilterLog.h"

using namespace brx;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const bool withCdb = data[0] & 1;
    ++data;
    --size;
    if (size > (1u << 20)) return 0;
    testing::FakeFilterLog log;
    log.Append(Bytes(data, data + size));
    const uint32_t count = log.GetRecordCount();
    for (uint32_t i = 0; i < count && i < 4096; ++i) {
        RECORD_INDEX_ENTRY entry;
        if (log.GetIndexEntry(i, entry) != S_OK32) continue;
        uint32_t bytes = GetEntryRecordSize(entry);
        if (bytes == 0 || bytes > (1u << 20)) continue;
        std::vector<uint8_t> a(bytes), b(1u << 12);
        CRecordPairView pair;
        pair.Init(a.data(), bytes, b.data(), static_cast<uint32_t>(b.size()));
        if (log.ReadRecordPair(i, pair) != S_OK32) continue;
        if (withCdb && size >= 16) {
            pair.cdbPresent = 1;
            for (int k = 0; k < 16; ++k) pair.cdb[k] = data[size - 16 + k];
        }
        char16_t text[260];
        char16_t tiny[3];
        REQUEST_DETAILS_CONTEXT ctx;
        ctx.pair = &pair;
        ctx.text = text;
        ctx.textSize = 260;
        FormatRequestDetails(ctx);
        ctx.text = tiny;
        ctx.textSize = 3;
        FormatRequestDetails(ctx);
    }
    return 0;
}
