// Arbitrary capture records through the Data Analysis pane's record dispatch
// and its decoders into a page, each record read back as the capture list
// reads a selected row (buffers of exactly the records' sizes), with a HID
// report descriptor known for the device object and pipe keys the seeds use.
// A page that was written must be closed; nothing may read out of bounds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "app/panes/AnalysisPages.h"
#include "tests/capture/FakeFilterLog.h"

using namespace brx;

namespace {

struct World {
    CHIDDeviceRDHash rd;
    CHIDDeviceDataHash cache;
    PageBuffer page{0x10000};
    World() {
        const Bytes mouse = {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x09, 0x01, 0xA1, 0x00, 0x05, 0x09, 0x19,
                             0x01, 0x29, 0x03, 0x15, 0x00, 0x25, 0x01, 0x95, 0x03, 0x75, 0x01, 0x81, 0x02,
                             0x95, 0x01, 0x75, 0x05, 0x81, 0x01, 0x05, 0x01, 0x09, 0x30, 0x09, 0x31, 0x15,
                             0x81, 0x25, 0x7F, 0x75, 0x08, 0x95, 0x02, 0x81, 0x06, 0xC0, 0xC0};
        const Bytes block =
            HidDescriptorBlock({{0, mouse, {{0x89A01030, 0x89A01000}}, {{0x8A0C5000, 0x0007}}}});
        rd.AddFromBlock(block.data(), block.size(), kDriverRecordLayout);
        cache.SetRDHash(&rd);
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static World* world = new World;
    testing::FakeFilterLog log;
    log.Append(Bytes(data, data + size));
    const ANALYSIS_SOURCES sources{&world->rd, &world->cache};
    for (uint32_t i = 0; i < log.GetRecordCount() && i < 64; ++i) {
        RECORD_INDEX_ENTRY entry{};
        if (log.GetIndexEntry(i, entry) != S_OK32) continue;
        std::vector<uint8_t> a(GetEntryRecordSize(entry)), b(4096);
        CRecordPairView pair;
        pair.Init(a.data(), static_cast<uint32_t>(a.size()), b.data(), static_cast<uint32_t>(b.size()));
        if (log.ReadRecordPair(i, pair) != S_OK32) continue;
        if (BuildAnalysisPage(world->page, pair, log.GetRecordLayout(), sources) == AnalysisPageResult::Page &&
            !world->page.closed())
            std::abort();
    }
    return 0;
}
