#include "app/panes/AnalysisTrees.h"

#include "app/panes/RecordData.h"
#include "base/ByteReader.h"
#include "capture/RequestKind.h"
#include "decode/DataAnalysisTrees.h"

namespace brx {
namespace {

using Renderer = void (*)(ITreeSink&, const uint8_t*, size_t);

bool Success(const CRecordView& r, const RECORD_LAYOUT& layout) {
    return r.completion && GetRequestStatus(r.buffer, r.copied, layout) == 0;
}

AnalysisView Shown(ITreeSink& tree) {
    if (TREE_ITEM first = tree.GetRootItem()) tree.ExpandItem(first);
    return AnalysisView::Tree;
}

AnalysisView Render(ITreeSink& tree, Renderer render, const ByteReader& bytes) {
    render(tree, bytes.data(), bytes.size());
    return Shown(tree);
}

// Plug and Play: the block starts with its own 32-bit size; what is read
// stays inside both that size and the copied block.
AnalysisView PnpTree(ITreeSink& tree, const CRecordView& r, const RECORD_LAYOUT& layout) {
    const ByteReader block(r.block, r.blockLength);
    const size_t length = block.size();
    const uint32_t declared = block.u32le_or(0);
    const ByteReader held = block.sub(0, declared < length ? declared : length);
    switch (r.kind - KIND_PNP_FIRST) {
    case 7:  // QUERY_DEVICE_RELATIONS
        if (!Success(r, layout) || length <= 15 || declared <= 15) return AnalysisView::None;
        return Render(tree, RenderDeviceRelations, held.from(8));
    case 8: {  // QUERY_INTERFACE
        if (!Success(r, layout) || length <= 39 || declared < 40) return AnalysisView::None;
        GUID_VALUE guid{held.u32le_or(4), held.u16le_or(8), held.u16le_or(10), {}};
        for (size_t i = 0; i < 8; ++i) guid.data4[i] = held.u8or(12 + i);
        const ByteReader structure = held.from(24);
        RenderBusInterface(guid, tree, structure.data(), structure.size());
        return Shown(tree);
    }
    case 9:  // QUERY_CAPABILITIES, issue and completion alike
        if (length < 64 || declared < 64) return AnalysisView::None;
        return Render(tree, RenderDeviceCapabilities, held);
    case 21:  // QUERY_BUS_INFORMATION
        if (!Success(r, layout) || length <= 23) return AnalysisView::None;
        return Render(tree, RenderPnpBusInformation, block);
    default:
        return AnalysisView::None;
    }
}

AnalysisView KernelIoctlTree(ITreeSink& tree, const CRecordView& r, const RECORD_LAYOUT& layout) {
    const ByteReader block(r.block, r.blockLength);
    const size_t length = block.size();
    switch (r.kind) {
    case 848:    // GET_HUB_NAME
    case 1105: { // GET_CONTROLLER_NAME: the length at +4, the name from +8
        if (!Success(r, layout) || length <= 15) return AnalysisView::None;
        uint64_t name = block.u32le_or(4);
        if (name > length - 8) name = length - 8;
        if (name <= 3) return AnalysisView::None;
        return Render(tree, r.kind == 848 ? RenderHubName : RenderControllerName,
                      block.sub(4, 4 + static_cast<size_t>(name)));
    }
    case 849:  // SUBMIT_IDLE_NOTIFICATION
        if (r.completion || length <= 7) return AnalysisView::None;
        return Render(tree, RenderIdleCallbackInfo, block.sub(0, 8));
    case 1104:  // GET_BUS_INFO
        if (!Success(r, layout) || length < 16) return AnalysisView::None;
        return Render(tree, RenderBusNotification, block.sub(0, 16));
    default:
        return AnalysisView::None;
    }
}

struct UserIoctlRenderer {
    uint16_t kind;
    Renderer render;
};
constexpr UserIoctlRenderer kUserIoctlRenderers[] = {
    {4340, RenderHcdStatistics1},
    {4343, RenderRootHubName},
    {4350, RenderHcdStatistics2},
    {4351, RenderHcdDriverKeyName},
    {4440, RenderNodeInformation},
    {4441, RenderNodeConnectionInformation},
    {4443, RenderNodeConnectionName},
    {4446, RenderNodeConnectionDriverKeyName},
    {4453, RenderHubCapabilities},
    {4454, RenderNodeConnectionAttributes},
    {4456, RenderNodeConnectionInformationEx},
    {4458, RenderHubCapabilitiesEx},
};
constexpr uint32_t kGetDescriptorFromNodeConnection = 4442;

AnalysisView UserIoctlTree(ITreeSink& tree, const CRecordView& r, const RECORD_LAYOUT& layout) {
    const RECORD_DATA_BYTES buffer = GetIoctlBufferBytes(r, layout);
    if (!buffer.length) return AnalysisView::None;
    if (r.kind == kGetDescriptorFromNodeConnection)
        return buffer.length >= 12 ? AnalysisView::Html : AnalysisView::None;
    for (const UserIoctlRenderer& row : kUserIoctlRenderers) {
        if (row.kind != r.kind) continue;
        if (!Success(r, layout)) return AnalysisView::None;
        return Render(tree, row.render, ByteReader(buffer.bytes, buffer.length));
    }
    return AnalysisView::None;
}

} // namespace

AnalysisView RenderAnalysisTree(ITreeSink& tree, const CRecordView& r, const RECORD_LAYOUT& layout) {
    if (r.type != RECORD_TYPE_REQUEST || !r.hasBlock || !r.block || r.blockLength == 0) return AnalysisView::None;
    if (IsPnpKind(r.kind)) return PnpTree(tree, r, layout);
    if (IsUrbKind(r.kind)) return AnalysisView::Html;
    if (IsKernelIoctlKind(r.kind)) return KernelIoctlTree(tree, r, layout);
    if (r.kind >= KIND_UMIO_FIRST && r.kind <= KIND_HUB_FIRST + 99) return UserIoctlTree(tree, r, layout);
    return AnalysisView::None;
}

} // namespace brx
