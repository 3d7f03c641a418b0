// Constant code-to-text tables whose rows may cover a range of codes.
#pragma once
#include <cstdint>
#include <span>

namespace brx {

struct NameRange {
    uint32_t first;
    uint32_t last;
    const char* text;
};

// The first row whose range holds the code, or null.
inline const char* LookupNameRange(std::span<const NameRange> rows, uint32_t code) {
    for (const NameRange& row : rows)
        if (code >= row.first && code <= row.last) return row.text;
    return nullptr;
}

} // namespace brx
