// Vendor IDs to company names (the table is generated from the USB ID list,
// tools/gen_vendor_table.py).
#pragma once
#include <cstdint>
#include <span>

namespace brx {

struct VENDOR_ROW {
    uint16_t id;
    const char* name;
};

// Ascending by ID but for a few rows that stand before their neighbour.
extern const std::span<const VENDOR_ROW> kVendorTable;

// The company name of a vendor ID, or null.
const char* VendorName(uint16_t id);

// The search VendorName runs, over any table: the rows are cut into 20 blocks
// of count / 20 rows and a tail; blocks whose IDs all lie below the ID are
// skipped, every later block is scanned in turn, then the tail; the first
// equal row wins. A row out of order is still found.
const char* FindVendorName(std::span<const VENDOR_ROW> rows, uint16_t id);

} // namespace brx
