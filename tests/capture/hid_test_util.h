// Small helpers shared by the HID tests.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "capture/HidParser.h"
#include "capture/HidTables.h"

namespace brx::test {

using Bytes = std::vector<uint8_t>;

// A parsed descriptor that frees itself.
class ParsedHid {
public:
    explicit ParsedHid(const Bytes& d) { ok_ = HidParseReportDescriptor(d.data(), d.size(), &pp_) == 1; }
    ~ParsedHid() { HidFreePreparsedData(pp_); }
    ParsedHid(const ParsedHid&) = delete;
    ParsedHid& operator=(const ParsedHid&) = delete;
    bool ok() const { return ok_; }
    const HIDP_PREPARSED* get() const { return pp_; }
    const HIDP_PREPARSED* operator->() const { return pp_; }

private:
    HIDP_PREPARSED* pp_ = nullptr;
    bool ok_ = false;
};

// Hex digits to bytes; spaces between bytes are allowed.
inline Bytes FromHex(const std::string& text) {
    std::string hex;
    for (char c : text)
        if (c != ' ') hex += c;
    Bytes out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) out.push_back(uint8_t(std::stoul(hex.substr(i, 2), nullptr, 16)));
    return out;
}

// A HID_DESCRIPTOR_ITEM holding just a descriptor (no keys), as the driver
// reports one in a kind-10 block.
inline Bytes DescriptorItem(const Bytes& desc, uint8_t interfaceNumber = 0) {
    Bytes item(32 + desc.size(), 0);
    const size_t size = item.size();
    for (int k = 0; k < 4; ++k) item[k] = uint8_t(size >> (8 * k));
    item[4] = 9;  // descriptor item kind
    item[8] = interfaceNumber;
    item[12] = uint8_t(desc.size());
    item[13] = uint8_t(desc.size() >> 8);
    item[14] = 32;
    for (size_t i = 0; i < desc.size(); ++i) item[32 + i] = desc[i];
    return item;
}

// A descriptor table holding one descriptor (id 1) and the parsed cache that
// reads it.
struct HidCache {
    explicit HidCache(const Bytes& desc) {
        const Bytes item = DescriptorItem(desc);
        rd.AddDescriptor(ByteReader(item.data(), item.size()));
        cache.SetRDHash(&rd);
    }
    HidCache(const HidCache&) = delete;
    HidCache& operator=(const HidCache&) = delete;
    CHIDDeviceRDHash rd;
    CHIDDeviceDataHash cache;
};

// The usages of the buttons that are on, or none when the query fails.
inline std::vector<uint16_t> UsagesOn(const HIDP_PREPARSED* pp, uint16_t page, const Bytes& report,
                                      uint32_t type = HidP_Input, uint32_t* status = nullptr) {
    std::vector<uint16_t> u(256);
    uint32_t n = uint32_t(u.size());
    const uint32_t st = HidGetUsages(type, page, 0, u.data(), &n, pp, report.data(), uint32_t(report.size()));
    if (status) *status = st;
    u.resize(st == HIDP_STATUS_SUCCESS ? n : 0);
    return u;
}

// The boot keyboard of the HID specification's appendix.
inline Bytes BootKeyboardDescriptor() {
    return FromHex("05010906a101050719e029e71500250175019508810295017508810195057501050819012905910295017503"
                   "910195067508150025650507190029658100c0");
}

} // namespace brx::test
