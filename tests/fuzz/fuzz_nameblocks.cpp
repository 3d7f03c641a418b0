// Name-list blocks from the driver or a capture file: parsing must stay inside
// the bytes, and whatever a block adds must survive a round trip unchanged.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "capture/NameTables.h"

using namespace brx;

namespace {

std::vector<uint8_t> Save(const CNameHash& table, const RECORD_LAYOUT& layout) {
    std::vector<uint8_t> buf(64);
    for (;;) {
        uint32_t written = 0;
        const uint32_t rc = table.ToBlock(buf.data(), buf.size(), written, layout);
        if (rc == 0) {
            buf.resize(written);
            return buf;
        }
        if (rc != NAME_ERROR_INSUFFICIENT_BUFFER || written != 0) abort();
        buf.resize(buf.size() * 2);
    }
}

void RoundTrip(CNameHash& table, CNameHash& again, const uint8_t* data, size_t size, const RECORD_LAYOUT& layout) {
    const uint32_t added = table.AddFromBlock(data, size, layout);
    if (added != table.GetCount()) abort();
    const std::vector<uint8_t> block = Save(table, layout);
    if (again.AddFromBlock(block.data(), block.size(), layout) != added) abort();
    if (Save(again, layout) != block) abort();
    // Look up the first key the input names, with a short buffer.
    if (size >= 32) {
        const OBJECT_KEY key{data[24] | (data[25] << 8u) | (data[26] << 16u) | (uint32_t{data[27]} << 24),
                             data[28] | (data[29] << 8u) | (data[30] << 16u) | (uint32_t{data[31]} << 24)};
        char16_t out[4];
        if (table.Lookup(key, out, 4) > 3) abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    {
        CDeviceNameHash devices, again;
        RoundTrip(devices, again, data, size, kDefaultRecordLayout);
    }
    {
        CDriverNameHash drivers, again;
        RoundTrip(drivers, again, data, size, kDefaultRecordLayout);
    }
    // A driver layout with a longer list header.
    RECORD_LAYOUT wide = kDefaultRecordLayout;
    wide.deviceListHeaderSize = 24;
    wide.driverListHeaderSize = 20;
    {
        CDeviceNameHash devices, again;
        RoundTrip(devices, again, data, size, wide);
    }
    {
        CDriverNameHash drivers, again;
        RoundTrip(drivers, again, data, size, wide);
    }
    return 0;
}
