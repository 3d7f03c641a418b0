// hiddump: parses a HID report descriptor file (raw bytes, or hex text such as
// "05 01 09 02" or "0x05, 0x01") and prints what the parser made of it: the
// caps, then one line per collection and per main item.
//
// Usage: hiddump FILE...
#include <cctype>
#include <cinttypes>
#include <cstdio>
#include <string>
#include <vector>

#include "capture/HidParser.h"

using namespace brx;

namespace {

bool ReadFile(const char* path, std::vector<uint8_t>& out) {
    FILE* f = std::fopen(path, "rb");
    if (!f) return false;
    uint8_t buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.insert(out.end(), buf, buf + n);
    std::fclose(f);
    return true;
}

// Hex text when every byte is a hex digit, white space, a comma or part of a
// "0x" prefix; the digits then pair up into bytes.
bool FromHexText(const std::vector<uint8_t>& text, std::vector<uint8_t>& out) {
    std::string digits;
    for (size_t i = 0; i < text.size(); ++i) {
        const int c = text[i];
        if (c == '0' && i + 1 < text.size() && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
            ++i;
            continue;
        }
        if (std::isxdigit(c)) digits += char(c);
        else if (!std::isspace(c) && c != ',') return false;
    }
    if (digits.empty() || digits.size() % 2) return false;
    out.clear();
    for (size_t i = 0; i < digits.size(); i += 2) out.push_back(uint8_t(std::stoul(digits.substr(i, 2), nullptr, 16)));
    return true;
}

const char* TypeName(uint32_t t) {
    return t == HidP_Input ? "Input" : t == HidP_Output ? "Output" : t == HidP_Feature ? "Feature" : "?";
}

std::string Usages(const HIDP_PREPARSED* pp, uint32_t first, uint32_t count) {
    std::string s;
    for (uint32_t k = 0; k < count && first + k < pp->usageCount; ++k) {
        const HIDP_USAGE& u = pp->usages[first + k];
        char buf[40];
        if (u.isRange)
            std::snprintf(buf, sizeof buf, "%04X:%04X-%04X", unsigned(u.usagePage), unsigned(u.usageMinimum),
                          unsigned(u.usageMaximum));
        else
            std::snprintf(buf, sizeof buf, "%04X:%04X", unsigned(u.usagePage), unsigned(u.usage));
        if (!s.empty()) s += ',';
        s += buf;
    }
    return s.empty() ? "-" : s;
}

int Dump(const char* path) {
    std::vector<uint8_t> bytes, hex;
    if (!ReadFile(path, bytes)) {
        std::fprintf(stderr, "%s: cannot read\n", path);
        return 1;
    }
    if (FromHexText(bytes, hex)) bytes.swap(hex);
    std::printf("%s: %u bytes, report ids: %d\n", path, unsigned(bytes.size()),
                HidReportHasReportId(bytes.data(), bytes.size()));
    HIDP_PREPARSED* pp = nullptr;
    if (!HidParseReportDescriptor(bytes.data(), bytes.size(), &pp)) {
        std::printf("not parsed\n");
        return 2;
    }
    HID_CAPS caps;
    HidGetCaps(pp, &caps);
    std::printf("caps usage %04X:%04X lengths in %u out %u feature %u collections %u has report ids %u\n",
                unsigned(caps.usagePage), unsigned(caps.usage), unsigned(caps.inputReportByteLength),
                unsigned(caps.outputReportByteLength), unsigned(caps.featureReportByteLength),
                unsigned(caps.numberLinkCollectionNodes), unsigned(caps.hasReportIds));
    std::printf("caps buttons/values in %u/%u out %u/%u feature %u/%u\n", unsigned(caps.numberInputButtonCaps),
                unsigned(caps.numberInputValueCaps), unsigned(caps.numberOutputButtonCaps),
                unsigned(caps.numberOutputValueCaps), unsigned(caps.numberFeatureButtonCaps),
                unsigned(caps.numberFeatureValueCaps));
    for (uint32_t c = 0; c < pp->collectionCount; ++c) {
        const HIDP_COLLECTION& col = pp->collections[c];
        std::printf("collection %u type %u page %04X usages %s parent %u main items %u+%u\n", unsigned(c),
                    unsigned(col.collectionType), unsigned(col.usagePage),
                    Usages(pp, col.firstUsage, col.usageCount).c_str(), unsigned(col.parent),
                    unsigned(col.firstMainItem), unsigned(col.mainItemCount));
    }
    for (uint32_t i = 0; i < pp->mainItemCount; ++i) {
        const HIDP_MAIN_ITEM& m = pp->mainItems[i];
        std::printf("main %u %s id %u offset %u size %u count %u data %02X page %04X usages %s logical %d %d%s "
                    "physical %d %d collection %u%s\n",
                    unsigned(i), TypeName(m.reportType), m.global.reportId, m.bitOffset, m.global.reportSize,
                    m.global.reportCount, unsigned(m.data), m.global.usagePage,
                    Usages(pp, m.firstUsage, m.usageCount).c_str(), m.global.logicalMinimum,
                    m.global.logicalMaximum, (m.flags & HID_ITEM_FLAG_SWAPPED) ? " (swapped)" : "",
                    m.global.physicalMinimum, m.global.physicalMaximum, unsigned(m.parent),
                    HidIsButtonItem(m) ? " button" : HidIsValueItem(m) ? " value" : "");
    }
    for (uint32_t r = 0; r < pp->reportIdCount; ++r) {
        const HIDP_REPORT_ID& id = pp->reportIds[r];
        std::printf("report %u bits in %u out %u feature %u\n", id.reportId, id.bitLength[0], id.bitLength[1],
                    id.bitLength[2]);
    }
    HidFreePreparsedData(pp);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: hiddump FILE...\n");
        return 1;
    }
    int status = 0;
    for (int i = 1; i < argc; ++i) {
        const int st = Dump(argv[i]);
        if (st > status) status = st;
    }
    return status;
}
