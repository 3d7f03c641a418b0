// The capture settings block (144 bytes) as the capture driver reads it:
// which request records it lets through. Installed as the simulated
// driver's capture filter, it drops the records of the kinds a block leaves
// out, so that a capture after new settings holds only the kinds they select.
#pragma once
#include <cstddef>
#include <cstdint>

#include "capture/Record.h"
#include "sim/RecordBuilder.h"

namespace brx {

constexpr size_t SIM_SETTINGS_BLOCK_SIZE = 144;

// The block byte that selects a request-kind position, -1 for a position
// the block has no byte for (those kinds are always captured).
int32_t SettingsByteOfKindPosition(int32_t position);
// The kind position of a request record (URBs by their function), -1 for a
// record that is not a request or cannot be read.
int32_t KindPositionOfRecord(const uint8_t* record, size_t size, const RECORD_LAYOUT& layout);
// Whether a driver with this block captures the record: always without a
// block (empty) and for everything but request records of a selectable kind.
bool SettingsBlockCaptures(const Bytes& block, const Bytes& record, const RECORD_LAYOUT& layout);

} // namespace brx
