// The IRP Details and URB Details trees: a captured IRP with its stack
// locations, and a URB rendered with the field table of its function.
#pragma once
#include <cstddef>
#include <cstdint>

#include "capture/Record.h"
#include "capture/RecordView.h"
#include "decode/StructRenderer.h"

namespace brx {

constexpr uint32_t kMaxShownStackLocations = 64;
constexpr uint32_t kMaxUrbFunction = 52;

// Top-level rows of the IRP (at most 112 bytes) and of one stack location
// (at most 36 bytes); the stack location becomes the last top-level row.
void RenderIrp(ITreeSink& tree, const uint8_t* data, size_t length);
void RenderStackLocation(ITreeSink& tree, const uint8_t* data, size_t length);

// The URB by its Function: nothing below 16 bytes, for a function above 52
// or one without a table; only the header when the URB is shorter than its
// function's structure.
void RenderUrb(ITreeSink& tree, const uint8_t* data, size_t length);

// The table and minimum length RenderUrb uses for a function, and how many
// bytes it renders of it (0: all the URB's Length allows).
struct URB_TABLE_CHOICE {
    FieldTable table;
    uint16_t minimum;
    uint16_t cap;
};
URB_TABLE_CHOICE UrbTableForFunction(uint32_t function);

// The panes' fills from a record view. The IRP tree shows the IRP block, then
// one row per stack location up to StackCount (at most 64), the current one
// rendered from the captured stack location. The URB tree renders the
// captured URB up to its header's Length and expands its first row.
void FillIrpDetails(ITreeSink& tree, const CRecordView& view, const RECORD_LAYOUT& layout);
void FillUrbDetails(ITreeSink& tree, const CRecordView& view);

} // namespace brx
