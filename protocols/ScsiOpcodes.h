// Names and descriptions of SCSI commands as the mass-storage decoders show
// them, chosen by the device kind of the interface: 1 block commands (SBC),
// 2 reduced block commands (RBC), 3 multimedia commands (MMC), any other
// value the common list.
#pragma once
#include <cstddef>
#include <cstdint>

namespace brx {

// Null when enabled is 0 or the code has no name for the kind. The version
// byte is not consulted.
const char* ScsiOpcodeName(uint32_t code, uint32_t cdb1, uint32_t kind, uint32_t version, int enabled);
const char* ScsiOpcodeNameAll(uint32_t code, uint32_t cdb1, int enabled);
const char* ScsiOpcodeNameSbc(uint32_t code, uint32_t cdb1, int enabled);
const char* ScsiOpcodeNameRbc(uint32_t code, uint32_t cdb1, int enabled);
const char* ScsiOpcodeNameMmc(uint32_t code, uint32_t cdb1, int enabled);

// One sentence per command, the same for every kind.
const char* ScsiCommandDescription(uint32_t code, uint32_t cdb1, uint32_t kind, uint32_t version);

// The page selector of a MODE SENSE or MODE SELECT CDB, "Return all" forms included.
const char* ModePageNameForCdb(uint32_t page, uint32_t subpage, uint32_t kind, uint32_t version);

// "type + copy" text of a CD track CONTROL nibble into out (Windows-1252,
// the micro sign as one byte); false when it did not fit.
bool CdTrackControlText(uint32_t control, char* out, size_t size);

} // namespace brx
