// Builds property set streams byte by byte: a header with one section of a
// format id, the property offset table, and values given as raw bytes (type
// word, padding word, value), so that tests can state counts and sizes the
// values do not hold.
#pragma once
#include <cstdint>
#include <vector>

#include "capture/CaptureFileFormat.h"

namespace brx::fixtures {

class PropertySetBuilder {
public:
    explicit PropertySetBuilder(const FILE_GUID& fmtid) : fmtid_(fmtid) {}

    // A property with a type and the value's bytes (padded to 4 here).
    PropertySetBuilder& Add(uint32_t id, uint16_t type, std::vector<uint8_t> value) {
        std::vector<uint8_t> v;
        Le16(v, type);
        Le16(v, 0);
        v.insert(v.end(), value.begin(), value.end());
        while (v.size() % 4) v.push_back(0);
        props_.push_back({id, v});
        return *this;
    }
    PropertySetBuilder& UInt(uint32_t id, uint32_t value) { return Add(id, 0x13, Dword(value)); }
    // A property whose value bytes are given whole (type and padding too).
    PropertySetBuilder& Raw(uint32_t id, std::vector<uint8_t> bytes) {
        props_.push_back({id, std::move(bytes)});
        return *this;
    }

    static std::vector<uint8_t> Dword(uint32_t v) {
        std::vector<uint8_t> b;
        Le32(b, v);
        return b;
    }
    // A UTF-16 string as a property set holds it: character count with the
    // NUL, the characters, the NUL, zeros to a multiple of 4 bytes.
    static std::vector<uint8_t> Wide(const char16_t* text) {
        std::vector<uint8_t> b;
        uint32_t n = 0;
        while (text[n]) ++n;
        Le32(b, n + 1);
        for (uint32_t i = 0; i <= n; ++i) Le16(b, text[i]);
        while (b.size() % 4) b.push_back(0);
        return b;
    }

    // The stream; sectionSizeDelta bends the section's stated size.
    std::vector<uint8_t> Bytes(int32_t sectionSizeDelta = 0) const {
        std::vector<uint8_t> s;
        Le16(s, 0xFFFE);
        Le16(s, 0);
        Le32(s, 0x00020006);   // system: Windows, version 6.2
        s.insert(s.end(), 16, 0);
        Le32(s, 1);
        uint8_t id[16];
        GuidToBytes(fmtid_, id);
        s.insert(s.end(), id, id + 16);
        Le32(s, 48);
        uint32_t size = 8 + 8 * static_cast<uint32_t>(props_.size());
        std::vector<uint8_t> table, values;
        for (const Prop& p : props_) {
            Le32(table, p.id);
            Le32(table, size);
            values.insert(values.end(), p.bytes.begin(), p.bytes.end());
            size += static_cast<uint32_t>(p.bytes.size());
        }
        Le32(s, static_cast<uint32_t>(static_cast<int64_t>(size) + sectionSizeDelta));
        Le32(s, static_cast<uint32_t>(props_.size()));
        s.insert(s.end(), table.begin(), table.end());
        s.insert(s.end(), values.begin(), values.end());
        return s;
    }

    static void Le16(std::vector<uint8_t>& b, uint16_t v) {
        b.push_back(static_cast<uint8_t>(v));
        b.push_back(static_cast<uint8_t>(v >> 8));
    }
    static void Le32(std::vector<uint8_t>& b, uint32_t v) {
        Le16(b, static_cast<uint16_t>(v));
        Le16(b, static_cast<uint16_t>(v >> 16));
    }

private:
    struct Prop {
        uint32_t id;
        std::vector<uint8_t> bytes;
    };
    FILE_GUID fmtid_;
    std::vector<Prop> props_;
};

} // namespace brx::fixtures
