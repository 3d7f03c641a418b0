// Shared pieces of the CDC, DFU and printer page tests: bytes in exact-size
// heap blocks, the configuration fixtures, row lookups in a written page.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "decode/DecodeContext.h"

namespace brx::testing {

using Bytes = std::vector<uint8_t>;

// Bytes in an exact-size heap block, so that a read past the end is caught.
struct Exact {
    explicit Exact(const Bytes& b) : data(new uint8_t[b.empty() ? 1 : b.size()]), size(b.size()) {
        std::copy(b.begin(), b.end(), data.get());
    }
    std::span<const uint8_t> span() const { return {data.get(), size}; }
    std::unique_ptr<uint8_t[]> data;
    size_t size;
};

// The row of a field: from its name cell to the row's end ("" when absent).
inline std::string RowOf(const std::string& page, const std::string& field, size_t nth = 0) {
    size_t at = 0;
    for (size_t k = 0; k <= nth; ++k) {
        at = page.find(">" + field + "<", at);
        if (at == std::string::npos) return "";
        ++at;
    }
    const size_t end = page.find("</tr>", at);
    return page.substr(at, end - at);
}

// The row of a bit field "label: name".
inline std::string BitRowOf(const std::string& page, const std::string& name, size_t nth = 0) {
    size_t at = 0;
    for (size_t k = 0; k <= nth; ++k) {
        at = page.find(": " + name + "<", at);
        if (at == std::string::npos) return "";
        ++at;
    }
    const size_t end = page.find("</tr>", at);
    return page.substr(at, end - at);
}

inline bool HasError(const std::string& row, const std::string& text) {
    return row.find("<span class=\"error\">" + text + "</span>") != std::string::npos;
}
inline bool Has(const std::string& row, const std::string& text) { return row.find(text) != std::string::npos; }

// A configuration descriptor set: the 9-byte header with wTotalLength and
// bNumInterfaces filled in, then the descriptors as given.
inline Bytes Configuration(std::initializer_list<Bytes> descriptors) {
    Bytes set = {9, 2, 0, 0, 0, 1, 0, 0xC0, 50};
    uint8_t interfaces = 0;
    for (const Bytes& d : descriptors) {
        if (d.size() > 2 && d[1] == 4 && d[3] == 0) ++interfaces;
        set.insert(set.end(), d.begin(), d.end());
    }
    set[2] = uint8_t(set.size());
    set[3] = uint8_t(set.size() >> 8);
    set[4] = interfaces;
    return set;
}

// Offset of the n-th descriptor of `type` (and subtype, when >= 0) in a set.
inline size_t FindDescriptor(const Bytes& set, uint8_t type, int subtype = -1, size_t nth = 0) {
    for (size_t at = 0; at + 2 < set.size() && set[at] >= 2; at += set[at]) {
        if (set[at + 1] == type && (subtype < 0 || set[at + 2] == subtype) && nth-- == 0) return at;
    }
    return set.size();
}

// String descriptors for the tests: index -> text (ASCII).
struct Strings {
    std::vector<std::pair<uint8_t, std::string>> texts;
    static uint32_t Fetch(uint8_t index, char16_t* out, uint32_t size, void* user) {
        for (const auto& [i, text] : static_cast<Strings*>(user)->texts) {
            if (i != index) continue;
            uint32_t n = 0;
            for (char c : text) {
                if (n == size) break;
                out[n++] = char16_t(uint8_t(c));
            }
            return n;
        }
        return 0;
    }
    void Install(DECODE_CONTEXT& ctx) {
        ctx.userData = this;
        ctx.stringCallback = Fetch;
    }
};

} // namespace brx::testing
