// Arbitrary bytes through the details trees into a recording tree.
//
// Input: byte 0 chooses what the rest is. Mode 0: a stream of capture records
// in the driver's layout, each read back into a view over a buffer of exactly
// its size and filled into the IRP and URB trees. Mode 1: byte 1 picks a
// renderer or field table and the rest is the structure, in a heap block of
// exactly its size.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "decode/DataAnalysisTrees.h"
#include "decode/FieldTables.h"
#include "decode/IrpUrbDetails.h"
#include "tests/capture/FakeFilterLog.h"
#include "tests/decode/RecordingTreeSink.h"

using namespace brx;

namespace {

using Renderer = void (*)(ITreeSink&, const uint8_t*, size_t);

constexpr Renderer kRenderers[] = {
    RenderIrp, RenderStackLocation, RenderUrb, RenderDeviceCapabilities, RenderDeviceRelations,
    RenderHubCapabilities, RenderHubCapabilitiesEx, RenderNodeInformation, RenderPnpBusInformation, RenderHubName,
    RenderControllerName, RenderBusNotification, RenderIdleCallbackInfo, RenderNodeConnectionAttributes,
    RenderNodeConnectionName, RenderNodeConnectionDriverKeyName, RenderNodeConnectionInformationEx,
    RenderNodeConnectionInformation, RenderHcdDriverKeyName, RenderRootHubName, RenderHcdStatistics2,
    RenderHcdStatistics1,
};
constexpr size_t kRendererCount = std::size(kRenderers);
constexpr size_t kBusInterfaceChoices = 6;  // four interface GUIDs, the PnP location, another

GUID_VALUE InterfaceGuid(size_t choice) {
    switch (choice) {
    case 0: return {0xB1A96A13, 0x3DE0, 0x4574, {0x9B, 0x01, 0xC0, 0x8F, 0xEA, 0xB3, 0x18, 0xD6}};
    case 1: return {0xB2BB8C0A, 0x5AB4, 0x11D3, {0xA8, 0xCD, 0x00, 0xC0, 0x4F, 0x68, 0x74, 0x7A}};
    case 2: return {0x893B6A96, 0x0B7F, 0x4D4D, {0xBD, 0xB4, 0xBB, 0xD4, 0xCE, 0xEB, 0xB3, 0x1C}};
    case 3: return {0x4747B320, 0x62CE, 0x11CF, {0xA5, 0xD6, 0x28, 0xDB, 0x04, 0xC1, 0x00, 0x00}};
    case 4: return {0x70211B0E, 0x0AFB, 0x47DB, {0xAF, 0xC1, 0x41, 0x0B, 0xF8, 0x42, 0x49, 0x7A}};
    default: return {};
    }
}

// No renderer may produce more rows than a few per byte it was handed.
void CheckRows(const testing::RecordingTreeSink& tree, size_t bytes) {
    if (tree.RowCount() > 64 + 16 * bytes) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    if ((data[0] & 1) == 0) {
        testing::FakeFilterLog log;
        log.Append(Bytes(data + 1, data + size));
        const uint32_t count = log.GetRecordCount();
        for (uint32_t i = 0; i < count && i < 64; ++i) {
            RECORD_INDEX_ENTRY entry;
            if (log.GetIndexEntry(i, entry) != S_OK32) std::abort();
            std::vector<uint8_t> buffer(GetEntryRecordSize(entry) ? GetEntryRecordSize(entry) : 1);
            CRecordView view;
            view.Init(buffer.data(), static_cast<uint32_t>(buffer.size()));
            if (log.ReadRecord(i, view) != S_OK32) continue;
            testing::RecordingTreeSink irp, urb;
            FillIrpDetails(irp, view, kDriverRecordLayout);
            FillUrbDetails(urb, view);
            CheckRows(irp, view.copied);
            CheckRows(urb, view.copied);
        }
        return 0;
    }
    const size_t choice = data[1];
    const size_t n = size - 2;
    std::unique_ptr<uint8_t[]> bytes(new uint8_t[n ? n : 1]);
    if (n) std::memcpy(bytes.get(), data + 2, n);
    testing::RecordingTreeSink tree;
    const uint8_t* structure = n ? bytes.get() : nullptr;
    if (choice < kRendererCount) {
        kRenderers[choice](tree, structure, n);
    } else if (choice < kRendererCount + kBusInterfaceChoices) {
        RenderBusInterface(InterfaceGuid(choice - kRendererCount), tree, structure, n);
    } else {
        const FieldTable table = kAllFieldTables[(choice - kRendererCount - kBusInterfaceChoices) %
                                                 std::size(kAllFieldTables)];
        RenderStructFields(tree, nullptr, structure, n, table);
    }
    CheckRows(tree, n);
    return 0;
}
