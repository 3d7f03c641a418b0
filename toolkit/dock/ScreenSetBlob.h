// The saved form of a screen set (a CDPLayout): the layout blob, and the
// built-in default arrangement every screen set starts from. The writer and
// reader are CDPLayout::Save and CDPLayout::Load. Pure.
//
// Blob: a 6-byte header (header size 6, root index, placeholder index, node
// count, lock flag), then one record per node in node-list order; node n
// (from 1) has index n, and index 0 means none. Every record starts with its
// size (16 bits), its type, a zero byte and the preferred width and height
// (16 bits each). All values little-endian.
#pragma once
#include <cstddef>
#include <cstdint>

#include "toolkit/dock/DockLayout.h"

namespace brx {

constexpr size_t DP_BLOB_MAX = 8192;
constexpr size_t DP_BLOB_HEADER = 6;
constexpr size_t DP_RECORD_HEADER = 8;
constexpr uint8_t DP_MAX_NODE_INDEX = 100;

// Record sizes (a group adds one byte per pane, a splitter one per child).
constexpr size_t DP_RECORD_PLACEHOLDER = 8;
constexpr size_t DP_RECORD_PANE = 14;
constexpr size_t DP_RECORD_FLOATING = 18;
constexpr size_t DP_RECORD_TABBED = 10;
constexpr size_t DP_RECORD_SPLITTER = 11;

// The default arrangement: a row of two columns; on the left pane 1 above
// the group of panes 3, 4, 2; on the right the central view above the group
// of panes 5, 7, 8, 6, 9; three hidden floating frames hold the empty groups
// that are the panes' floating homes.
constexpr size_t kDefaultScreenSetBlobSize = 362;
extern const uint8_t kDefaultScreenSetBlob[kDefaultScreenSetBlobSize];

// The screen sets hold the panes with ids 1 to 9, each once.
DockLoadRules ScreenSetLoadRules(int32_t screenWidth, int32_t screenHeight);

} // namespace brx
