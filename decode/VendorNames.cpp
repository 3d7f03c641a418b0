#include "decode/VendorNames.h"

#include <cstddef>

namespace brx {
namespace {

constexpr size_t kBlocks = 20;

const char* ScanRows(std::span<const VENDOR_ROW> rows, uint16_t id) {
    for (const VENDOR_ROW& row : rows) {
        if (row.id == id) return row.name;
    }
    return nullptr;
}

} // namespace

const char* FindVendorName(std::span<const VENDOR_ROW> rows, uint16_t id) {
    const size_t block = rows.size() / kBlocks;
    if (block > 0) {
        for (size_t i = 0; i < kBlocks; ++i) {
            std::span<const VENDOR_ROW> rowsOfBlock = rows.subspan(i * block, block);
            // The block's highest ID, not its last row's: a row standing out of
            // order must not make its block look as if it ended lower.
            uint16_t highest = 0;
            for (const VENDOR_ROW& row : rowsOfBlock) highest = row.id > highest ? row.id : highest;
            if (id > highest) continue;
            if (const char* name = ScanRows(rowsOfBlock, id)) return name;
        }
    }
    return ScanRows(rows.subspan(kBlocks * block), id);
}

const char* VendorName(uint16_t id) { return FindVendorName(kVendorTable, id); }

} // namespace brx
