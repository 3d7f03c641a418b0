// A check of a compound file's own structure before the system's structured
// storage reads it. A file cut short (a copy that stopped, a full disk) can
// leave allocation or directory sectors past its end; some implementations
// then read zeros as sector numbers and follow the chain round for ever. The
// check reads the header, the allocation table, the directory and the small
// sectors' table and refuses a file whose structure lies outside it, loops,
// or links one sector twice. Sectors of stream data may lie past the end: the
// streams then read short, and the reader keeps what it could read.
#pragma once
#include <cstdint>

#include "capture/CaptureFileFormat.h"

namespace brx {

// True when the file's header, allocation tables, directory chain, directory
// tree and small-sector table are whole inside the file, within their counts,
// and free of cycles; the file reads through `file` (fileSize bytes).
bool CheckCompoundFileStructure(IRecordSource& file, uint64_t fileSize);

} // namespace brx
