#include "decode/IrpUrbDetails.h"

#include <algorithm>
#include <cstdio>

#include "base/ByteReader.h"
#include "decode/FieldTables.h"

namespace brx {

namespace {

TREE_ITEM LastTopLevelRow(ITreeSink& tree) {
    TREE_ITEM row = tree.GetRootItem();
    if (!row) return nullptr;
    while (TREE_ITEM next = tree.GetNextSibling(row)) row = next;
    return row;
}

} // namespace

void RenderIrp(ITreeSink& tree, const uint8_t* data, size_t length) {
    RenderStructFields(tree, nullptr, data, std::min<size_t>(length, IRP_SIZE), kIrpTable);
}

void RenderStackLocation(ITreeSink& tree, const uint8_t* data, size_t length) {
    RenderStructFields(tree, nullptr, data, std::min<size_t>(length, STACK_LOCATION_SIZE), kIoStackLocationTable);
}

URB_TABLE_CHOICE UrbTableForFunction(uint32_t function) {
    switch (function) {
    case 0: return {kUrbSelectConfigurationTable, 40, 0};
    case 1: return {kUrbSelectInterfaceTable, 36, 0};
    case 2: case 30: case 48: case 49: return {kUrbPipeRequestTable, 24, 24};
    case 3: case 4: return {kUrbFrameLengthControlTable, 16, 16};
    case 5: return {kUrbGetFrameLengthTable, 24, 24};
    case 6: return {kUrbSetFrameLengthTable, 20, 20};
    case 7: return {kUrbGetCurrentFrameNumberTable, 20, 20};
    case 8: return {kUrbControlTransferTable, 80, 80};
    case 9: return {kUrbBulkOrInterruptTransferTable, 72, 72};
    case 10: return {kUrbIsochTransferTable, 96, 0};
    case 11: case 12: case 36: case 37: case 40: case 41: return {kUrbControlDescriptorRequestTable, 80, 80};
    case 13: case 14: case 15: case 16: case 17: case 18: case 34: case 35:
        return {kUrbControlFeatureRequestTable, 80, 80};
    case 19: case 20: case 21: case 33: return {kUrbControlGetStatusRequestTable, 80, 80};
    case 23: case 24: case 25: case 26: case 27: case 28: case 31: case 32:
        return {kUrbControlVendorOrClassRequestTable, 80, 80};
    case 38: return {kUrbControlGetConfigurationRequestTable, 80, 80};
    case 39: return {kUrbControlGetInterfaceRequestTable, 80, 80};
    case 42: return {kUrbOsFeatureDescriptorRequestTable, 80, 80};
    case 50: return {kUrbControlTransferExTable, 80, 80};
    case 51: case 52: return {kUrbPipeIoPolicyTable, 32, 32};
    default: return {{}, 0, 0};  // 22, 29, 43-47 and anything above 52
    }
}

void RenderUrb(ITreeSink& tree, const uint8_t* data, size_t length) {
    ByteReader r(data, length);
    uint16_t urbLength, function;
    if (length < 16 || !r.u16le(0, urbLength) || !r.u16le(2, function) || function > kMaxUrbFunction) return;
    const URB_TABLE_CHOICE choice = UrbTableForFunction(function);
    if (choice.table.empty()) return;
    if (length >= choice.minimum) {
        const size_t all = std::min<size_t>(urbLength, length);
        const size_t bytes = choice.cap ? std::min<size_t>(urbLength, choice.cap) : all;
        RenderStructFields(tree, nullptr, data, bytes, choice.table);
    } else {
        RenderStructFields(tree, nullptr, data, std::min<size_t>(urbLength, 16), kUrbHeaderTable);
    }
}

void FillIrpDetails(ITreeSink& tree, const CRecordView& view, const RECORD_LAYOUT& layout) {
    if (view.type != RECORD_TYPE_REQUEST || !view.buffer) return;
    const uint8_t* irp = GetIrpBlock(view.buffer, view.copied, layout);
    if (!irp) return;
    const uint8_t* stack = GetCurrentStackLocation(view.buffer, view.copied, layout);
    RenderIrp(tree, irp, IRP_SIZE);
    const uint32_t stackCount = std::min<uint32_t>(irp[34], kMaxShownStackLocations);
    const uint32_t current = irp[35];
    char text[40];
    for (uint32_t i = 1; i <= stackCount; ++i) {
        if (i == current && stack) {
            RenderStackLocation(tree, stack, STACK_LOCATION_SIZE);
            std::snprintf(text, sizeof text, "Location %u (current)", i);
            if (TREE_ITEM last = LastTopLevelRow(tree)) tree.SetItemText(last, DETAILS_COLUMN_COMMENT, text);
        } else {
            std::snprintf(text, sizeof text, "Location %u", i);
            if (TREE_ITEM row = tree.InsertItem("IO_STACK_LOCATION", nullptr)) {
                tree.SetItemText(row, DETAILS_COLUMN_COMMENT, text);
            }
        }
    }
}

void FillUrbDetails(ITreeSink& tree, const CRecordView& view) {
    if (view.copied <= 32 || !view.urb || view.urbLength < 2) return;
    const uint32_t headerLength = ByteReader(view.urb, view.urbLength).u16le_or(0);
    const uint32_t length = std::min(view.urbLength, headerLength);
    if (length <= 15) return;
    RenderUrb(tree, view.urb, length);
    if (TREE_ITEM first = tree.GetRootItem()) tree.ExpandItem(first);
}

} // namespace brx
